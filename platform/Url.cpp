#include "platform/Url.h"

#include <cctype>

namespace orv {

namespace {

bool allowedInURL(unsigned char c) {
    // Printable ASCII other than the characters RFC 3986 leaves out; UTF-8 is refused as NSURL
    // refuses it unescaped.
    return c > 0x20 && c < 0x7F && c != '"' && c != '<' && c != '>' && c != '\\' && c != '^' &&
           c != '`' && c != '{' && c != '|' && c != '}';
}

} // namespace

std::optional<Url> Url::parse(std::string_view text) {
    for (const char c : text) {
        if (!allowedInURL(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
    }
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 ||
        !std::isalpha(static_cast<unsigned char>(text[0]))) {
        return std::nullopt;
    }
    for (const char c : text.substr(0, colon)) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') {
            return std::nullopt;
        }
    }
    Url url;
    url.scheme = std::string(text.substr(0, colon));
    std::string_view rest = text.substr(colon + 1);
    if (const auto hash = rest.find('#'); hash != std::string_view::npos) {
        url.fragment = std::string(rest.substr(hash + 1));
        rest = rest.substr(0, hash);
    }
    if (const auto question = rest.find('?'); question != std::string_view::npos) {
        url.query = std::string(rest.substr(question + 1));
        rest = rest.substr(0, question);
    }
    if (rest.substr(0, 2) == "//") {
        rest.remove_prefix(2);
        const auto slash = rest.find('/');
        std::string_view authority = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
        if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
            authority.remove_prefix(at + 1);
        }
        if (const auto portColon = authority.rfind(':');
            portColon != std::string_view::npos && authority.find(']') == std::string_view::npos) {
            authority = authority.substr(0, portColon);
        }
        if (!authority.empty()) {
            url.host = std::string(authority);
        }
    }
    url.path = std::string(rest);
    return url;
}

} // namespace orv
