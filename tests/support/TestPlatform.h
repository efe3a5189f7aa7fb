#pragma once
// Test doubles for every platform service, owned together by TestPlatform. They keep what was
// done to them in memory, and they write one shared event list so tests can check the order of
// file writes and URL openings across services.

#include "platform/Platform.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace orv::test {

using Events = std::vector<std::string>;

class FakeFileManager final : public FileManager {
  public:
    explicit FakeFileManager(Events& events) : events_(events) {}

    std::optional<Path> container = Path("/group");
    std::map<Path, std::string> files;
    std::set<Path> directories;
    std::set<Path> failingWrites;  // writes to these fail
    std::set<Path> unreadable;     // reads of these fail
    std::set<Path> failingLookups; // isDirectory lookups fail
    Path home = Path("/Users/tester");
    std::vector<WriteMode> writeModes;

    std::optional<Path> containerURL(std::string_view groupIdentifier) override;
    Expected<std::string> readUTF8(const Path& path) override;
    Status writeUTF8(const Path& path, std::string_view text, WriteMode mode) override;
    std::optional<bool> isDirectory(const Path& path) override;
    Path homeDirectory() override { return home; }

    // The content of a file in the container, or nullopt when there is none.
    std::optional<std::string> request(std::string_view name) const;
    void setRequest(std::string_view name, std::string content);

    std::vector<std::string> askedGroups;

  private:
    Events& events_;
};

class FakePasteboard final : public Pasteboard {
  public:
    explicit FakePasteboard(Events& events) : events_(events) {}
    std::map<std::string, std::string> contents; // type -> text
    void clearContents() override;
    bool setString(std::string_view text, std::string_view type) override;

  private:
    Events& events_;
};

class FakeWorkspace final : public Workspace {
  public:
    explicit FakeWorkspace(Events& events) : events_(events) {}
    std::vector<std::string> opened;
    bool openURL(std::string_view url) override;

  private:
    Events& events_;
};

class FakeUserDefaults final : public UserDefaults {
  public:
    FakeUserDefaults(std::map<std::string, bool>& store, int& synchronizations)
        : store_(store), synchronizations_(synchronizations) {}
    bool boolForKey(std::string_view key) override;
    void setBool(bool value, std::string_view key) override;
    bool synchronize() override;

  private:
    std::map<std::string, bool>& store_;
    int& synchronizations_;
};

class FakeUserDefaultsSuites final : public UserDefaultsSuites {
  public:
    std::map<std::string, std::map<std::string, bool>> domains;
    std::set<std::string> refused; // suite names that give no defaults object
    int synchronizations = 0;
    std::unique_ptr<UserDefaults> suite(std::string_view name) override;
};

class FakeProcessLauncher final : public ProcessLauncher {
  public:
    explicit FakeProcessLauncher(Events& events) : events_(events) {}
    struct Launch {
        Path executable;
        std::vector<std::string> arguments;
    };
    std::vector<Launch> launches;
    bool fail = false;
    Status launch(const Path& executable, const std::vector<std::string>& arguments) override;

  private:
    Events& events_;
};

class RecordingLogSink final : public LogSink {
  public:
    struct Line {
        std::string subsystem, category, message;
    };
    std::vector<Line> lines;
    void write(std::string_view subsystem, std::string_view category,
               std::string_view message) override;
    std::vector<std::string> messages() const;
};

class FakeBundle final : public Bundle {
  public:
    std::map<std::string, std::string, std::less<>> strings;
    std::string localizedString(std::string_view key) override;
};

class FakeFinderSyncController final : public FinderSyncController {
  public:
    std::optional<std::set<Path>> directories;
    std::optional<std::vector<Path>> selection;
    std::optional<Path> target;
    int selectionQueries = 0;
    void setDirectoryURLs(std::set<Path> urls) override { directories = std::move(urls); }
    std::optional<std::vector<Path>> selectedItemURLs() override;
    std::optional<Path> targetedURL() override { return target; }
};

class FakeSymbolCatalog final : public SymbolCatalog {
  public:
    std::set<std::string> missing;
    ImagePtr systemSymbol(std::string_view name) override;
};

// Every double, and the Platform made of them.
class TestPlatform {
  public:
    Events events;
    FakeFileManager files{events};
    FakePasteboard pasteboard{events};
    FakeWorkspace workspace{events};
    FakeUserDefaultsSuites suites;
    FakeProcessLauncher processes{events};
    RecordingLogSink log;
    FakeBundle bundle;
    FakeFinderSyncController finder;
    FakeSymbolCatalog symbols;

    Platform platform() {
        return Platform{files, pasteboard, workspace, suites, processes,
                        log,   bundle,     finder,    symbols};
    }
};

} // namespace orv::test
