#include "platform/linux/Png.h"

#include "platform/linux/LinuxFileManager.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace orv::lnx {

namespace {

void put32(std::string& out, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((v >> shift) & 0xFF);
    }
}

void chunk(std::string& out, std::string_view type, std::string_view data) {
    put32(out, static_cast<std::uint32_t>(data.size()));
    std::string body(type);
    body += data;
    out += body;
    put32(out, crc32(body));
}

std::uint32_t adler32(std::string_view bytes) {
    std::uint32_t a = 1, b = 0;
    for (const char c : bytes) {
        a = (a + static_cast<unsigned char>(c)) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string zlibStored(std::string_view data) {
    std::string out("\x78\x01", 2);
    do {
        const std::size_t n = std::min<std::size_t>(data.size(), 65535);
        out += static_cast<char>(n == data.size() ? 1 : 0); // final block?
        out += static_cast<char>(n & 0xFF);
        out += static_cast<char>(n >> 8);
        out += static_cast<char>(~n & 0xFF);
        out += static_cast<char>((~n >> 8) & 0xFF);
        out += data.substr(0, n);
        data.remove_prefix(n);
    } while (!data.empty());
    return out;
}

} // namespace

std::uint32_t crc32(std::string_view bytes, std::uint32_t crc) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            }
            t[n] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (const char ch : bytes) {
        crc = table[(crc ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (crc >> 8);
    }
    return ~crc;
}

std::string encodePng(const Image::Raster& raster) {
    std::string pixels;
    pixels.reserve(static_cast<std::size_t>(raster.height) *
                   (1 + static_cast<std::size_t>(raster.width) * 4));
    for (int y = 0; y < raster.height; ++y) {
        pixels += '\0'; // filter: none
        for (int x = 0; x < raster.width; ++x) {
            const float* p =
                &raster.rgba[(static_cast<std::size_t>(y) * static_cast<std::size_t>(raster.width) +
                              static_cast<std::size_t>(x)) *
                             4];
            const float a = p[3];
            for (int i = 0; i < 3; ++i) {
                const float straight = a > 0 ? p[i] / a : 0;
                pixels += static_cast<char>(std::lround(std::clamp(straight, 0.0f, 1.0f) * 255));
            }
            pixels += static_cast<char>(std::lround(std::clamp(a, 0.0f, 1.0f) * 255));
        }
    }
    std::string png("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    put32(header, static_cast<std::uint32_t>(raster.width));
    put32(header, static_cast<std::uint32_t>(raster.height));
    header +=
        std::string("\x08\x06\x00\x00\x00", 5); // 8 bits, RGBA, deflate, no filter, no interlace
    chunk(png, "IHDR", header);
    std::string compressed = zlibStored(pixels);
    put32(compressed, adler32(pixels));
    chunk(png, "IDAT", compressed);
    chunk(png, "IEND", "");
    return png;
}

Status writePng(const Image::Raster& raster, const Path& path) {
    return writeAtomically(path, encodePng(raster));
}

} // namespace orv::lnx
