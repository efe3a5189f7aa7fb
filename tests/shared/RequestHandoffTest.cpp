#include "shared/RequestHandoff.h"

#include "tests/support/TestPlatform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orv::handoff {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using WriteMode = FileManager::WriteMode;

class RequestHandoffTest : public ::testing::Test {
  protected:
    test::TestPlatform system;
    test::FakeFileManager& files = system.files;
};

TEST(ParseLinesTest, TrimsUnicodeBlanksAtTheEndsAndDropsEmptyLines) {
    EXPECT_THAT(parseLines("\n\n/tmp/x\r\n\nmd\n"), ElementsAre("/tmp/x", "md"));
    EXPECT_THAT(parseLines(" \n\t\r\n\n"), IsEmpty());
    EXPECT_THAT(parseLines("\xC2\xA0/a\xE2\x80\x83 x\xE3\x80\x80"),
                ElementsAre("/a\xE2\x80\x83 x"));
}

TEST_F(RequestHandoffTest, WritersWriteAtomicallyBeforeOpeningTheURL) {
    files.setRequest(kPasteFile, "/old/destination");
    writeCutList(files, {Path("/a/1"), Path("/b/3")});
    requestPaste(files, system.workspace, Path("/dest"));
    requestCreate(files, system.workspace, Path("/tmp/x"), "md");
    EXPECT_THAT(system.events,
                ElementsAre("write paste.txt=", "write cut.txt=/a/1\n/b/3", "write paste.txt=/dest",
                            "open orvaneplus://paste", "write pending.txt=/tmp/x\nmd",
                            "open orvaneplus://create"));
    EXPECT_THAT(files.writeModes, ::testing::Each(WriteMode::atomic));
}

TEST_F(RequestHandoffTest, AFailedWriteStillOpensTheURLButNoContainerDoesNothing) {
    files.failingWrites.insert(files.container->appending(kPendingFile));
    requestCreate(files, system.workspace, Path("/tmp/x"), "txt");
    EXPECT_THAT(system.workspace.opened, ElementsAre("orvaneplus://create"));

    files.container.reset();
    system.events.clear();
    requestCreate(files, system.workspace, Path("/tmp/x"), "txt");
    requestPaste(files, system.workspace, Path("/tmp/x"));
    writeCutList(files, {Path("/a")});
    EXPECT_THAT(system.events, IsEmpty());
    EXPECT_FALSE(hasPendingCut(files));
    EXPECT_EQ(takeCreateRequest(files), std::nullopt);
    EXPECT_EQ(takePasteRequest(files), std::nullopt);
}

TEST_F(RequestHandoffTest, PendingCutNeedsReadableNonBlankText) {
    EXPECT_FALSE(hasPendingCut(files));
    files.setRequest(kCutFile, " \t\r\n\n \xE2\x80\xA8");
    EXPECT_FALSE(hasPendingCut(files));
    files.setRequest(kCutFile, "/a/1\n");
    EXPECT_TRUE(hasPendingCut(files));
    files.unreadable.insert(files.container->appending(kCutFile));
    EXPECT_FALSE(hasPendingCut(files));
}

TEST_F(RequestHandoffTest, CreateRequestsAreTakenOnceAndClearedEvenWhenBlank) {
    const std::vector<std::pair<std::string, std::optional<CreateRequest>>> cases = {
        {"/tmp/x", CreateRequest{"/tmp/x", "txt"}},
        {"\n\n/tmp/x\r\n\nmd\n", CreateRequest{"/tmp/x", "md"}},
        {"/tmp/x\nTXT\nextra\nlines", CreateRequest{"/tmp/x", "TXT"}},
        {"  \n\n \t", std::nullopt},
    };
    for (const auto& [content, expected] : cases) {
        files.setRequest(kPendingFile, content);
        EXPECT_EQ(takeCreateRequest(files), expected) << content;
        EXPECT_EQ(files.request(kPendingFile), "") << content;
        EXPECT_EQ(takeCreateRequest(files), std::nullopt) << "carried out once";
    }
}

TEST_F(RequestHandoffTest, AnUnreadablePendingFileIsLeftAndAFailedClearStillGivesTheRequest) {
    EXPECT_EQ(takeCreateRequest(files), std::nullopt);
    EXPECT_EQ(files.request(kPendingFile), std::nullopt) << "a missing file is not created";
    files.setRequest(kPendingFile, "/tmp/x\nmd");
    files.unreadable.insert(files.container->appending(kPendingFile));
    EXPECT_EQ(takeCreateRequest(files), std::nullopt);
    EXPECT_THAT(system.events, IsEmpty());
    files.unreadable.clear();
    files.failingWrites.insert(files.container->appending(kPendingFile));
    EXPECT_EQ(takeCreateRequest(files), (CreateRequest{"/tmp/x", "md"}));
}

TEST_F(RequestHandoffTest, TakePasteRequestClearsCutThenPasteAndKeepsTheDestinationWhole) {
    files.setRequest(kCutFile, "/a/1\r\n\n /a/2 \n");
    files.setRequest(kPasteFile, "/dest\n/other\n");
    EXPECT_EQ(takePasteRequest(files), (PasteRequest{{"/a/1", "/a/2"}, "/dest\n/other"}));
    EXPECT_THAT(system.events, ElementsAre("write cut.txt=", "write paste.txt="));
}

TEST_F(RequestHandoffTest, PasteWithoutBothFilesLeavesThemAsTheyWere) {
    files.setRequest(kCutFile, "/a/1");
    EXPECT_EQ(takePasteRequest(files), std::nullopt) << "paste.txt missing";
    files.setRequest(kPasteFile, "");
    EXPECT_EQ(takePasteRequest(files), std::nullopt) << "paste.txt empty";
    EXPECT_TRUE(hasPendingCut(files)) << "the paste command stays offered";
    files.setRequest(kCutFile, "");
    files.setRequest(kPasteFile, "/dest");
    EXPECT_EQ(takePasteRequest(files), std::nullopt) << "paste while idle";
    EXPECT_EQ(files.request(kPasteFile), "/dest");
    EXPECT_THAT(system.events, IsEmpty());
}

} // namespace
} // namespace orv::handoff
