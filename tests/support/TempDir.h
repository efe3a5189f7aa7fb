#pragma once
// A fresh folder for one test, removed with everything in it afterwards; and environment
// variables set for one test and restored afterwards.

#include "platform/Path.h"

#include <map>
#include <optional>
#include <string>

namespace orv::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const Path& path() const { return path_; }
    Path operator/(std::string_view name) const { return path_.appending(name); }

  private:
    Path path_;
};

class ScopedEnv {
  public:
    ScopedEnv() = default;
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    void set(const std::string& name, const std::string& value);
    void unset(const std::string& name);

  private:
    void remember(const std::string& name);
    std::map<std::string, std::optional<std::string>> saved_;
};

// Whole-file helpers for tests that look at real files.
std::string readFile(const Path& path);
void writeFile(const Path& path, std::string_view content);
// How many items a folder holds (hidden ones included).
std::size_t countEntries(const Path& folder);

} // namespace orv::test
