#pragma once
// Text helpers with Foundation's meaning, shared by every module.

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace orv {

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing past
// U+10FFFF), the test NSString applies when it decodes UTF-8.
bool isValidUTF8(std::string_view bytes);

// stringByTrimmingCharactersInSet:[NSCharacterSet whitespaceAndNewlineCharacterSet]: strips
// Unicode white space and line ends (tab, line feed, carriage return, U+0085, no-break space,
// the U+2000 blanks, line and paragraph separators, ideographic space ...) from both ends.
// Invalid UTF-8 at an end is kept as it is.
std::string_view trimmingWhitespaceAndNewlines(std::string_view text);

// lowercaseString for ASCII letters only, as URL schemes compare.
std::string asciiLowercased(std::string_view text);

// The pieces joined in one allocation. Also keeps GCC 12 quiet at -O3, which misreads
// `"literal" + std::string` as an overlapping copy (-Wrestrict).
std::string concat(std::initializer_list<std::string_view> pieces);

// The pieces with `separator` between each two.
std::string joined(const std::vector<std::string>& pieces, std::string_view separator);

} // namespace orv
