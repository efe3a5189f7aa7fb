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

TEST(ParseLinesTest, TrimsEachLineAndDropsEmptyOnes) {
    EXPECT_THAT(parseLines("\n\n/tmp/x\r\n\nmd\n"), ElementsAre("/tmp/x", "md"));
    EXPECT_THAT(parseLines("  /a b \t\n/c"), ElementsAre("/a b", "/c"));
    EXPECT_THAT(parseLines(" \n\t\r\n\n"), IsEmpty());
    EXPECT_THAT(parseLines(""), IsEmpty());
    // Unicode blanks are white space too; a blank inside a path is kept.
    EXPECT_THAT(parseLines("\xC2\xA0/a\xE2\x80\x83 x\xE3\x80\x80"),
                ElementsAre("/a\xE2\x80\x83 x"));
}

TEST_F(RequestHandoffTest, CreateWritesFolderLineFeedExtensionThenOpensTheURL) {
    requestCreate(files, system.workspace, Path("/tmp/x"), "md");
    ASSERT_EQ(files.request(kPendingFile), "/tmp/x\nmd");
    EXPECT_EQ(files.request(kPendingFile)->size(), 9u);
    EXPECT_THAT(system.events,
                ElementsAre("write pending.txt=/tmp/x\nmd", "open orvaneplus://create"));
}

TEST_F(RequestHandoffTest, ExtensionWritesAreAtomic) {
    requestCreate(files, system.workspace, Path("/tmp/x"), "txt");
    requestPaste(files, system.workspace, Path("/tmp/y"));
    writeCutList(files, {Path("/a")});
    EXPECT_THAT(files.writeModes, ::testing::Each(WriteMode::atomic));
    EXPECT_EQ(files.writeModes.size(), 4u);
}

TEST_F(RequestHandoffTest, PasteWritesDestinationThenOpensTheURLAndLeavesTheCutAlone) {
    files.setRequest(kCutFile, "/a/1");
    requestPaste(files, system.workspace, Path("/dest"));
    EXPECT_EQ(files.request(kPasteFile), "/dest");
    EXPECT_EQ(files.request(kCutFile), "/a/1");
    EXPECT_THAT(system.events, ElementsAre("write paste.txt=/dest", "open orvaneplus://paste"));
}

TEST_F(RequestHandoffTest, CutEmptiesPasteFirstThenWritesTheListWithoutFinalLineFeed) {
    files.setRequest(kPasteFile, "/old/destination");
    writeCutList(files, {Path("/a/1"), Path("/a/2"), Path("/b/3")});
    EXPECT_EQ(files.request(kPasteFile), "");
    EXPECT_EQ(files.request(kCutFile), "/a/1\n/a/2\n/b/3");
    EXPECT_THAT(system.events, ElementsAre("write paste.txt=", "write cut.txt=/a/1\n/a/2\n/b/3"));
    EXPECT_THAT(system.workspace.opened, IsEmpty());
}

TEST_F(RequestHandoffTest, OneCutItemIsOneLineWithNoLineFeed) {
    writeCutList(files, {Path("/a/1")});
    EXPECT_EQ(files.request(kCutFile), "/a/1");
}

TEST_F(RequestHandoffTest, AFailedWriteStillOpensTheURL) {
    files.failingWrites.insert(files.container->appending(kPendingFile));
    requestCreate(files, system.workspace, Path("/tmp/x"), "txt");
    EXPECT_THAT(system.workspace.opened, ElementsAre("orvaneplus://create"));
}

TEST_F(RequestHandoffTest, WithoutAContainerNothingIsWrittenOrOpened) {
    files.container.reset();
    requestCreate(files, system.workspace, Path("/tmp/x"), "txt");
    requestPaste(files, system.workspace, Path("/tmp/x"));
    writeCutList(files, {Path("/a")});
    EXPECT_THAT(system.events, IsEmpty());
    EXPECT_FALSE(hasPendingCut(files));
    EXPECT_EQ(takeCreateRequest(files), std::nullopt);
    EXPECT_EQ(takePasteRequest(files), std::nullopt);
}

TEST_F(RequestHandoffTest, EveryOperationAsksForTheGroupContainerAfresh) {
    hasPendingCut(files);
    hasPendingCut(files);
    EXPECT_THAT(files.askedGroups, ElementsAre(kAppGroupIdentifier, kAppGroupIdentifier));
}

TEST_F(RequestHandoffTest, PendingCutNeedsNonBlankText) {
    EXPECT_FALSE(hasPendingCut(files)); // missing
    files.setRequest(kCutFile, "");
    EXPECT_FALSE(hasPendingCut(files));
    files.setRequest(kCutFile, " \t\r\n\n \xE2\x80\xA8");
    EXPECT_FALSE(hasPendingCut(files));
    files.setRequest(kCutFile, "/a/1\n");
    EXPECT_TRUE(hasPendingCut(files));
    files.unreadable.insert(files.container->appending(kCutFile));
    EXPECT_FALSE(hasPendingCut(files));
}

TEST_F(RequestHandoffTest, TakeCreateRequestEmptiesTheFileAtomically) {
    files.setRequest(kPendingFile, "/tmp/x\nmd");
    EXPECT_EQ(takeCreateRequest(files), (CreateRequest{"/tmp/x", "md"}));
    EXPECT_EQ(files.request(kPendingFile), "");
    EXPECT_EQ(files.writeModes.back(), WriteMode::atomic);
    EXPECT_EQ(takeCreateRequest(files), std::nullopt) << "the request is carried out once";
}

TEST_F(RequestHandoffTest, CreateRequestParsing) {
    struct Case {
        std::string content;
        std::optional<CreateRequest> expected;
    };
    const std::vector<Case> cases = {
        {"/tmp/x", CreateRequest{"/tmp/x", "txt"}},
        {"\n\n/tmp/x\r\n\nmd\n", CreateRequest{"/tmp/x", "md"}},
        {"/tmp/x\nTXT\nextra\nlines", CreateRequest{"/tmp/x", "TXT"}},
        {"  \n\n \t", std::nullopt},
    };
    for (const auto& c : cases) {
        files.setRequest(kPendingFile, c.content);
        EXPECT_EQ(takeCreateRequest(files), c.expected) << c.content;
        EXPECT_EQ(files.request(kPendingFile), "") << "cleared even when no line is left";
    }
}

TEST_F(RequestHandoffTest, UnreadableOrEmptyPendingFileIsNotCleared) {
    EXPECT_EQ(takeCreateRequest(files), std::nullopt);
    EXPECT_EQ(files.request(kPendingFile), std::nullopt) << "a missing file is not created";
    files.setRequest(kPendingFile, "/tmp/x");
    files.unreadable.insert(files.container->appending(kPendingFile));
    EXPECT_EQ(takeCreateRequest(files), std::nullopt);
    EXPECT_THAT(system.events, IsEmpty());
}

TEST_F(RequestHandoffTest, AFailedClearStillReturnsTheRequest) {
    files.setRequest(kPendingFile, "/tmp/x\nmd");
    files.failingWrites.insert(files.container->appending(kPendingFile));
    EXPECT_EQ(takeCreateRequest(files), (CreateRequest{"/tmp/x", "md"}));
    EXPECT_EQ(files.request(kPendingFile), "/tmp/x\nmd");
}

TEST_F(RequestHandoffTest, TakePasteRequestClearsCutThenPasteAndTrimsTheDestination) {
    files.setRequest(kCutFile, "/a/1\r\n\n /a/2 \n");
    files.setRequest(kPasteFile, "/dest\n");
    EXPECT_EQ(takePasteRequest(files), (PasteRequest{{"/a/1", "/a/2"}, "/dest"}));
    EXPECT_THAT(system.events, ElementsAre("write cut.txt=", "write paste.txt="));
}

TEST_F(RequestHandoffTest, ADestinationIsNotSplitIntoLines) {
    files.setRequest(kCutFile, "/a/1");
    files.setRequest(kPasteFile, "/dest\n/other");
    EXPECT_EQ(takePasteRequest(files)->destination, "/dest\n/other");
}

TEST_F(RequestHandoffTest, ABlankCutListIsConsumedWithNoItems) {
    files.setRequest(kCutFile, "\n\n\n");
    files.setRequest(kPasteFile, "/dest");
    EXPECT_EQ(takePasteRequest(files), (PasteRequest{{}, "/dest"}));
    EXPECT_EQ(files.request(kCutFile), "");
    EXPECT_EQ(files.request(kPasteFile), "");
}

TEST_F(RequestHandoffTest, PasteWithoutBothFilesLeavesThemAsTheyWere) {
    files.setRequest(kCutFile, "/a/1");
    EXPECT_EQ(takePasteRequest(files), std::nullopt) << "paste.txt missing";
    files.setRequest(kPasteFile, "");
    EXPECT_EQ(takePasteRequest(files), std::nullopt) << "paste.txt empty";
    EXPECT_EQ(files.request(kCutFile), "/a/1");
    EXPECT_TRUE(hasPendingCut(files)) << "the paste command stays offered";

    files.setRequest(kCutFile, "");
    files.setRequest(kPasteFile, "/dest");
    EXPECT_EQ(takePasteRequest(files), std::nullopt) << "paste while idle";
    EXPECT_EQ(files.request(kPasteFile), "/dest");
    EXPECT_THAT(system.events, IsEmpty());
}

TEST_F(RequestHandoffTest, TheLastWriterWins) {
    requestCreate(files, system.workspace, Path("/first"), "txt");
    requestCreate(files, system.workspace, Path("/second"), "md");
    EXPECT_EQ(takeCreateRequest(files), (CreateRequest{"/second", "md"}));
    EXPECT_EQ(takeCreateRequest(files), std::nullopt);
}

} // namespace
} // namespace orv::handoff
