#pragma once
// AppleScript string literals: what the product puts between double quotes in the scripts it
// sends, and the reader that undoes it.

#include <optional>
#include <string>
#include <string_view>

namespace orv {

// For a string literal: every backslash doubled first, then every double quote preceded by a
// backslash. Nothing else changes, so the script receives the text exactly.
std::string appleScriptEscaped(std::string_view text);

// Reads the string literal that opens at `text[at]` (a double quote). On success `at` moves
// past the closing quote. Understands \" \\ \n \t \r, as AppleScript does.
std::optional<std::string> readAppleScriptString(std::string_view text, std::size_t& at);

// The printed form of an optional error dictionary, as the log shows it: "nil", or
// Optional({ NSAppleScriptErrorMessage = "..."; NSAppleScriptErrorNumber = N; }).
struct ScriptError;
std::string describeScriptError(const std::optional<ScriptError>& error);

} // namespace orv
