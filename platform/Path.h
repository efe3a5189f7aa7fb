#pragma once
// The one path type of the codebase: the POSIX path of a file URL (NSURL fileURLWithPath:).
// Absolute paths are kept absolute and decoded; trailing slashes are dropped ("/" stays "/").

#include <string>
#include <string_view>

namespace orv {

class Path {
  public:
    Path() = default;
    explicit Path(std::string_view path);

    const std::string& str() const { return path_; }
    bool empty() const { return path_.empty(); }
    bool isAbsolute() const { return !path_.empty() && path_.front() == '/'; }

    // NSURL lastPathComponent: the text after the last slash ("/" for the root).
    std::string lastComponent() const;
    // NSURL URLByAppendingPathComponent:
    Path appending(std::string_view component) const;
    // NSURL URLByDeletingLastPathComponent: the containing folder ("/" for top-level items).
    Path deletingLastComponent() const;

    friend bool operator==(const Path&, const Path&) = default;
    friend auto operator<=>(const Path&, const Path&) = default;

  private:
    std::string path_;
};

} // namespace orv
