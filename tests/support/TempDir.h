#pragma once
// A fresh folder for one test, removed with everything in it afterwards; environment variables
// for one test; and whole-file helpers for tests of real files.

#include "platform/Path.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>

namespace orv::test {

class TempDir {
  public:
    explicit TempDir(std::filesystem::path parent = std::filesystem::temp_directory_path()) {
        auto pattern = (parent / "orvane-test-XXXXXX").string();
        path_ =
            Path(mkdtemp(pattern.data()) ? pattern : throw std::runtime_error("mkdtemp failed"));
    }
    ~TempDir() {
        namespace fs = std::filesystem;
        std::error_code ignored;
        // Let the removal enter folders a test made unwritable.
        for (auto it = fs::recursive_directory_iterator(path_.str(), ignored);
             it != fs::recursive_directory_iterator(); it.increment(ignored)) {
            if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
            }
        }
        fs::remove_all(path_.str(), ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const Path& path() const { return path_; }
    Path operator/(std::string_view name) const { return path_.appending(name); }

  private:
    Path path_;
};

// Sets (or, given nullopt, unsets) variables; each has its old value back at the end.
class ScopedEnv {
  public:
    ScopedEnv() = default;
    ~ScopedEnv() {
        for (const auto& [name, value] : saved_) {
            value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    void set(const std::string& name, const std::optional<std::string>& value) {
        const char* old = std::getenv(name.c_str());
        saved_.try_emplace(name, old ? std::optional<std::string>(old) : std::nullopt);
        value ? setenv(name.c_str(), value->c_str(), 1) : unsetenv(name.c_str());
    }
    void unset(const std::string& name) { set(name, std::nullopt); }

  private:
    std::map<std::string, std::optional<std::string>> saved_;
};

inline std::string readFile(const Path& path) {
    std::ifstream in(path.str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}
inline void writeFile(const Path& path, std::string_view content) {
    std::ofstream(path.str(), std::ios::binary | std::ios::trunc) << content;
}
// How many items a folder holds (hidden ones included).
inline std::size_t countEntries(const Path& folder) {
    std::error_code error;
    auto entries = std::filesystem::directory_iterator(folder.str(), error);
    return error ? 0 : static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

} // namespace orv::test
