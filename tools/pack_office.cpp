// pack-office: packs the readable Office Open XML parts of app/templates/<kind>/ into the
// stored package app/templates/empty.<kind>, reproducibly: entries in the order of
// <kind>.parts, deflated (zlib, best compression), no data descriptors, extra fields or
// comments, fixed time stamps, made by Unix 2.0, version needed 2.0, mode rw-------.
//
//   pack-office PARTS_DIR ORDER_FILE OUTPUT

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>
#include <zlib.h>

namespace {

constexpr std::uint16_t kVersion20 = 20;
constexpr std::uint16_t kMadeByUnix20 = (3 << 8) | 20;
constexpr std::uint16_t kDeflate = 8;
constexpr std::uint16_t kDosTime = 0;            // 00:00:00
constexpr std::uint16_t kDosDate = (1 << 5) | 1; // 1980-01-01
constexpr std::uint32_t kUnixRwOnly = 0100600u << 16;

void put16(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}

void put32(std::string& out, std::uint32_t v) {
    put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
    put16(out, static_cast<std::uint16_t>(v >> 16));
}

bool readWhole(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    out = buffer.str();
    return true;
}

// Raw deflate (no zlib header), as ZIP stores it.
bool deflateRaw(const std::string& data, std::string& out) {
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK) {
        return false;
    }
    out.resize(deflateBound(&z, static_cast<uLong>(data.size())));
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return result == Z_STREAM_END;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: pack-office PARTS_DIR ORDER_FILE OUTPUT\n";
        return 2;
    }
    const std::string dir = argv[1];
    std::ifstream order(argv[2]);
    std::vector<std::string> names;
    for (std::string line; std::getline(order, line);) {
        if (!line.empty()) {
            names.push_back(line);
        }
    }
    if (names.empty()) {
        std::cerr << "pack-office: no parts listed in " << argv[2] << '\n';
        return 1;
    }
    std::string archive, central;
    for (const auto& name : names) {
        std::string data, packed;
        if (!readWhole(dir + "/" + name, data)) {
            std::cerr << "pack-office: cannot read " << dir << "/" << name << '\n';
            return 1;
        }
        if (!deflateRaw(data, packed)) {
            std::cerr << "pack-office: deflate failed for " << name << '\n';
            return 1;
        }
        const auto crc = static_cast<std::uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
        const auto offset = static_cast<std::uint32_t>(archive.size());
        const auto header = [&](std::string& out) {
            put16(out, kVersion20); // version needed
            put16(out, 0);          // flags
            put16(out, kDeflate);
            put16(out, kDosTime);
            put16(out, kDosDate);
            put32(out, crc);
            put32(out, static_cast<std::uint32_t>(packed.size()));
            put32(out, static_cast<std::uint32_t>(data.size()));
            put16(out, static_cast<std::uint16_t>(name.size()));
            put16(out, 0); // extra field length
        };
        put32(archive, 0x04034b50);
        header(archive);
        archive += name;
        archive += packed;

        put32(central, 0x02014b50);
        put16(central, kMadeByUnix20);
        header(central);
        put16(central, 0); // comment length
        put16(central, 0); // disk number
        put16(central, 0); // internal attributes
        put32(central, kUnixRwOnly);
        put32(central, offset);
        central += name;
    }
    const auto centralOffset = static_cast<std::uint32_t>(archive.size());
    archive += central;
    put32(archive, 0x06054b50);
    put16(archive, 0);
    put16(archive, 0);
    put16(archive, static_cast<std::uint16_t>(names.size()));
    put16(archive, static_cast<std::uint16_t>(names.size()));
    put32(archive, static_cast<std::uint32_t>(central.size()));
    put32(archive, centralOffset);
    put16(archive, 0); // archive comment length

    std::ofstream out(argv[3], std::ios::binary | std::ios::trunc);
    out.write(archive.data(), static_cast<std::streamsize>(archive.size()));
    out.close();
    if (!out) {
        std::cerr << "pack-office: cannot write " << argv[3] << '\n';
        return 1;
    }
    return 0;
}
