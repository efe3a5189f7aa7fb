#include "platform/linux/HostInstance.h"

#include "tests/support/TempDir.h"
#include "tests/support/TestPlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace orv::lnx {
namespace {

using ::testing::ElementsAre;

TEST(UrlMessageTest, OnlyWellFormedMessagesAreTaken) {
    EXPECT_EQ(UrlServer::parseMessage(
                  UrlServer::makeMessage({"orvaneplus://create", "ORVANEPLUS://paste"})),
              (std::vector<std::string>{"orvaneplus://create", "ORVANEPLUS://paste"}));
    EXPECT_EQ(UrlServer::parseMessage("ORVANE-OPEN 1\n"), std::vector<std::string>{});
    for (const std::string& bad : std::vector<std::string>{
             "", "ORVANE-OPEN 2\norvaneplus://create\n", "orvaneplus://create\n",
             "ORVANE-OPEN 1\nhttps://evil\n", "ORVANE-OPEN 1\norvaneplus://create",
             "ORVANE-OPEN 1\n\n", "ORVANE-OPEN 1\norvaneplus://a b\n",
             "ORVANE-OPEN 1\norvaneplus://\xff\n",
             "ORVANE-OPEN 1\n" + std::string(UrlServer::kMaxMessage, 'x') + "\n"}) {
        EXPECT_EQ(UrlServer::parseMessage(bad), std::nullopt) << bad.substr(0, 40);
    }
}

class HostInstanceTest : public ::testing::Test {
  protected:
    HostInstanceTest() { env.set("XDG_RUNTIME_DIR", dir.path().str()); }

    // Sends raw bytes to the host's socket and returns its answer.
    std::string sendRaw(const std::string& bytes) {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = (dir / "orvane/host.sock").str();
        path.copy(address.sun_path, path.size());
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            close(fd);
            return "no connection";
        }
        (void)!send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL); // the host may hang up early
        shutdown(fd, SHUT_WR);
        std::string answer;
        char buffer[64];
        ssize_t n;
        while ((n = read(fd, buffer, sizeof buffer)) > 0) {
            answer.append(buffer, static_cast<std::size_t>(n));
        }
        close(fd);
        return answer;
    }

    test::TempDir dir;
    test::ScopedEnv env;
    test::RecordingLogSink sink;
    Log log{sink, "tamsel.Orvane-", "URLDelivery"};
};

TEST_F(HostInstanceTest, TheFirstClaimServesAndLaterOnesHandTheirURLsOver) {
    auto first = claimHost({});
    ASSERT_TRUE(first) << first.error().localizedDescription;
    ASSERT_TRUE(first->primary);
    EXPECT_EQ(test::readFile(dir / "orvane/host.lock"), std::to_string(getpid()) + "\n");

    LinuxRunLoop loop;
    std::vector<std::vector<std::string>> delivered;
    UrlServer server(loop, *first, log, [&](std::vector<std::string> urls) {
        delivered.push_back(std::move(urls));
        if (delivered.size() == 3) {
            loop.stop();
        }
    });
    std::thread others([&] {
        for (const char* url : {"orvaneplus://create", "orvaneplus://paste"}) {
            const auto second = claimHost({url});
            EXPECT_TRUE(second && !second->primary);
        }
        EXPECT_EQ(sendRaw("GET / HTTP/1.0\r\n\r\n"), "REFUSED\n");
        EXPECT_EQ(sendRaw(UrlServer::makeMessage({"orvaneplus://create", "orvaneplus://create"})),
                  "OK\n");
    });
    loop.run();
    others.join();
    EXPECT_THAT(delivered,
                ElementsAre(ElementsAre("orvaneplus://create"), ElementsAre("orvaneplus://paste"),
                            ElementsAre("orvaneplus://create", "orvaneplus://create")));
    EXPECT_THAT(sink.messages(), ElementsAre("Ignored a malformed URL message (18 bytes)"));
}

TEST_F(HostInstanceTest, AnOversizedMessageIsRefusedAndTheNextOneWorks) {
    auto claim = claimHost({});
    ASSERT_TRUE(claim && claim->primary);
    LinuxRunLoop loop;
    std::vector<std::string> delivered;
    UrlServer server(loop, *claim, log, [&](std::vector<std::string> urls) {
        delivered = std::move(urls);
        loop.stop();
    });
    std::thread client([&] {
        EXPECT_EQ(sendRaw("ORVANE-OPEN 1\n" + std::string(200000, 'a')), "REFUSED\n");
        EXPECT_EQ(sendRaw(UrlServer::makeMessage({"orvaneplus://paste"})), "OK\n");
    });
    loop.run();
    client.join();
    EXPECT_THAT(delivered, ElementsAre("orvaneplus://paste"));
    EXPECT_THAT(sink.messages(), ElementsAre("Ignored a URL message longer than 65536 bytes"));
}

} // namespace
} // namespace orv::lnx
