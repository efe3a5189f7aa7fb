#include "platform/AppleScript.h"

#include "platform/Services.h"

namespace orv {

std::string appleScriptEscaped(std::string_view text) {
    std::string doubled;
    for (const char c : text) {
        doubled += c;
        if (c == '\\') {
            doubled += '\\';
        }
    }
    std::string out;
    for (const char c : doubled) {
        if (c == '"') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

std::optional<std::string> readAppleScriptString(std::string_view text, std::size_t& at) {
    if (at >= text.size() || text[at] != '"') {
        return std::nullopt;
    }
    std::string out;
    for (std::size_t i = at + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            at = i + 1;
            return out;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == text.size()) {
            break;
        }
        switch (text[i]) {
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        default:
            out += text[i]; // \" and \\ (and any other escaped character)
        }
    }
    return std::nullopt;
}

std::string ScriptRunner::describe(const std::optional<ScriptError>& error) const {
    return describeScriptError(error);
}

std::string describeScriptError(const std::optional<ScriptError>& error) {
    if (!error) {
        return "nil";
    }
    std::string message;
    for (const char c : error->message) {
        if (c == '"' || c == '\\') {
            message += '\\';
        }
        message += c;
    }
    return "Optional({\n    NSAppleScriptErrorMessage = \"" + message +
           "\";\n    NSAppleScriptErrorNumber = " + std::to_string(error->number) + ";\n})";
}

} // namespace orv
