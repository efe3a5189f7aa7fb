#include "tests/support/TestPlatform.h"

namespace orv::test {

Status FakeFileManager::createFileExclusively(const Path& path, std::string_view bytes) {
    beforeCreate(path);
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
                                 MoveObserver* observer, MoveProgress* progress) {
    record("move " + source.str() + " -> " + destination.str());
    for (std::int64_t left = copies.count(source) != 0 ? copies[source] : 0;
         progress != nullptr && left > 0; left -= kCopyPiece) {
        if (!progress->proceed(std::min(left, kCopyPiece))) {
            return stoppedMoveError(source, destination);
        }
    }
    journaledMoves += observer != nullptr ? 1 : 0;
    if (const auto error = moveErrors.find(source); error != moveErrors.end()) {
        if (error->second.kind == Error::Kind::partial) {
            files[destination] = files[source]; // in place; something stayed behind
        }
        return error->second;
    }
    const std::string name = "“" + source.lastComponent() + "” couldn’t be moved because ";
    if (!fileExists(source)) {
        return Error{2, name + "it no longer exists.", Error::Kind::notFound};
    }
    if (fileExists(destination)) {
        return Error{17, name + "an item with the same name already exists.",
                     Error::Kind::alreadyExists};
    }
    if (directories.count(destination.deletingLastComponent()) == 0) {
        return Error{2, name + "the folder doesn’t exist.", Error::Kind::notFound};
    }
    if (directories.erase(source) != 0) {
        directories.insert(destination);
    } else {
        files[destination] = files.extract(source).mapped();
    }
    return ok();
}

Expected<std::vector<std::string>> FakeFileManager::contentsOfDirectory(const Path& folder) {
    std::vector<std::string> names;
    for (const auto& [path, content] : files) {
        if (path.deletingLastComponent() == folder) {
            names.push_back(path.lastComponent());
        }
    }
    return names;
}

Status FakeFileManager::removeItem(const Path& path) {
    record("remove " + path.str());
    const bool existed = fileExists(path);
    const auto below = [&](const Path& p) {
        return p == path || p.str().starts_with(path.str() + "/");
    };
    std::erase_if(files, [&](const auto& f) { return below(f.first); });
    std::erase_if(directories, below);
    return existed ? ok() : Status(Error{2, "No such file", Error::Kind::notFound});
}

} // namespace orv::test
