#include "tests/support/TestPlatform.h"

namespace orv::test {

namespace {
bool isAtOrBelow(const Path& item, const Path& folder) {
    return item == folder || item.str().rfind(folder.str() + "/", 0) == 0;
}
} // namespace

Expected<std::string> FakeFileManager::readUTF8(const Path& path, const ReadOptions& options) {
    const auto found = files.find(path);
    if (found == files.end()) {
        return Error{2, "No such file: " + path.str(), Error::Kind::notFound};
    }
    if (unreadable.count(path) != 0 || found->second.size() > options.maxBytes) {
        return Error{5, "Couldn’t read " + path.str()};
    }
    return found->second;
}

Status FakeFileManager::writeUTF8(const Path& path, std::string_view text, WriteMode mode) {
    writeModes.push_back(mode);
    if (failingWrites.count(path) != 0) {
        record("write failed " + path.lastComponent());
        return Error{13, "Permission denied: " + path.str()};
    }
    files[path] = std::string(text);
    record("write " + path.lastComponent() + "=" + std::string(text));
    return ok();
}

std::optional<bool> FakeFileManager::isDirectory(const Path& path) {
    if (directories.count(path) != 0) {
        return true;
    }
    return files.count(path) != 0 ? std::optional<bool>(false) : std::nullopt;
}

Status FakeFileManager::createFileExclusively(const Path& path, std::string_view bytes) {
    if (beforeCreate) {
        beforeCreate(path);
    }
    if (fileExists(path)) {
        record("create refused " + path.lastComponent());
        return Error{17, "File exists: " + path.str(), Error::Kind::alreadyExists};
    }
    if (failingWrites.count(path) != 0 || directories.count(path.deletingLastComponent()) == 0) {
        record("create failed " + path.lastComponent());
        return Error{13, "You don’t have permission to save “" + path.lastComponent() + "”."};
    }
    files[path] = std::string(bytes);
    record("create " + path.lastComponent());
    return ok();
}

Status FakeFileManager::moveItem(const Path& source, const Path& destination,
                                 MoveObserver* observer) {
    moves.emplace_back(source, destination);
    journaledMoves += observer != nullptr ? 1 : 0;
    if (const auto error = moveErrors.find(source); error != moveErrors.end()) {
        if (error->second.kind == Error::Kind::partial) {
            files[destination] = files[source]; // in place; something stayed behind
        }
        return error->second;
    }
    const std::string name = "“" + source.lastComponent() + "” couldn’t be moved because ";
    if (!fileExists(source)) {
        record("move failed " + source.lastComponent());
        return Error{2, name + "it no longer exists.", Error::Kind::notFound};
    }
    if (fileExists(destination)) {
        record("move refused " + source.lastComponent());
        return Error{17, name + "an item with the same name already exists.",
                     Error::Kind::alreadyExists};
    }
    if (directories.count(destination.deletingLastComponent()) == 0) {
        record("move failed " + source.lastComponent());
        return Error{2, name + "the folder doesn’t exist.", Error::Kind::notFound};
    }
    const auto rebase = [&](const Path& p) {
        return Path(destination.str() + p.str().substr(source.str().size()));
    };
    std::map<Path, std::string> movedFiles;
    std::set<Path> movedDirectories;
    std::erase_if(files, [&](const auto& f) {
        return isAtOrBelow(f.first, source) && movedFiles.emplace(rebase(f.first), f.second).second;
    });
    std::erase_if(directories, [&](const Path& d) {
        return isAtOrBelow(d, source) && movedDirectories.insert(rebase(d)).second;
    });
    files.merge(movedFiles);
    directories.merge(movedDirectories);
    record("move " + source.str() + " -> " + destination.str());
    return ok();
}

Status FakeFileManager::removeItem(const Path& path) {
    record("remove " + path.str());
    const bool existed = fileExists(path);
    std::erase_if(files, [&](const auto& f) { return isAtOrBelow(f.first, path); });
    std::erase_if(directories, [&](const Path& d) { return isAtOrBelow(d, path); });
    return existed ? ok() : Status(Error{2, "No such file", Error::Kind::notFound});
}

std::optional<std::string> FakeFileManager::request(std::string_view name) const {
    const auto found = container ? files.find(container->appending(name)) : files.end();
    return found == files.end() ? std::nullopt : std::optional<std::string>(found->second);
}

std::optional<ScriptError> FakeScriptRunner::run(std::string_view source) {
    scripts.emplace_back(source);
    record("script " + std::string(source.substr(0, source.find('\n'))));
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

std::vector<std::string> RecordingLogSink::messages() const {
    std::vector<std::string> out;
    for (const auto& line : lines) {
        out.push_back(line.message);
    }
    return out;
}

ImagePtr FakeSymbolCatalog::systemSymbol(std::string_view name) {
    if (missing.count(std::string(name)) != 0) {
        return nullptr;
    }
    auto image = std::make_shared<Image>(Size{16, 16});
    image->symbolName = std::string(name);
    return image;
}

void ManualQueue::runAll() {
    while (!tasks.empty()) {
        auto task = std::move(tasks.front());
        tasks.pop_front();
        task();
    }
}

bool FakeApplication::setActivationPolicy(ActivationPolicy p) {
    policy = p;
    policyChanges.push_back(p);
    record(std::string("policy ") + (p == ActivationPolicy::regular     ? "regular"
                                     : p == ActivationPolicy::accessory ? "accessory"
                                                                        : "prohibited"));
    return true;
}

void FakeApplication::activateIgnoringOtherApps(bool) {
    record("activate");
    if (!active) {
        active = true;
        notifications_.post(kApplicationDidBecomeActiveNotification);
    }
}

WindowPtr FakeApplication::makeWindow(Rect contentRect, std::uint64_t styleMask, int backing,
                                      bool defer) {
    record("window made");
    return remember(std::make_shared<Window>(contentRect, styleMask, backing, defer));
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

} // namespace orv::test
