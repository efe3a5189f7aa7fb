#include "platform/Text.h"

#include <cstdint>

namespace orv {

namespace {

// Decodes the code point that starts at `at`; its length goes to `length` (0 when invalid).
std::uint32_t decodeAt(std::string_view s, std::size_t at, std::size_t& length) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(at);
    length = 0;
    std::size_t n;
    std::uint32_t cp;
    std::uint32_t min;
    if (lead < 0x80) {
        length = 1;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        n = 2, cp = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        n = 3, cp = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        n = 4, cp = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (at + n > s.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < n; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (byte(at + i) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    length = n;
    return cp;
}

bool isWhitespaceOrNewline(std::uint32_t cp) {
    switch (cp) {
    case 0x09:
    case 0x0A:
    case 0x0B:
    case 0x0C:
    case 0x0D:
    case 0x20:
    case 0x85:
    case 0xA0:
    case 0x1680:
    case 0x2028:
    case 0x2029:
    case 0x202F:
    case 0x205F:
    case 0x3000:
        return true;
    default:
        return cp >= 0x2000 && cp <= 0x200A;
    }
}

} // namespace

std::string asciiLowercased(std::string_view text) {
    std::string out(text);
    for (auto& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

bool isValidUTF8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        std::size_t length;
        decodeAt(bytes, i, length);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string_view trimmingWhitespaceAndNewlines(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t length;
        const auto cp = decodeAt(text, begin, length);
        if (length == 0 || !isWhitespaceOrNewline(cp)) {
            break;
        }
        begin += length;
    }
    std::size_t end = text.size();
    while (end > begin) {
        // Step back to the start of the last code point.
        std::size_t start = end - 1;
        while (start > begin && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80 &&
               end - start < 4) {
            --start;
        }
        std::size_t length;
        const auto cp = decodeAt(text, start, length);
        if (length != end - start || !isWhitespaceOrNewline(cp)) {
            break;
        }
        end = start;
    }
    return text.substr(begin, end - begin);
}

std::string concat(std::initializer_list<std::string_view> pieces) {
    std::size_t size = 0;
    for (const auto piece : pieces) {
        size += piece.size();
    }
    std::string out;
    out.reserve(size);
    for (const auto piece : pieces) {
        out.append(piece);
    }
    return out;
}

std::string joined(const std::vector<std::string>& pieces, std::string_view separator) {
    std::string out;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        out.append(i > 0 ? separator : "").append(pieces[i]);
    }
    return out;
}

} // namespace orv
