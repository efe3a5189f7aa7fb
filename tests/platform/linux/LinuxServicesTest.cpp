#include "platform/linux/LinuxServices.h"
#include "app/shell/AppDelegate.h"
#include "platform/linux/LinuxBundle.h"
#include "platform/linux/LinuxFileManager.h"
#include "platform/linux/LinuxHost.h"
#include "platform/linux/LinuxUserDefaults.h"
#include "platform/linux/Process.h"
#include "platform/linux/StringsFile.h"
#include "platform/posix/Posix.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TestPlatform.h"

#include <array>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

namespace orv::lnx {
namespace {

using test::readFile;
using test::writeFile;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;

mode_t modeOf(const Path& path) {
    struct stat st {};
    stat(path.str().c_str(), &st);
    return st.st_mode & 07777;
}

class LinuxServicesTest : public ::testing::Test {
  protected:
    test::TempDir dir;
    test::ScopedEnv env;
};

TEST_F(LinuxServicesTest, ProgramsStartWithExactlyTheirArguments) {
    LinuxProcessLauncher launcher;
    ASSERT_TRUE(launcher.launch(test::recorderScript(dir / "record", dir / "args"),
                                {"Finder", "two words", ""}));
    ASSERT_TRUE(test::eventually([&] { return std::filesystem::exists((dir / "args").str()); }));
    EXPECT_EQ(readFile(dir / "args"), "Finder|two words||");
    EXPECT_EQ(launcher.launch(dir / "missing", {}).error().code, ENOENT);
    writeFile(dir / "plain", "not executable");
    EXPECT_FALSE(launcher.launch(dir / "plain", {}));
    EXPECT_FALSE(LinuxWorkspace(launcher).openURL("no scheme"));
}

TEST_F(LinuxServicesTest, TheGroupContainerIsMadePrivateOrIsAbsent) {
    test::RecordingLogSink sink;
    LinuxFileManager files(&sink, "s");
    env.set("XDG_DATA_HOME", (dir / "data").str());
    EXPECT_EQ(files.containerURL("G"), dir / "data/orvane/group-containers/G");
    env.set("ORVANE_GROUP_CONTAINERS", (dir / "groups").str());
    const Path container = *files.containerURL("G");
    EXPECT_EQ(modeOf(container), 0700u);
    EXPECT_EQ(files.containerURL("../escape"), std::nullopt);
    // Pre-made by someone else, or open to others' writes: another user could plant requests.
    chmod(container.str().c_str(), 0770);
    EXPECT_EQ(files.containerURL("G"), std::nullopt);
    EXPECT_THAT(sink.lines, ElementsAre(EndsWith(": writable by others")));
    chmod(container.str().c_str(), 0700);
    if (geteuid() == 0) { // only root can give a folder away
        ASSERT_EQ(chown(container.str().c_str(), 65534, 65534), 0);
        EXPECT_EQ(files.containerURL("G"), std::nullopt);
        EXPECT_THAT(sink.lines.back(), EndsWith(": owned by user 65534"));
    }
    writeFile(dir / "file", "");
    env.set("ORVANE_GROUP_CONTAINERS", (dir / "file").str());
    EXPECT_EQ(files.containerURL("G"), std::nullopt) << "a file is in the way";
}

TEST_F(LinuxServicesTest, AReplacedFileKeepsItsModeANewOneFollowsTheUmask) {
    LinuxFileManager files;
    writeFile(dir / "cut.txt", "old");
    chmod((dir / "cut.txt").str().c_str(), 0640);
    ASSERT_TRUE(files.writeUTF8(dir / "cut.txt", "/a", FileManager::WriteMode::atomic));
    EXPECT_EQ(modeOf(dir / "cut.txt"), 0640u);
    const mode_t old = umask(027);
    const auto written = files.writeUTF8(dir / "new.txt", "", FileManager::WriteMode::atomic);
    umask(old);
    ASSERT_TRUE(written);
    EXPECT_EQ(modeOf(dir / "new.txt"), 0640u);
    env.set("HOME", (dir / "home/").str());
    EXPECT_EQ(files.homeDirectory(), dir / "home");
}

TEST_F(LinuxServicesTest, ScriptRunnerShowsTheFileThroughTheSessionBusAndSaysWhyElse) {
    const std::string path = (dir / "My, \"file\".txt").str();
    writeFile(Path(path), "");
    std::filesystem::create_directories((dir / "bin").str());
    test::recorderScript(dir / "bin/dbus-send", dir / "args");
    env.set("PATH", (dir / "bin").str() + ":/usr/bin:/bin");
    env.set("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent");
    LinuxScriptRunner runner;
    // The host's own script: the runner must recognise exactly what the host sends.
    const std::string select = AppDelegate::finderSelectionScript(path);
    EXPECT_EQ(runner.run(select), std::nullopt);
    // A comma would split dbus-send's array.
    EXPECT_THAT(readFile(dir / "args"),
                HasSubstr("|array:string:file://" + dir.path().str() + "/My%2C%20%22file%22.txt|"));
    // Nemo would open one more window on the folder: it is not asked to show the file.
    std::filesystem::copy_file("/bin/sleep", (dir / "nemo").str());
    const test::RunningProgram nemo(dir / "nemo", {"60"}, {}, dir.path(), dir.path());
    writeFile(dir / "bin/dbus-send",
              concat({"#!/bin/sh\ncase \"$*\" in *GetConnectionUnixProcessID*) "
                      "echo '   uint32 ",
                      std::to_string(nemo.pid()), "';; *) echo shown > '", (dir / "shown").str(),
                      "';; esac\n"}));
    ASSERT_TRUE(test::eventually([&] {
        return readFile(Path("/proc/" + std::to_string(nemo.pid()) + "/comm")) == "nemo\n";
    }));
    EXPECT_EQ(runner.run(select)->number, -1);
    EXPECT_FALSE(std::filesystem::exists((dir / "shown").str()));
    env.unset("DBUS_SESSION_BUS_ADDRESS");
    EXPECT_EQ(runner.run(select)->number, -600);
    EXPECT_EQ(runner.describe(ScriptError{-1743, "No keys."}), "error -1743: No keys.");
    EXPECT_EQ(runner.describe(std::nullopt), "nil");
    EXPECT_EQ(runner.run("do shell script \"rm -rf x\" with administrator privileges")->number,
              -60005)
        << "nothing is run with administrator rights";
}

TEST_F(LinuxServicesTest, TheLogGoesToTheJournalUnderItsNameAndNeverIntoAnotherProgramsOutput) {
    // A journal of the test's own, and standard error a pipe, as a file manager's may be.
    const std::string journalPath = (dir / "journal").str();
    const posix::Fd journal(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    journalPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(journal.fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    int errors[2];
    ASSERT_EQ(pipe2(errors, O_CLOEXEC | O_NONBLOCK), 0);
    const posix::Fd reader(errors[0]), saved(dup(STDERR_FILENO));
    dup2(errors[1], STDERR_FILENO);
    close(errors[1]);
    {
        LinuxLogSink sink("orvane-test", journalPath);
        sink.write("sub\nsystem", "Cat", "two\nlines");
        sink.write("s", "C", std::string(300 << 10, 'x')); // more than a datagram holds
    }
    dup2(saved.fd, STDERR_FILENO);
    char byte;
    EXPECT_EQ(read(reader.fd, &byte, 1), 0) << "nothing on a standard error that is no terminal";

    std::string entry(4096, '\0');
    entry.resize(std::max<ssize_t>(0, recv(journal.fd, entry.data(), entry.size(), MSG_DONTWAIT)));
    // A value with a line feed in it goes with its length before it.
    EXPECT_EQ(entry, std::string("MESSAGE\n\x19\0\0\0\0\0\0\0sub\nsystem Cat two\\nlines\n"
                                 "PRIORITY=5\nSYSLOG_IDENTIFIER=orvane-test\nORVANE_SUBSYSTEM\n"
                                 "\x0a\0\0\0\0\0\0\0sub\nsystem\nORVANE_CATEGORY=Cat\n",
                                 139));
    // The large one comes as a sealed memory file.
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))];
    msghdr message{};
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ASSERT_EQ(recvmsg(journal.fd, &message, MSG_DONTWAIT), 0);
    int file = -1;
    std::memcpy(&file, CMSG_DATA(CMSG_FIRSTHDR(&message)), sizeof file);
    const posix::Fd large(file);
    EXPECT_THAT(readFile(Path("/proc/self/fd/" + std::to_string(file))),
                ::testing::StartsWith("MESSAGE=s C " + std::string(300 << 10, 'x') + "\n"));
    EXPECT_EQ(fcntl(file, F_GET_SEALS) & F_SEAL_WRITE, F_SEAL_WRITE);
}

TEST_F(LinuxServicesTest, PasteboardWithoutDisplayIsAPrivateFileHoldingTheLastString) {
    env.unset("DISPLAY");
    env.unset("WAYLAND_DISPLAY");
    env.set("XDG_RUNTIME_DIR", dir.path().str());
    LinuxPasteboard pasteboard;
    ASSERT_TRUE(pasteboard.setString("/a/b.txt\n/a/c", kPasteboardTypeString));
    EXPECT_FALSE(pasteboard.setString("x", "public.file-url"));
    EXPECT_EQ(readFile(dir / "orvane/pasteboard.txt"), "/a/b.txt\n/a/c");
    chmod((dir / "orvane").str().c_str(), 0777);
    EXPECT_FALSE(pasteboard.setString("secret", kPasteboardTypeString))
        << "a runtime folder others can write is not ours";
    EXPECT_EQ(readFile(dir / "orvane/pasteboard.txt"), "/a/b.txt\n/a/c");
}

TEST_F(LinuxServicesTest, UserDefaultsSeeOtherWritersAndNeverDropOrWriteOverWhatTheyCannotRead) {
    env.set("XDG_CONFIG_HOME", (dir / "config").str());
    std::filesystem::create_directories((dir / "config/orvane").str());
    LinuxUserDefaultsSuites suites;
    auto reader = suites.suite("finder");
    suites.suite("finder")->setBool(true, "Apple\tShowAllFiles");
    EXPECT_FALSE(reader->boolForKey("Apple\tShowAllFiles")) << "not before synchronize";
    reader->synchronize();
    EXPECT_TRUE(reader->boolForKey("Apple\tShowAllFiles"));
    EXPECT_EQ(suites.suite("../evil"), nullptr);

    const std::string broken = "Other\tbool\ttrue\nShown\tbool\tfalse\xff\n";
    writeFile(dir / "config/orvane/broken.defaults", broken);
    suites.suite("broken")->setBool(true, "Shown");
    EXPECT_EQ(readFile(dir / "config/orvane/broken.defaults"), broken);

    // Lines it does not understand are kept; a link is written through to its target.
    writeFile(dir / "dotfiles-d", "garbage line\nk\tstring\ttrue\n");
    std::filesystem::create_symlink("../../dotfiles-d", (dir / "config/orvane/d.defaults").str());
    EXPECT_FALSE(suites.suite("d")->boolForKey("k")) << "a string is not a Boolean";
    suites.suite("d")->setBool(true, "b");
    EXPECT_TRUE(std::filesystem::is_symlink((dir / "config/orvane/d.defaults").str()));
    EXPECT_EQ(readFile(dir / "dotfiles-d"), "b\tbool\ttrue\nk\tstring\ttrue\ngarbage line\n");
    env.set("XDG_CONFIG_HOME", "/proc"); // where nobody can make a folder
    auto unwritable = LinuxUserDefaultsSuites().suite("u");
    unwritable->setBool(true, "k");
    EXPECT_FALSE(unwritable->synchronize()) << "a write that failed is not reported as saved";
}

TEST_F(LinuxServicesTest, BundlePicksTheLanguageAndFallsBackToEnglish) {
    // A locale, our language for it; then LANGUAGE, LC_ALL, LC_MESSAGES and LANG (empty: not
    // set), and the language with a table chosen.
    // clang-format off
    for (const auto& [locale, ours] : std::map<std::string, std::string>{
             {"pt_BR.UTF-8", "pt-BR"}, {"pt_PT", "pt-BR"}, {"zh_CN.GB18030", "zh-Hans"}, {"zh_SG", "zh-Hans"},
             {"zh_TW.UTF-8", "zh-Hant"}, {"zh_HK", "zh-Hant"}, {"zh_Hant", "zh-Hant"}, {"zh", "zh-Hans"},
             {"de_AT.UTF-8@euro", "de"}, {"../de", ""}}) {
        EXPECT_EQ(LinuxBundle::languageForLocale(locale), ours) << locale;
    }
    for (const auto& row : {std::array{"xx:ja_JP:de", "", "", "C", "ja"}, {"sr@latin:", "", "ko_KR", "fr_CA", "ko"},
                            {"", "C", "", "de_DE", "en"}, {"", "", "", "POSIX", "en"}, {"", "", "", "sr_RS", "en"}}) {
        // clang-format on
        for (std::size_t i = 0; i < 4; ++i) {
            env.set(std::array{"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}[i], row[i]);
        }
        EXPECT_EQ(LinuxBundle::preferredLanguage(Path(ORVANE_EXTENSION_RESOURCES_DIR)), row[4])
            << row[0] << " " << row[3];
    }
}

// The tables both deliverables ship, in exactly our languages: each parses cleanly and has
// English's keys (Linux's words only over them), none empty, with English's format
// placeholders in English's order.
TEST(StringsFileTest, ShippedTablesAreCompleteInEveryLanguage) {
    const std::regex placeholder("%[-+ #.$0-9]*l*[a-zA-Z@%]");
    const auto placeholders = [&](const std::string& text) {
        return std::vector<std::string>(
            std::sregex_token_iterator(text.begin(), text.end(), placeholder), {});
    };
    for (const std::string resources : {ORVANE_APP_RESOURCES_DIR, ORVANE_EXTENSION_RESOURCES_DIR}) {
        std::map<std::string, std::map<std::string, std::string, std::less<>>> tables;
        std::set<std::string> languages;
        for (const auto& lproj : std::filesystem::directory_iterator(resources)) {
            const std::string language = *languages.insert(lproj.path().stem()).first;
            for (const std::string file : {"Localizable", "Linux"}) { // Linux's over the shared
                auto table =
                    parseStrings(readFile(Path(lproj.path().string() + "/" + file + ".strings")));
                EXPECT_EQ(table.error, "") << language << " " << file;
                table.entries.merge(std::map(tables[language]));
                tables[language + (file == "Linux" ? " on Linux" : "")] = table.entries;
            }
        }
        for (auto& [language, table] : tables) {
            EXPECT_EQ(table.size(), tables["en"].size())
                << language << ": other keys than English's";
            for (const auto& [key, english] : tables["en"]) {
                EXPECT_FALSE(table[key].empty()) << language << " " << key;
                EXPECT_EQ(placeholders(table[key]), placeholders(english))
                    << language << " " << key;
            }
        }
        EXPECT_EQ(languages,
                  (std::set<std::string>{"de", "en", "es", "fr", "it", "ja", "ko", "nl", "pl",
                                         "pt-BR", "ru", "tr", "zh-Hans", "zh-Hant"}));
    }
}

TEST(LinuxLoginItemsTest, RegisteringWritesAnAutostartEntryThatTheUsersChoiceOverrides) {
    test::TempDir dir;
    test::ScopedEnv env;
    env.set("XDG_CONFIG_HOME", dir.path().str());
    const Path entry = dir / "autostart/orvane-host.desktop";
    EXPECT_TRUE(LinuxLoginItems(false).registerMainApp());
    EXPECT_FALSE(std::filesystem::exists(entry.str())) << "a run that only shows changes nothing";
    LinuxLoginItems items;
    ASSERT_TRUE(items.registerMainApp());
    ASSERT_TRUE(items.registerMainApp()) << "every launch registers again";
    EXPECT_THAT(test::readFile(entry),
                ::testing::MatchesRegex("\\[Desktop Entry\\]\nType=Application\n"
                                        "(.|\n)*/orvane-host\"\n(.|\n)*"));
    ASSERT_TRUE(items.unregisterMainApp());
    EXPECT_EQ(items.unregisterMainApp().error().code, ENOENT);
    for (const char* off : {"Hidden=true", "X-GNOME-Autostart-enabled=false"}) {
        const std::string disabled =
            "[Desktop Entry]\nType=Application\nExec=x\n" + std::string(off);
        test::writeFile(entry, disabled);
        EXPECT_FALSE(items.registerMainApp()) << off;
        EXPECT_EQ(test::readFile(entry), disabled);
    }
    // The Exec line carries any program path as one argument.
    EXPECT_EQ(LinuxLoginItems::execArgument("/opt/100% \"$x\"\tand\\"),
              R"("/opt/100%% \\"\\$x\\"\tand\\\\")");
    EXPECT_EQ(LinuxLoginItems::execArgument("/opt/\x01"), std::nullopt);
    env.set("XDG_CONFIG_HOME", entry.str()); // a file where its folder would be made
    EXPECT_FALSE(items.registerMainApp());
}

} // namespace
} // namespace orv::lnx
