// What the product relies on of the file manager, the user defaults and the strings tables,
// written once against the interfaces: run against Linux's services here and macOS's in the
// macOS job.

#include "tests/platform/contract/Contract.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace orv::contract {
namespace {

namespace fs = std::filesystem;
using test::countEntries;
using test::readFile;
using test::writeFile;
using WriteMode = FileManager::WriteMode;

struct PlatformContractTest : ::testing::Test {
    test::TempDir dir;
    test::ScopedEnv env;
    Implementations platform = makeImplementations(dir.path(), env);
    FileManager& files = *platform.files;
};

TEST_F(PlatformContractTest, TheGroupContainerIsAFolderOfTheGroupsName) {
    const auto container = files.containerURL("K4W7P2Z9QD.tamsel.Orvane");
    ASSERT_TRUE(container && container->isAbsolute());
    EXPECT_EQ(container->lastComponent(), "K4W7P2Z9QD.tamsel.Orvane");
    EXPECT_EQ(files.isDirectory(*container), true);
    EXPECT_TRUE(files.homeDirectory().isAbsolute());
}

TEST_F(PlatformContractTest, ReadsUTF8TextAndRefusesEverythingElseWithoutWaiting) {
    writeFile(dir / "ok.txt", "\xEF\xBB\xBF/caf\xC3\xA9\n");
    EXPECT_EQ(*files.readUTF8(dir / "ok.txt"), "/caf\xC3\xA9\n") << "without its BOM";
    writeFile(dir / "latin1.txt", "/caf\xE9");
    ASSERT_EQ(mkfifo((dir / "fifo").str().c_str(), 0600), 0);
    fs::create_symlink((dir / "ok.txt").str(), (dir / "link").str());
    EXPECT_EQ(files.readUTF8(dir / "missing.txt").error().code, ENOENT);
    EXPECT_FALSE(files.readUTF8(dir / "latin1.txt"));
    EXPECT_FALSE(files.readUTF8(dir.path())) << "a folder is not a text";
    EXPECT_FALSE(files.readUTF8(dir / "fifo")) << "and it did not wait for a writer";
    EXPECT_FALSE(files.readUTF8(dir / "ok.txt", {4, true})) << "longer than allowed";
    EXPECT_TRUE(files.readUTF8(dir / "link"));
    EXPECT_FALSE(files.readUTF8(dir / "link", {SIZE_MAX, false}));
}

TEST_F(PlatformContractTest, WritesReplaceTheWholeFileAndNameTheFileWhenTheyFail) {
    writeFile(dir / "cut.txt", "an old and much longer list");
    ASSERT_TRUE(files.writeUTF8(dir / "cut.txt", "/a", WriteMode::atomic));
    EXPECT_EQ(readFile(dir / "cut.txt"), "/a");
    ASSERT_TRUE(files.writeUTF8(dir / "cut.txt", "", WriteMode::inPlace));
    EXPECT_EQ(readFile(dir / "cut.txt"), "");
    EXPECT_EQ(countEntries(dir.path()), 1u) << "no temporary file is left";
    for (const auto mode : {WriteMode::atomic, WriteMode::inPlace}) {
        const auto result = files.writeUTF8(dir / "nope/x.txt", "x", mode);
        ASSERT_FALSE(result);
        EXPECT_NE(result.error().localizedDescription.find("x.txt"), std::string::npos);
    }
}

TEST_F(PlatformContractTest, KindsAndExistenceAreTheItemsOwnLinksNotFollowed) {
    fs::create_directory((dir / "Tool.app").str());
    writeFile(dir / "f", "");
    fs::create_directory_symlink((dir / "Tool.app").str(), (dir / "link").str());
    fs::create_symlink("/nonexistent", (dir / "dangling").str());
    for (const auto& [name, kind] : std::vector<std::pair<std::string, std::optional<bool>>>{
             {"Tool.app", true}, {"f", false}, {"link", false}, {"missing", std::nullopt}}) {
        EXPECT_EQ(files.isDirectory(dir / name), kind) << name;
    }
    EXPECT_TRUE(files.fileExists(dir / "dangling"));
    EXPECT_FALSE(files.fileExists(dir / "missing"));
}

TEST_F(PlatformContractTest, ExclusiveCreationNeverReplacesAnyKindOfItem) {
    ASSERT_TRUE(files.createFileExclusively(dir / "B.rtf", "{\\rtf1}"));
    fs::create_directory((dir / "B.md").str());
    fs::create_symlink("/nonexistent", (dir / "dangling").str());
    for (const char* taken : {"B.rtf", "B.md", "dangling"}) {
        EXPECT_EQ(files.createFileExclusively(dir / taken, "other").error().kind,
                  Error::Kind::alreadyExists)
            << taken;
    }
    EXPECT_EQ(readFile(dir / "B.rtf"), "{\\rtf1}");
    EXPECT_EQ(files.createFileExclusively(dir / "nope/B.txt", "").error().kind,
              Error::Kind::notFound);
    EXPECT_EQ(countEntries(dir.path()), 3u) << "no temporary file is left behind";

    std::atomic<int> winners{0};
    std::vector<std::thread> racers;
    for (int i = 0; i < 8; ++i) {
        racers.emplace_back(
            [&] { winners += files.createFileExclusively(dir / "race.txt", "r") ? 1 : 0; });
    }
    std::for_each(racers.begin(), racers.end(), [](std::thread& racer) { racer.join(); });
    EXPECT_EQ(winners, 1);
    EXPECT_EQ(countEntries(dir.path()), 4u);
}

TEST_F(PlatformContractTest, MovesNeverReplaceAndRemovalTakesAFolderWhole) {
    fs::create_directories((dir / "a/inner").str());
    writeFile(dir / "a/inner/f", "f");
    writeFile(dir / "b", "b");
    EXPECT_EQ(files.moveItem(dir / "b", dir / "a", nullptr, nullptr).error().kind,
              Error::Kind::alreadyExists);
    ASSERT_TRUE(files.moveItem(dir / "a", dir / "c", nullptr, nullptr));
    EXPECT_EQ(readFile(dir / "c/inner/f"), "f");
    ASSERT_TRUE(files.removeItem(dir / "c"));
    EXPECT_EQ(countEntries(dir.path()), 1u);

    // A path holding NUL is refused, never cut short.
    const Path nul((dir / "b").str() + std::string("\0/x", 3));
    EXPECT_FALSE(files.readUTF8(nul) || files.writeUTF8(nul, "x", WriteMode::atomic) ||
                 files.createFileExclusively(nul, "x") ||
                 files.moveItem(dir / "b", nul, nullptr, nullptr) || files.removeItem(nul) ||
                 files.fileExists(nul) || files.isDirectory(nul));
    EXPECT_EQ(readFile(dir / "b"), "b");
}

TEST_F(PlatformContractTest, UserDefaultsPersistPerDomainAndCanBeRemoved) {
    const std::string domain = "tamsel.Orvane-.contract-" + std::to_string(getpid());
    {
        auto writer = platform.suites->suite(domain);
        writer->setBool(true, "AppleShowAllFiles");
        EXPECT_TRUE(writer->synchronize());
    }
    auto reader = platform.suites->suite(domain);
    EXPECT_TRUE(reader->boolForKey("AppleShowAllFiles"));
    EXPECT_FALSE(reader->boolForKey("missing"));
    EXPECT_FALSE(platform.suites->suite(domain + ".other")->boolForKey("AppleShowAllFiles"));
    reader->removePersistentDomain(domain);
    reader->synchronize();
    EXPECT_FALSE(platform.suites->suite(domain)->boolForKey("AppleShowAllFiles"));
}

TEST_F(PlatformContractTest, StringsTablesGiveTheirTextsAndMissingKeysShowAsKeys) {
    fs::create_directories((dir / "en.lproj").str());
    writeFile(dir / "en.lproj/Localizable.strings",
              "/* menu */\n\"menu.cut\" = \"Cut\";\n\"file.txt\" = \"Text \\\"plain\\\"\";\n");
    const auto bundle = platform.bundle(dir.path());
    EXPECT_EQ(bundle->localizedString("menu.cut"), "Cut");
    EXPECT_EQ(bundle->localizedString("file.txt"), "Text \"plain\"");
    EXPECT_EQ(bundle->localizedString("menu.paste"), "menu.paste");
}

} // namespace
} // namespace orv::contract
