#pragma once
// Apple's .strings format, the string tables a bundle ships in <language>.lproj folders:
//   /* comment */  "key" = "value";  // comment
// Keys and values are quoted (or bare words of letters, digits, '.', '_', '-'); values know the
// escapes \" \\ \n \t \r \0 and \Uxxxx.

#include <map>
#include <string>
#include <string_view>

namespace orv::lnx {

struct StringsTable {
    std::map<std::string, std::string, std::less<>> entries;
    // Empty when the whole text was read; else what went wrong and where. The entries before
    // the fault are kept.
    std::string error;
};

StringsTable parseStrings(std::string_view text);

} // namespace orv::lnx
