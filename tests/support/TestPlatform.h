#pragma once
// Test doubles for every platform service, owned together by TestPlatform. They keep what was
// done to them in memory, and they write one shared event list so tests can check the order of
// file writes and URL openings across services.

#include "platform/Platform.h"
#include "platform/Text.h"
#include "platform/linux/LinuxGraphics.h"
#include "platform/linux/LinuxRunLoop.h"

#include <deque>
#include <functional>
#include <map>
#include <numeric>
#include <set>
#include <string>
#include <vector>

namespace orv::test {

using Events = std::vector<std::string>;

struct Recorder {
    explicit Recorder(Events& events) : events(events) {}
    void record(std::string event) const { events.push_back(std::move(event)); }
    Events& events;
};

// Pops the next answer a test queued, or gives `otherwise` when none is left.
template <class T> T next(std::deque<T>& answers, T otherwise) {
    if (!answers.empty()) {
        otherwise = std::move(answers.front());
        answers.pop_front();
    }
    return otherwise;
}

struct FakeFileManager final : FileManager, Recorder {
    using Recorder::Recorder;

    std::optional<Path> container = Path("/group");
    std::map<Path, std::string> files;
    std::set<Path> directories;
    std::set<Path> failingWrites; // writes to these fail
    std::set<Path> unreadable;    // reads of these fail
    int containerQueries = 0;
    int journaledMoves = 0;              // moves given an observer to record their copies
    std::map<Path, Error> moveErrors;    // what moving these answers (after moving, when partial)
    std::map<Path, std::int64_t> copies; // items on another volume, and the bytes each copies
    // Runs just before an exclusive create, as another process racing for the name would.
    std::function<void(const Path&)> beforeCreate = [](const Path&) {};

    std::optional<Path> containerURL(std::string_view groupIdentifier) override {
        containerQueries += groupIdentifier == "K4W7P2Z9QD.tamsel.Orvane" ? 1 : 0;
        return container;
    }
    using FileManager::readUTF8;
    Expected<std::string> readUTF8(const Path& path, const ReadOptions& options) override {
        const auto found = files.find(path);
        if (found == files.end()) {
            return Error{2, "No such file: " + path.str(), Error::Kind::notFound};
        }
        if (unreadable.count(path) != 0 || found->second.size() > options.maxBytes) {
            return Error{5, "Couldn’t read " + path.str()};
        }
        return found->second;
    }
    Status writeUTF8(const Path& path, std::string_view text, WriteMode) override {
        if (failingWrites.count(path) != 0) {
            record("write failed " + path.lastComponent());
            return Error{13, "Permission denied: " + path.str()};
        }
        files[path] = std::string(text);
        record("write " + path.lastComponent() + "=" + std::string(text));
        return ok();
    }
    std::optional<bool> isDirectory(const Path& path) override {
        return directories.count(path) != 0 ? std::optional(true)
               : files.count(path) != 0     ? std::optional(false)
                                            : std::nullopt;
    }
    Path homeDirectory() override { return Path("/Users/tester"); }
    bool fileExists(const Path& path) override { return isDirectory(path).has_value(); }
    Status createFileExclusively(const Path& path, std::string_view bytes) override;
    // Every move is recorded, done or not. A removal takes what lies below a folder too.
    // An item of `copies` tells `progress` of its data in pieces, and stops when it says so.
    Status moveItem(const Path& source, const Path& destination, MoveObserver*,
                    MoveProgress* progress) override;
    std::int64_t bytesToCopy(const Path& source, const Path&) override {
        return copies.count(source) != 0 ? copies[source] : 0;
    }
    // What recovering a move answers.
    Interrupted interrupted = Interrupted::nothing;
    Interrupted recoverInterruptedMove(const CopyRecord& move) override {
        record("recover " + move.source.str() + " -> " + move.destination.str());
        return interrupted;
    }
    Expected<Path> trashItem(const Path&) override { return Error{1, "No Trash here"}; }
    Expected<std::vector<std::string>> contentsOfDirectory(const Path& folder) override;
    Status removeItem(const Path& path) override;

    // The content of a file in the container, or nullopt when there is none.
    std::optional<std::string> request(std::string_view name) const {
        const auto found = container ? files.find(container->appending(name)) : files.end();
        return found == files.end() ? std::nullopt : std::optional(found->second);
    }
    void setRequest(std::string_view name, std::string content) {
        files[container->appending(name)] = std::move(content);
    }
};

struct FakePasteboard final : Pasteboard, Recorder {
    using Recorder::Recorder;
    void clearContents() override { record("pasteboard clear"); }
    bool setString(std::string_view text, std::string_view type) override {
        record(concat({"pasteboard set ", type, "=", text}));
        return true;
    }
};

struct FakeWorkspace final : Workspace, Recorder {
    using Recorder::Recorder;
    std::set<std::string, std::less<>> installedApplications;
    bool openURL(std::string_view url) override {
        record("open " + std::string(url));
        return true;
    }
    std::optional<Path> urlForApplication(std::string_view id) override {
        return installedApplications.count(id) == 0
                   ? std::nullopt
                   : std::optional(Path("/Applications").appending(std::string(id) + ".app"));
    }
    void activateFileViewerSelecting(const std::vector<Path>& items) override {
        record(std::accumulate(items.begin(), items.end(), std::string("reveal"),
                               [](std::string s, const Path& p) { return s + " " + p.str(); }));
    }
};

// Defaults domains by name; removed domains are listed.
struct FakeUserDefaultsSuites final : UserDefaultsSuites {
    std::map<std::string, std::map<std::string, bool>> domains;
    std::set<std::string> refused; // suite names that give no defaults object
    std::vector<std::string> removedDomains;

    struct Domain final : UserDefaults {
        Domain(std::map<std::string, bool>& store, FakeUserDefaultsSuites& suites)
            : store_(store), suites_(suites) {}
        bool boolForKey(std::string_view key) override {
            const auto found = store_.find(std::string(key));
            return found != store_.end() && found->second;
        }
        void setBool(bool on, std::string_view key) override { store_[std::string(key)] = on; }
        bool synchronize() override { return true; }
        void removePersistentDomain(std::string_view name) override {
            suites_.removedDomains.emplace_back(name);
        }
        std::map<std::string, bool>& store_;
        FakeUserDefaultsSuites& suites_;
    };
    std::unique_ptr<UserDefaults> suite(std::string_view name) override {
        return refused.count(std::string(name)) != 0
                   ? nullptr
                   : std::make_unique<Domain>(domains[std::string(name)], *this);
    }
};

struct FakeProcessLauncher final : ProcessLauncher, Recorder {
    using Recorder::Recorder;
    Status launch(const Path& executable, const std::vector<std::string>& arguments) override {
        record(std::accumulate(arguments.begin(), arguments.end(), "launch " + executable.str(),
                               [](std::string s, const std::string& a) { return s + " " + a; }));
        return ok();
    }
};

// Keeps the messages; the subsystem and category show in the programs' real log.
struct RecordingLogSink final : LogSink {
    std::vector<std::string> lines;
    void write(std::string_view, std::string_view, std::string_view message) override {
        lines.emplace_back(message);
    }
};

struct FakeBundle final : Bundle {
    std::map<std::string, std::string, std::less<>> strings;
    std::map<std::string, std::string, std::less<>> info;
    std::string localizedString(std::string_view key) override {
        const auto found = strings.find(key);
        return found == strings.end() ? std::string(key) : found->second;
    }
    std::optional<std::string> infoString(std::string_view key) override {
        const auto found = info.find(key);
        return found == info.end() ? std::nullopt : std::optional(found->second);
    }
};

struct FakeFinderSyncController final : FinderSyncController {
    std::optional<std::vector<Path>> selection;
    std::optional<Path> target;
    int selectionQueries = 0;
    void setDirectoryURLs(std::set<Path>) override {}
    std::optional<std::vector<Path>> selectedItemURLs() override {
        ++selectionQueries;
        return selection;
    }
    std::optional<Path> targetedURL() override { return target; }
};

struct FakeSymbolCatalog final : SymbolCatalog {
    std::set<std::string> missing;
    ImagePtr systemSymbol(std::string_view name) override {
        auto image = std::make_shared<Image>(Size{16, 16});
        image->symbolName = std::string(name);
        return missing.count(image->symbolName) != 0 ? nullptr : image;
    }
};

// The global queue, run when the test says.
struct ManualQueue final : BackgroundQueue {
    std::deque<std::function<void()>> tasks;
    void async(std::function<void()> task) override { tasks.push_back(std::move(task)); }
    // Runs the queued tasks, including those they queue, in order.
    void runAll() {
        while (!tasks.empty()) {
            next(tasks, {})();
        }
    }
};

struct FakeApplication final : Application, Recorder {
    FakeApplication(Events& events, NotificationCenter& notifications)
        : Recorder(events), notifications_(notifications) {}

    ActivationPolicy policy = ActivationPolicy::regular;
    bool active = false;

    void setDelegate(ApplicationDelegate*) override {}
    bool setActivationPolicy(ActivationPolicy p) override {
        policy = p;
        static constexpr const char* kNames[] = {"regular", "accessory", "prohibited"};
        record(std::string("policy ") + kNames[static_cast<int>(p)]);
        return true;
    }
    ActivationPolicy activationPolicy() const override { return policy; }
    // Becoming active posts the notification, as when the user comes back to the host.
    void activateIgnoringOtherApps(bool) override {
        record("activate");
        if (!active) {
            active = true;
            notifications_.post(kApplicationDidBecomeActiveNotification);
        }
    }
    void orderFrontStandardAboutPanel(Sender) override { record("about panel"); }
    void terminate(Sender) override { record("terminate"); }
    ImagePtr applicationIconImage() override { return std::make_shared<Image>(Size{128, 128}); }
    WindowPtr makeWindow(Rect contentRect, std::uint64_t styleMask, int backing,
                         bool defer) override {
        record("window made");
        return remember(std::make_shared<Window>(contentRect, styleMask, backing, defer));
    }
    int run() override { return 0; }

    // The user leaves for another application (System Settings, say) and comes back.
    void userLeavesAndReturns() {
        active = false;
        activateIgnoringOtherApps(false);
    }
    NotificationCenter& notifications_;
};

struct FakeStatusBar final : StatusBar, Recorder {
    using Recorder::Recorder;
    StatusItemPtr statusItem(double length) override {
        record("status item");
        return std::make_shared<StatusItem>(length, std::make_shared<StatusBarButton>());
    }
};

struct FakeAlertPresenter final : AlertPresenter, Recorder {
    using Recorder::Recorder;
    std::vector<Alert> shown;
    std::deque<int> responses; // answers in turn; the first button when none is left
    int runModal(const Alert& alert) override {
        shown.push_back(alert);
        record("alert");
        return next(responses, int(kAlertFirstButtonReturn));
    }
};

// Keeps each report shown; `cancels`: the user cancels as soon as the move shows.
struct FakeProgressPresenter final : ProgressPresenter {
    std::vector<MoveProgressReport> reports;
    bool cancels = false;
    struct Display final : ProgressDisplay {
        FakeProgressPresenter& presenter;
        explicit Display(FakeProgressPresenter& presenter) : presenter(presenter) {}
        void update(const MoveProgressReport& report) override { presenter.heard(report); }
    };
    std::unique_ptr<ProgressDisplay> show(const MoveProgressReport& report,
                                          std::function<void()> cancel) override {
        heard(report);
        if (cancels) {
            cancel();
        }
        return std::make_unique<Display>(*this);
    }
    void heard(const MoveProgressReport& report) { reports.push_back(report); }
};

struct FakeLoginItems final : LoginItemService, Recorder {
    using Recorder::Recorder;
    bool fail = false;
    Status registerMainApp() override { return result("login item register"); }
    Status unregisterMainApp() override { return result("login item unregister"); }
    Status result(std::string event) const {
        record(std::move(event));
        return fail ? Status(Error{1, "Operation not permitted"}) : ok();
    }
};

struct FakeAccessibility final : AccessibilityTrust {
    bool trusted = false;
    int prompts = 0;
    bool isProcessTrusted() override { return trusted; }
    bool isProcessTrustedWithOptions(bool prompt) override {
        prompts += prompt ? 1 : 0;
        return trusted;
    }
};

struct FakeFinderExtensionSettings final : FinderExtensionSettings, Recorder {
    using Recorder::Recorder;
    bool enabled = false;
    bool isExtensionEnabled() override { return enabled; }
    void showExtensionManagementInterface() override { record("extension settings"); }
};

struct FakeUpdaterController final : UpdaterController {
    int checks = 0;
    bool performAction(std::string_view selector, Sender) override {
        checks += selector == "checkForUpdates:" ? 1 : 0;
        return selector == "checkForUpdates:";
    }
};

struct FakeSoftwareUpdater final : SoftwareUpdater, Recorder {
    using Recorder::Recorder;
    std::vector<std::shared_ptr<FakeUpdaterController>> made;
    std::shared_ptr<UpdaterController> makeStandardController(bool startingUpdater) override {
        record(std::string("updater starting=") + (startingUpdater ? "true" : "false"));
        return made.emplace_back(std::make_shared<FakeUpdaterController>());
    }
};

struct FakeScriptRunner final : ScriptRunner, Recorder {
    using Recorder::Recorder;
    std::vector<std::string> scripts;
    std::deque<std::optional<ScriptError>> results; // in turn; success when none is left
    std::function<void(std::string_view)> onRun = [](std::string_view) {}; // what it does
    std::optional<ScriptError> run(std::string_view source) override {
        scripts.emplace_back(source);
        record("script " + std::string(source.substr(0, source.find('\n'))));
        onRun(source);
        return next(results, {});
    }
};

// A machine on which only the processes in `running` (number to start) run.
struct FakeProcessInfo final : ProcessInfo {
    std::map<std::int64_t, std::uint64_t> running{{100, 7}};
    std::int64_t processIdentifier() override { return 100; }
    // Each look at the clock finds it `tick` seconds on.
    double uptime = 0, tick = 0;
    double systemUptime() override { return uptime += tick; }
    std::string machine() override { return "machine"; }
    std::string boot() override { return "boot"; }
    std::optional<std::uint64_t> startOf(std::int64_t pid) override {
        const auto found = running.find(pid);
        return found == running.end() ? std::nullopt : std::optional(found->second);
    }
};

struct FakeSleeper final : Sleeper {
    void sleepFor(double) override {}
};

struct TestPlatform {
    // The recorded events that began with `prefix`, without it.
    std::vector<std::string> eventsAfter(std::string_view prefix) const {
        std::vector<std::string> found;
        for (const auto& event : events) {
            if (event.rfind(prefix, 0) == 0) {
                found.push_back(event.substr(prefix.size()));
            }
        }
        return found;
    }

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
    FakeUserDefaultsSuites standard; // the application's own defaults, as one more suite
    std::map<std::string, bool>& standardStore = standard.domains[""];
    FakeUserDefaultsSuites::Domain standardDefaults{standardStore, standard};
    lnx::LinuxRunLoop mainQueue{lnx::LinuxRunLoop::Clock::manual};
    ManualQueue userInitiatedQueue;
    NotificationCenter notifications;
    FakeApplication application{events, notifications};
    FakeStatusBar statusBar{events};
    lnx::LinuxGraphics graphics;
    FakeAlertPresenter alerts{events};
    FakeProgressPresenter progress;
    FakeLoginItems loginItems{events};
    FakeAccessibility accessibility;
    FakeFinderExtensionSettings finderExtension{events};
    FakeSoftwareUpdater updater{events};
    FakeScriptRunner scripts{events};
    FakeSleeper sleeper;
    FakeProcessInfo processInfo;

    Platform platform() {
        // clang-format off
        return Platform{{files, pasteboard, workspace, suites, processes, log, bundle, finder,
                         symbols}, standardDefaults, mainQueue, userInitiatedQueue, notifications,
                        application, statusBar, graphics, alerts, progress, loginItems, accessibility,
                        finderExtension, updater, scripts, sleeper, processInfo};
        // clang-format on
    }
};

} // namespace orv::test
