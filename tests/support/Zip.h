#pragma once
// Reads a ZIP archive as a checking reader does: the central directory, each local header, and
// each entry inflated and held against its CRC-32 and sizes.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv::test {

struct ZipEntry {
    std::string name;
    std::string data; // inflated
    std::uint16_t versionMadeBy = 0, versionNeeded = 0, flags = 0, method = 0;
    std::uint32_t crc = 0, externalAttributes = 0;
    std::uint16_t localExtraLength = 0, centralExtraLength = 0, commentLength = 0;
};

struct ZipArchive {
    std::vector<ZipEntry> entries;
    std::uint16_t commentLength = 0;
};

// The archive, or the first fault found (in `error`).
std::optional<ZipArchive> readZip(std::string_view bytes, std::string& error);

} // namespace orv::test
