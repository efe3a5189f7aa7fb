#include "platform/Notifications.h"
#include "platform/Url.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orv {
namespace {

TEST(UrlTest, ReadsTheHostAndTheRest) {
    const auto create = Url::parse("orvaneplus://create/anything?x=1#f");
    ASSERT_TRUE(create);
    EXPECT_EQ(create->scheme, "orvaneplus");
    EXPECT_EQ(create->host, "create");
    EXPECT_EQ(create->path, "/anything");
    EXPECT_EQ(create->query, "x=1");
    EXPECT_EQ(create->fragment, "f");
    EXPECT_EQ(Url::parse("orvaneplus://Create")->host, "Create") << "case is kept";
    EXPECT_EQ(Url::parse("orvaneplus:create")->host, std::nullopt);
    EXPECT_EQ(Url::parse("orvaneplus:///x")->host, std::nullopt);
    EXPECT_EQ(Url::parse("https://user@host:8080/p")->host, "host");
}

TEST(UrlTest, RefusesWhatIsNotAURL) {
    for (const char* bad : {"", "no scheme", "://x", "1abc:x", "a b:c", "orvaneplus://create now",
                            "caf\xC3\xA9:x", "ab\ncd:x"}) {
        EXPECT_EQ(Url::parse(bad), std::nullopt) << bad;
    }
}

TEST(NotificationCenterTest, DeliversByNameAndSkipsObserversRemovedMeanwhile) {
    NotificationCenter center;
    std::vector<std::string> calls;
    NotificationCenter::ObserverToken second;
    center.addObserver("A", [&] {
        calls.push_back("first");
        center.removeObserver(second);
    });
    second = center.addObserver("A", [&] { calls.push_back("second"); });
    center.addObserver("B", [&] { calls.push_back("other name"); });
    center.post("A");
    EXPECT_THAT(calls, ::testing::ElementsAre("first"));
    EXPECT_EQ(center.observerCount("A"), 1u);
}

} // namespace
} // namespace orv
