#include "tests/support/Zip.h"

#include <zlib.h>

namespace orv::test {

namespace {

struct Reader {
    std::string_view bytes;
    bool ok(std::size_t at, std::size_t n) const { return at + n <= bytes.size(); }
    std::uint16_t u16(std::size_t at) const {
        return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                          static_cast<unsigned char>(bytes[at + 1]) << 8);
    }
    std::uint32_t u32(std::size_t at) const {
        return static_cast<std::uint32_t>(u16(at)) | static_cast<std::uint32_t>(u16(at + 2)) << 16;
    }
};

std::optional<std::string> inflateRaw(std::string_view packed, std::size_t size) {
    std::string out(size, '\0');
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK) {
        return std::nullopt;
    }
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
    z.avail_in = static_cast<uInt>(packed.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&z, Z_FINISH);
    const bool whole = result == Z_STREAM_END && z.total_out == size && z.avail_in == 0;
    inflateEnd(&z);
    return whole ? std::optional<std::string>(out) : std::nullopt;
}

} // namespace

std::optional<ZipArchive> readZip(std::string_view bytes, std::string& error) {
    const Reader r{bytes};
    if (bytes.size() < 22 || r.u32(bytes.size() - 22) != 0x06054b50) {
        error = "no end-of-central-directory record at the end (or an archive comment)";
        return std::nullopt;
    }
    const std::size_t end = bytes.size() - 22;
    ZipArchive archive;
    archive.commentLength = r.u16(end + 20);
    const std::uint16_t count = r.u16(end + 10);
    std::size_t at = r.u32(end + 16);
    if (at + r.u32(end + 12) != end) {
        error = "central directory does not end where the end record begins";
        return std::nullopt;
    }
    for (std::uint16_t i = 0; i < count; ++i) {
        if (!r.ok(at, 46) || r.u32(at) != 0x02014b50) {
            error = "bad central directory header " + std::to_string(i);
            return std::nullopt;
        }
        ZipEntry e;
        e.versionMadeBy = r.u16(at + 4);
        e.versionNeeded = r.u16(at + 6);
        e.flags = r.u16(at + 8);
        e.method = r.u16(at + 10);
        e.crc = r.u32(at + 16);
        const std::uint32_t packedSize = r.u32(at + 20), size = r.u32(at + 24);
        const std::uint16_t nameLength = r.u16(at + 28);
        e.centralExtraLength = r.u16(at + 30);
        e.commentLength = r.u16(at + 32);
        e.externalAttributes = r.u32(at + 38);
        const std::uint32_t local = r.u32(at + 42);
        if (!r.ok(at + 46, nameLength)) {
            error = "central name past the end";
            return std::nullopt;
        }
        e.name = std::string(bytes.substr(at + 46, nameLength));
        at += 46 + nameLength + e.centralExtraLength + e.commentLength;

        if (!r.ok(local, 30) || r.u32(local) != 0x04034b50 || r.u16(local + 26) != nameLength ||
            bytes.substr(local + 30, nameLength) != e.name || r.u32(local + 14) != e.crc ||
            r.u32(local + 18) != packedSize || r.u32(local + 22) != size ||
            r.u16(local + 8) != e.method) {
            error = "local header of " + e.name + " disagrees with the central directory";
            return std::nullopt;
        }
        e.localExtraLength = r.u16(local + 28);
        const std::size_t dataAt = local + 30 + nameLength + e.localExtraLength;
        if (!r.ok(dataAt, packedSize)) {
            error = "data of " + e.name + " past the end";
            return std::nullopt;
        }
        const auto packed = bytes.substr(dataAt, packedSize);
        const auto data = e.method == 8   ? inflateRaw(packed, size)
                          : e.method == 0 ? std::optional<std::string>(packed)
                                          : std::nullopt;
        if (!data || data->size() != size) {
            error = "entry " + e.name + " does not inflate to its size";
            return std::nullopt;
        }
        e.data = *data;
        if (crc32(0, reinterpret_cast<const Bytef*>(e.data.data()),
                  static_cast<uInt>(e.data.size())) != e.crc) {
            error = "CRC-32 of " + e.name + " does not match";
            return std::nullopt;
        }
        archive.entries.push_back(std::move(e));
    }
    return archive;
}

} // namespace orv::test
