#include "shared/RequestHandoff.h"

#include "platform/linux/LinuxFileManager.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestPlatform.h"

#include <filesystem>
#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace orv::handoff {
namespace {

using ::testing::ElementsAre;

// The round-trip rule: what the extension writes, the host's line parsing must give back as it
// was; else a cut of one item moves others. The parsing trims Unicode blanks at the ends.
TEST(CarriedIntactTest, OnlyPathsThatParseBackUnchangedTravel) {
    EXPECT_THAT(parseLines("\n\n/tmp/x\r\n\nmd\n \t\r\n"), ElementsAre("/tmp/x", "md"));
    for (const auto& [why, paths] :
         std::vector<std::pair<std::optional<std::string>, std::vector<std::string>>>{
             {std::nullopt,
              {"/w/-rf", "/w/caf\xC3\xA9 \xE2\x80\x83inner blank", "/w/" + std::string(255, 'n')}},
             {"begins or ends with white space",
              {"/w/src/photo ", "\xC2\xA0/w/src/photo", "/w/photo\xE3\x80\x80"}},
             {"holds a line break", {"/w/x\n/home/u/victim", "/w/x\r"}},
             {"holds a NUL byte", {std::string("/w/a\0/etc/passwd", 16)}},
             {"is not valid UTF-8",
              {"/w/caf\xE9.txt", "/w/\xF0\x9F\x93\x81 truncated \xC3", "/w/overlong \xC0\xAF",
               "/w/surrogate \xED\xA0\x80", "/w/past U+10FFFF \xF4\x90\x80\x80"}}}) {
        for (const auto& path : paths) {
            EXPECT_EQ(whyNotCarried(path), why) << path;
            if (!why) {
                EXPECT_THAT(parseLines(path), ElementsAre(path));
            }
        }
    }
}

TEST(CreateRequestTest, TakenOnceAndClearedEvenWhenBlankOrLeftWhenUnreadable) {
    test::TestPlatform system;
    auto& files = system.files;
    const Log log(system.log, "tamsel.Orvane-", "AppDelegate");
    EXPECT_EQ(takeCreateRequest(files, log), std::nullopt);
    EXPECT_EQ(files.request(kPendingFile), std::nullopt) << "a missing file is not created";
    for (const auto& [content, expected] :
         std::vector<std::pair<std::string, std::optional<CreateRequest>>>{
             {"/tmp/x", CreateRequest{"/tmp/x", "txt"}},
             {"/tmp/x\nTXT\nextra\nlines", CreateRequest{"/tmp/x", "TXT"}},
             {"  \n\n \t", std::nullopt}}) {
        files.setRequest(kPendingFile, content);
        EXPECT_EQ(takeCreateRequest(files, log), expected) << content;
        EXPECT_EQ(files.request(kPendingFile), "") << content;
        EXPECT_EQ(takeCreateRequest(files, log), std::nullopt) << "carried out once";
    }
    // Unreadable: left as it is. Not cleared: carried out all the same.
    files.setRequest(kPendingFile, "/tmp/x\nmd");
    files.unreadable.insert(files.container->appending(kPendingFile));
    system.events.clear();
    EXPECT_EQ(takeCreateRequest(files, log), std::nullopt);
    EXPECT_THAT(system.events, ::testing::IsEmpty());
    files.unreadable.clear();
    files.failingWrites.insert(files.container->appending(kPendingFile));
    EXPECT_EQ(takeCreateRequest(files, log), (CreateRequest{"/tmp/x", "md"}));
}

TEST(RequestFilesTest, FifosLinksFoldersAndHugeFilesAreRefusedAndLogged) {
    test::TempDir dir;
    test::ScopedEnv env;
    env.set("ORVANE_GROUP_CONTAINERS", dir.path().str());
    lnx::LinuxFileManager files;
    test::RecordingLogSink sink;
    const Log log(sink, "tamsel.Orvane-", "AppDelegate");
    const Path container = *files.containerURL(kAppGroupIdentifier);
    const std::string pending = container.appending(kPendingFile).str();
    test::writeFile(dir / "elsewhere", "/tmp\ntxt");
    const std::vector<std::function<void()>> plant = {
        [&] { ASSERT_EQ(mkfifo(pending.c_str(), 0600), 0); },
        [&] { std::filesystem::create_symlink((dir / "elsewhere").str(), pending); },
        [&] { std::filesystem::create_directory(pending); },
        [&] { test::writeFile(Path(pending), "/tmp\n" + std::string(kMaxRequestBytes, 'x')); }};
    for (std::size_t i = 0; i < plant.size(); ++i) {
        std::filesystem::remove(pending);
        plant[i]();
        EXPECT_EQ(takeCreateRequest(files, log), std::nullopt) << i;
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(pending))) << i;
        ASSERT_EQ(sink.lines.size(), i + 1) << "said why: " << i;
        EXPECT_THAT(sink.lines[i], ::testing::StartsWith("Ignored a request: ")) << i;
    }
    std::filesystem::remove(pending);
    ASSERT_EQ(mkfifo(container.appending(kCutFile).str().c_str(), 0600), 0);
    EXPECT_FALSE(hasPendingCut(files)) << "the menu does not wait on a FIFO";
    EXPECT_EQ(takeCreateRequest(files, log), std::nullopt);
    EXPECT_EQ(sink.lines.size(), plant.size()) << "a missing request file is no news";
}

} // namespace
} // namespace orv::handoff
