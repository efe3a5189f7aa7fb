#include "platform/Path.h"

namespace orv {

Path::Path(std::string_view path) : path_(path) {
    while (path_.size() > 1 && path_.back() == '/') {
        path_.pop_back();
    }
}

std::string Path::lastComponent() const {
    if (path_ == "/") {
        return path_;
    }
    const auto slash = path_.rfind('/');
    return slash == std::string::npos ? path_ : path_.substr(slash + 1);
}

Path Path::appending(std::string_view component) const {
    if (path_.empty()) {
        return Path(component);
    }
    std::string joined = path_;
    if (joined.back() != '/') {
        joined += '/';
    }
    joined += component;
    return Path(joined);
}

Path Path::deletingLastComponent() const {
    const auto slash = path_.rfind('/');
    if (slash == std::string::npos) {
        return Path();
    }
    if (slash == 0) {
        return Path("/");
    }
    return Path(std::string_view(path_).substr(0, slash));
}

} // namespace orv
