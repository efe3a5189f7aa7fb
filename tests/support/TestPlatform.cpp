#include "tests/support/TestPlatform.h"

namespace orv::test {

std::optional<Path> FakeFileManager::containerURL(std::string_view groupIdentifier) {
    askedGroups.emplace_back(groupIdentifier);
    return container;
}

Expected<std::string> FakeFileManager::readUTF8(const Path& path) {
    const auto found = files.find(path);
    if (found == files.end() || unreadable.count(path) != 0) {
        return Error{2, "No such file: " + path.str()};
    }
    return found->second;
}

Status FakeFileManager::writeUTF8(const Path& path, std::string_view text, WriteMode mode) {
    writeModes.push_back(mode);
    if (failingWrites.count(path) != 0) {
        events_.push_back("write failed " + path.lastComponent());
        return Error{13, "Permission denied: " + path.str()};
    }
    files[path] = std::string(text);
    events_.push_back("write " + path.lastComponent() + "=" + std::string(text));
    return ok();
}

std::optional<bool> FakeFileManager::isDirectory(const Path& path) {
    if (failingLookups.count(path) != 0) {
        return std::nullopt;
    }
    if (directories.count(path) != 0) {
        return true;
    }
    return files.count(path) != 0 ? std::optional<bool>(false) : std::nullopt;
}

bool FakeFileManager::fileExists(const Path& path) {
    return files.count(path) != 0 || directories.count(path) != 0;
}

Status FakeFileManager::createFileExclusively(const Path& path, std::string_view bytes) {
    if (beforeCreate) {
        beforeCreate(path);
    }
    if (fileExists(path)) {
        events_.push_back("create refused " + path.lastComponent());
        return Error{17, "File exists: " + path.str(), Error::Kind::alreadyExists};
    }
    if (failingWrites.count(path) != 0 || directories.count(path.deletingLastComponent()) == 0) {
        events_.push_back("create failed " + path.lastComponent());
        return Error{13, "You don’t have permission to save “" + path.lastComponent() + "”."};
    }
    files[path] = std::string(bytes);
    events_.push_back("create " + path.lastComponent());
    return ok();
}

Status FakeFileManager::moveItem(const Path& source, const Path& destination) {
    moves.emplace_back(source, destination);
    if (!fileExists(source)) {
        events_.push_back("move failed " + source.lastComponent());
        return Error{
            2, "“" + source.lastComponent() + "” couldn’t be moved because it no longer exists.",
            Error::Kind::notFound};
    }
    if (fileExists(destination)) {
        events_.push_back("move refused " + source.lastComponent());
        return Error{17,
                     "“" + source.lastComponent() +
                         "” couldn’t be moved because an item with the same name already exists.",
                     Error::Kind::alreadyExists};
    }
    if (directories.count(destination.deletingLastComponent()) == 0) {
        events_.push_back("move failed " + source.lastComponent());
        return Error{2,
                     "“" + source.lastComponent() +
                         "” couldn’t be moved because the folder doesn’t exist.",
                     Error::Kind::notFound};
    }
    const std::string prefix = source.str() + "/";
    const auto rebase = [&](const Path& p) {
        return Path(destination.str() + p.str().substr(source.str().size()));
    };
    std::map<Path, std::string> movedFiles;
    for (auto it = files.begin(); it != files.end();) {
        if (it->first == source || it->first.str().rfind(prefix, 0) == 0) {
            movedFiles[rebase(it->first)] = it->second;
            it = files.erase(it);
        } else {
            ++it;
        }
    }
    files.insert(movedFiles.begin(), movedFiles.end());
    std::set<Path> movedDirectories;
    for (auto it = directories.begin(); it != directories.end();) {
        if (*it == source || it->str().rfind(prefix, 0) == 0) {
            movedDirectories.insert(rebase(*it));
            it = directories.erase(it);
        } else {
            ++it;
        }
    }
    directories.insert(movedDirectories.begin(), movedDirectories.end());
    events_.push_back("move " + source.str() + " -> " + destination.str());
    return ok();
}

Status FakeFileManager::removeItem(const Path& path) {
    events_.push_back("remove " + path.str());
    const std::string prefix = path.str() + "/";
    const bool existed = fileExists(path);
    std::erase_if(files, [&](const auto& f) {
        return f.first == path || f.first.str().rfind(prefix, 0) == 0;
    });
    std::erase_if(directories,
                  [&](const Path& d) { return d == path || d.str().rfind(prefix, 0) == 0; });
    return existed ? ok() : Status(Error{2, "No such file", Error::Kind::notFound});
}

std::optional<std::string> FakeFileManager::request(std::string_view name) const {
    if (!container) {
        return std::nullopt;
    }
    const auto found = files.find(container->appending(name));
    return found == files.end() ? std::nullopt : std::optional<std::string>(found->second);
}

void FakeFileManager::setRequest(std::string_view name, std::string content) {
    files[container->appending(name)] = std::move(content);
}

void FakePasteboard::clearContents() {
    contents.clear();
    events_.push_back("pasteboard clear");
}

bool FakePasteboard::setString(std::string_view text, std::string_view type) {
    contents[std::string(type)] = std::string(text);
    events_.push_back("pasteboard set");
    return true;
}

bool FakeWorkspace::openURL(std::string_view url) {
    opened.emplace_back(url);
    events_.push_back("open " + std::string(url));
    return true;
}

std::optional<Path> FakeWorkspace::urlForApplication(std::string_view bundleIdentifier) {
    if (installedApplications.count(bundleIdentifier) == 0) {
        return std::nullopt;
    }
    return Path("/Applications").appending(std::string(bundleIdentifier) + ".app");
}

void FakeWorkspace::activateFileViewerSelecting(const std::vector<Path>& items) {
    revealed.push_back(items);
    events_.push_back("reveal " + std::to_string(items.size()));
}

std::optional<ScriptError> FakeScriptRunner::run(std::string_view source) {
    scripts.emplace_back(source);
    events_.push_back("script " + std::string(source.substr(0, source.find('\n'))));
    if (onRun) {
        onRun(source);
    }
    if (results.empty()) {
        return std::nullopt;
    }
    auto result = results.front();
    results.pop_front();
    return result;
}

void FakeSleeper::sleepFor(double seconds) {
    sleeps.push_back(seconds);
    events_.push_back("sleep " + std::to_string(seconds).substr(0, 3));
}

bool FakeUserDefaults::boolForKey(std::string_view key) {
    const auto found = store_.find(std::string(key));
    return found != store_.end() && found->second;
}

void FakeUserDefaults::setBool(bool value, std::string_view key) {
    store_[std::string(key)] = value;
}

void FakeUserDefaults::removePersistentDomain(std::string_view name) {
    if (removedDomains != nullptr) {
        removedDomains->emplace_back(name);
    }
}

bool FakeUserDefaults::synchronize() {
    ++synchronizations_;
    return true;
}

std::unique_ptr<UserDefaults> FakeUserDefaultsSuites::suite(std::string_view name) {
    if (refused.count(std::string(name)) != 0) {
        return nullptr;
    }
    auto defaults =
        std::make_unique<FakeUserDefaults>(domains[std::string(name)], synchronizations);
    defaults->removedDomains = &removedDomains;
    return defaults;
}

Status FakeProcessLauncher::launch(const Path& executable,
                                   const std::vector<std::string>& arguments) {
    launches.push_back({executable, arguments});
    events_.push_back("launch " + executable.str());
    if (fail) {
        return Error{2, "No such file or directory"};
    }
    return ok();
}

void RecordingLogSink::write(std::string_view subsystem, std::string_view category,
                             std::string_view message) {
    lines.push_back({std::string(subsystem), std::string(category), std::string(message)});
}

std::vector<std::string> RecordingLogSink::messages() const {
    std::vector<std::string> out;
    for (const auto& line : lines) {
        out.push_back(line.message);
    }
    return out;
}

std::string FakeBundle::localizedString(std::string_view key) {
    const auto found = strings.find(key);
    return found == strings.end() ? std::string(key) : found->second;
}

std::optional<std::string> FakeBundle::infoString(std::string_view key) {
    const auto found = info.find(key);
    return found == info.end() ? std::nullopt : std::optional<std::string>(found->second);
}

std::optional<std::vector<Path>> FakeFinderSyncController::selectedItemURLs() {
    ++selectionQueries;
    return selection;
}

ImagePtr FakeSymbolCatalog::systemSymbol(std::string_view name) {
    if (missing.count(std::string(name)) != 0) {
        return nullptr;
    }
    auto image = std::make_shared<Image>(size);
    image->symbolName = std::string(name);
    if (const auto found = rasters.find(std::string(name)); found != rasters.end()) {
        image->raster = found->second;
    }
    return image;
}

void ManualQueue::runAll() {
    while (!tasks.empty()) {
        auto task = std::move(tasks.front());
        tasks.pop_front();
        task();
    }
}

namespace {
const char* policyName(ActivationPolicy p) {
    return p == ActivationPolicy::regular     ? "regular"
           : p == ActivationPolicy::accessory ? "accessory"
                                              : "prohibited";
}
} // namespace

bool FakeApplication::setActivationPolicy(ActivationPolicy p) {
    policy = p;
    policyChanges.push_back(p);
    events_.push_back(std::string("policy ") + policyName(p));
    return true;
}

void FakeApplication::activateIgnoringOtherApps(bool) {
    events_.push_back("activate");
    if (!active) {
        active = true;
        notifications_.post(kApplicationDidBecomeActiveNotification);
    }
}

void FakeApplication::orderFrontStandardAboutPanel(Sender) {
    ++aboutPanels;
    events_.push_back("about panel");
}

void FakeApplication::terminate(Sender) {
    ++terminations;
    events_.push_back("terminate");
}

WindowPtr FakeApplication::makeWindow(Rect contentRect, std::uint64_t styleMask, int backing,
                                      bool defer) {
    auto window = std::make_shared<Window>(contentRect, styleMask, backing, defer);
    windows_.push_back(window);
    events_.push_back("window made");
    return window;
}

std::vector<WindowPtr> FakeApplication::windows() const {
    std::vector<WindowPtr> live;
    for (const auto& w : windows_) {
        if (auto window = w.lock()) {
            live.push_back(window);
        }
    }
    return live;
}

int FakeApplication::run() {
    if (delegate != nullptr) {
        delegate->applicationDidFinishLaunching();
    }
    return 0;
}

bool FakeApplication::performAction(std::string_view selector, Sender sender) {
    if (selector == "terminate:") {
        terminate(sender);
        return true;
    }
    return false;
}

StatusItemPtr FakeStatusBar::statusItem(double length) {
    events_.push_back("status item");
    auto item = std::make_shared<StatusItem>(
        length, withButton ? std::make_shared<StatusBarButton>() : nullptr);
    items.push_back(item);
    return item;
}

int FakeAlertPresenter::runModal(const Alert& alert) {
    shown.push_back(alert);
    if (whileShown) {
        whileShown();
    }
    if (responses.empty()) {
        return kAlertFirstButtonReturn;
    }
    const int response = responses.front();
    responses.pop_front();
    return response;
}

Status FakeLoginItems::registerMainApp() {
    ++registrations;
    events_.push_back("login item register");
    if (fail) {
        return Error{1, "Operation not permitted"};
    }
    return ok();
}

Status FakeLoginItems::unregisterMainApp() {
    ++unregistrations;
    events_.push_back("login item unregister");
    if (fail) {
        return Error{1, "Operation not permitted"};
    }
    return ok();
}

std::shared_ptr<UpdaterController>
FakeSoftwareUpdater::makeStandardController(bool startingUpdater) {
    events_.push_back(std::string("updater starting=") + (startingUpdater ? "true" : "false"));
    made.push_back(std::make_shared<FakeUpdaterController>());
    return made.back();
}

} // namespace orv::test
