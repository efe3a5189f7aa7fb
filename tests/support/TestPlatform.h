#pragma once
// Test doubles for every platform service, owned together by TestPlatform. They keep what was
// done to them in memory, and they write one shared event list so tests can check the order of
// file writes and URL openings across services.

#include "platform/Platform.h"
#include "platform/linux/LinuxGraphics.h"
#include "platform/linux/LinuxRunLoop.h"

#include <deque>
#include <functional>

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
    bool fileExists(const Path& path) override;
    Status createFileExclusively(const Path& path, std::string_view bytes) override;
    // Runs just before an exclusive create, as another process racing for the name would.
    std::function<void(const Path&)> beforeCreate;
    // Moves and removals act on `files` and `directories` (a folder takes what lies below it).
    Status moveItem(const Path& source, const Path& destination) override;
    Status removeItem(const Path& path) override;
    std::vector<std::pair<Path, Path>> moves;

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
    std::set<std::string, std::less<>> installedApplications;
    bool openURL(std::string_view url) override;
    std::optional<Path> urlForApplication(std::string_view bundleIdentifier) override;
    std::vector<std::vector<Path>> revealed;
    void activateFileViewerSelecting(const std::vector<Path>& items) override;

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
    void removePersistentDomain(std::string_view name) override;
    std::vector<std::string>* removedDomains = nullptr;

  private:
    std::map<std::string, bool>& store_;
    int& synchronizations_;
};

class FakeUserDefaultsSuites final : public UserDefaultsSuites {
  public:
    std::map<std::string, std::map<std::string, bool>> domains;
    std::set<std::string> refused; // suite names that give no defaults object
    int synchronizations = 0;
    std::vector<std::string> removedDomains;
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
    std::map<std::string, std::string, std::less<>> info;
    std::string localizedString(std::string_view key) override;
    std::optional<std::string> infoString(std::string_view key) override;
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
    std::map<std::string, Image::Raster> rasters; // drawn pixels for a symbol, at 13 points
    Size size{16, 16};
    ImagePtr systemSymbol(std::string_view name) override;
};

// The global queue, run when the test says.
class ManualQueue final : public BackgroundQueue {
  public:
    std::deque<std::function<void()>> tasks;
    void async(std::function<void()> task) override { tasks.push_back(std::move(task)); }
    // Runs the queued tasks, including those they queue, in order.
    void runAll();
};

class FakeApplication final : public Application {
  public:
    FakeApplication(Events& events, NotificationCenter& notifications)
        : events_(events), notifications_(notifications) {}

    ActivationPolicy policy = ActivationPolicy::regular;
    std::vector<ActivationPolicy> policyChanges;
    bool active = false;
    int aboutPanels = 0;
    int terminations = 0;
    ApplicationDelegate* delegate = nullptr;
    ImagePtr icon = std::make_shared<Image>(Size{128, 128});

    void setDelegate(ApplicationDelegate* d) override { delegate = d; }
    bool setActivationPolicy(ActivationPolicy p) override;
    ActivationPolicy activationPolicy() const override { return policy; }
    // Becoming active posts the notification, as when the user comes back to the host.
    void activateIgnoringOtherApps(bool flag) override;
    void orderFrontStandardAboutPanel(Sender sender) override;
    void terminate(Sender sender) override;
    ImagePtr applicationIconImage() override { return icon; }
    WindowPtr makeWindow(Rect contentRect, std::uint64_t styleMask, int backing,
                         bool defer) override;
    std::vector<WindowPtr> windows() const override;
    int run() override;
    bool performAction(std::string_view selector, Sender sender) override;

    // The user leaves for another application (System Settings, say) and comes back.
    void userLeaves() { active = false; }
    void userReturns() { activateIgnoringOtherApps(false); }

  private:
    Events& events_;
    NotificationCenter& notifications_;
    std::vector<std::weak_ptr<Window>> windows_;
};

class FakeStatusBar final : public StatusBar {
  public:
    bool withButton = true;
    std::vector<StatusItemPtr> items;
    explicit FakeStatusBar(Events& events) : events_(events) {}
    StatusItemPtr statusItem(double length) override;

  private:
    Events& events_;
};

class FakeAlertPresenter final : public AlertPresenter {
  public:
    std::vector<Alert> shown;
    std::deque<int> responses;        // answers in turn; the first button when none is left
    std::function<void()> whileShown; // runs while the alert is on screen
    int runModal(const Alert& alert) override;
};

class FakeLoginItems final : public LoginItemService {
  public:
    explicit FakeLoginItems(Events& events) : events_(events) {}
    bool fail = false;
    int registrations = 0;
    int unregistrations = 0;
    Status registerMainApp() override;
    Status unregisterMainApp() override;

  private:
    Events& events_;
};

class FakeAccessibility final : public AccessibilityTrust {
  public:
    bool trusted = false;
    int prompts = 0;
    bool isProcessTrusted() override { return trusted; }
    bool isProcessTrustedWithOptions(bool prompt) override {
        prompts += prompt ? 1 : 0;
        return trusted;
    }
};

class FakeFinderExtensionSettings final : public FinderExtensionSettings {
  public:
    bool enabled = false;
    int managementShown = 0;
    bool isExtensionEnabled() override { return enabled; }
    void showExtensionManagementInterface() override { ++managementShown; }
};

class FakeUpdaterController final : public UpdaterController {
  public:
    int checks = 0;
    bool performAction(std::string_view selector, Sender) override {
        checks += selector == "checkForUpdates:" ? 1 : 0;
        return selector == "checkForUpdates:";
    }
};

class FakeSoftwareUpdater final : public SoftwareUpdater {
  public:
    explicit FakeSoftwareUpdater(Events& events) : events_(events) {}
    std::vector<std::shared_ptr<FakeUpdaterController>> made;
    std::shared_ptr<UpdaterController> makeStandardController(bool startingUpdater) override;

  private:
    Events& events_;
};

class FakeScriptRunner final : public ScriptRunner {
  public:
    explicit FakeScriptRunner(Events& events) : events_(events) {}
    std::vector<std::string> scripts;
    std::deque<std::optional<ScriptError>> results; // in turn; success when none is left
    std::function<void(std::string_view)> onRun;    // what the script does to the world
    std::optional<ScriptError> run(std::string_view source) override;

  private:
    Events& events_;
};

class FakeSleeper final : public Sleeper {
  public:
    explicit FakeSleeper(Events& events) : events_(events) {}
    std::vector<double> sleeps;
    void sleepFor(double seconds) override;

  private:
    Events& events_;
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
    std::map<std::string, bool> standardStore;
    int standardSynchronizations = 0;
    FakeUserDefaults standardDefaults{standardStore, standardSynchronizations};
    std::vector<std::string> standardRemovedDomains;
    lnx::LinuxRunLoop mainQueue{lnx::LinuxRunLoop::Clock::manual};
    ManualQueue userInitiatedQueue;
    NotificationCenter notifications;
    FakeApplication application{events, notifications};
    FakeStatusBar statusBar{events};
    lnx::LinuxGraphics graphics;
    FakeAlertPresenter alerts;
    FakeLoginItems loginItems{events};
    FakeAccessibility accessibility;
    FakeFinderExtensionSettings finderExtension;
    FakeSoftwareUpdater updater{events};
    FakeScriptRunner scripts{events};
    FakeSleeper sleeper{events};

    Platform platform() {
        standardDefaults.removedDomains = &standardRemovedDomains;
        return Platform{files,         pasteboard,
                        workspace,     suites,
                        processes,     log,
                        bundle,        finder,
                        symbols,       standardDefaults,
                        mainQueue,     userInitiatedQueue,
                        notifications, application,
                        statusBar,     graphics,
                        alerts,        loginItems,
                        accessibility, finderExtension,
                        updater,       scripts,
                        sleeper};
    }
};

} // namespace orv::test
