#include "platform/linux/StringsFile.h"

#include <cctype>
#include <optional>

namespace orv::lnx {

namespace {

class Reader {
  public:
    explicit Reader(std::string_view text) : text_(text) {
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") {
            pos_ = 3;
        }
    }

    StringsTable read() {
        StringsTable table;
        while (skipSpaceAndComments()) {
            auto key = token();
            if (!key) {
                return fail(table, "expected a key");
            }
            if (!skipSpaceAndComments() || text_[pos_] != '=') {
                // "key"; alone means the value is the key itself.
                if (pos_ < text_.size() && text_[pos_] == ';') {
                    ++pos_;
                    table.entries.insert_or_assign(*key, *key);
                    continue;
                }
                return fail(table, "expected '='");
            }
            ++pos_;
            if (!skipSpaceAndComments()) {
                return fail(table, "expected a value");
            }
            auto value = token();
            if (!value) {
                return fail(table, "expected a value");
            }
            if (!skipSpaceAndComments() || text_[pos_] != ';') {
                return fail(table, "expected ';'");
            }
            ++pos_;
            table.entries.insert_or_assign(std::move(*key), std::move(*value));
        }
        if (!error_.empty()) {
            return fail(table, error_);
        }
        return table;
    }

  private:
    StringsTable& fail(StringsTable& table, std::string_view what) {
        table.error = std::string(what) + " at line " + std::to_string(line());
        return table;
    }

    std::size_t line() const {
        std::size_t n = 1;
        for (std::size_t i = 0; i < pos_ && i < text_.size(); ++i) {
            n += text_[i] == '\n';
        }
        return n;
    }

    // Skips blanks and comments; false at the end of the text (or an unclosed comment).
    bool skipSpaceAndComments() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (std::isspace(static_cast<unsigned char>(c))) {
                ++pos_;
            } else if (text_.substr(pos_, 2) == "/*") {
                const auto end = text_.find("*/", pos_ + 2);
                if (end == std::string_view::npos) {
                    error_ = "unclosed comment";
                    pos_ = text_.size();
                    return false;
                }
                pos_ = end + 2;
            } else if (text_.substr(pos_, 2) == "//") {
                const auto end = text_.find('\n', pos_);
                pos_ = end == std::string_view::npos ? text_.size() : end + 1;
            } else {
                return true;
            }
        }
        return false;
    }

    static bool bareChar(char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-';
    }

    std::optional<std::string> token() {
        if (text_[pos_] == '"') {
            return quoted();
        }
        const std::size_t start = pos_;
        while (pos_ < text_.size() && bareChar(text_[pos_])) {
            ++pos_;
        }
        if (pos_ == start) {
            return std::nullopt;
        }
        return std::string(text_.substr(start, pos_ - start));
    }

    // Up to four hexadecimal digits.
    std::optional<unsigned> hex4() {
        unsigned cp = 0;
        std::size_t digits = 0;
        while (digits < 4 && pos_ < text_.size() &&
               std::isxdigit(static_cast<unsigned char>(text_[pos_]))) {
            const char h = static_cast<char>(std::tolower(static_cast<unsigned char>(text_[pos_])));
            cp = cp * 16 + static_cast<unsigned>(h <= '9' ? h - '0' : h - 'a' + 10);
            ++pos_;
            ++digits;
        }
        return digits == 0 ? std::nullopt : std::optional<unsigned>(cp);
    }

    static void appendUTF8(std::string& out, unsigned cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    std::optional<std::string> quoted() {
        ++pos_; // opening quote
        std::string out;
        while (pos_ < text_.size()) {
            const char c = text_[pos_++];
            if (c == '"') {
                return out;
            }
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= text_.size()) {
                break;
            }
            const char e = text_[pos_++];
            switch (e) {
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case 'r':
                out += '\r';
                break;
            case '0':
                out += '\0';
                break;
            case 'U':
            case 'u': {
                auto cp = hex4();
                if (!cp) {
                    return std::nullopt;
                }
                // A UTF-16 surrogate pair written as two escapes is one character.
                if (*cp >= 0xD800 && *cp <= 0xDBFF &&
                    (text_.substr(pos_, 2) == "\\U" || text_.substr(pos_, 2) == "\\u")) {
                    const std::size_t mark = pos_;
                    pos_ += 2;
                    const auto low = hex4();
                    if (low && *low >= 0xDC00 && *low <= 0xDFFF) {
                        cp = 0x10000 + ((*cp - 0xD800) << 10) + (*low - 0xDC00);
                    } else {
                        pos_ = mark;
                    }
                }
                appendUTF8(out, *cp >= 0xD800 && *cp <= 0xDFFF ? 0xFFFD : *cp);
                break;
            }
            default:
                out += e;
                break; // \" \\ and any other escaped character
            }
        }
        return std::nullopt; // no closing quote
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::string error_;
};

} // namespace

StringsTable parseStrings(std::string_view text) {
    return Reader(text).read();
}

} // namespace orv::lnx
