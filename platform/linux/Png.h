#pragma once
// Writes an image's raster as a PNG file (8-bit RGBA, stored deflate blocks), so a person can
// look at what was drawn.

#include "platform/Expected.h"
#include "platform/Image.h"
#include "platform/Path.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace orv::lnx {

// The PNG bytes of the raster (un-premultiplied, 8 bits per channel).
std::string encodePng(const Image::Raster& raster);
Status writePng(const Image::Raster& raster, const Path& path);

// CRC-32 (ISO 3309, as PNG and ZIP use it).
std::uint32_t crc32(std::string_view bytes, std::uint32_t crc = 0);

} // namespace orv::lnx
