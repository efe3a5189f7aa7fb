#pragma once
// NSURL URLWithString: for absolute URLs: the parts the product reads. A text that is not a
// URL (no scheme, or characters a URL cannot hold, such as blanks) gives nothing.

#include <optional>
#include <string>
#include <string_view>

namespace orv {

struct Url {
    std::string scheme;
    std::optional<std::string> host; // absent without "//" authority, or when it is empty
    std::string path;
    std::optional<std::string> query;
    std::optional<std::string> fragment;

    static std::optional<Url> parse(std::string_view text);
};

} // namespace orv
