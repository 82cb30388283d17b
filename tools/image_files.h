// make_swatches — writing swatches as BMP and PNG files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "picture.h"

namespace swatches {

// 24-bit uncompressed BMP with a BITMAPINFOHEADER.
std::vector<std::uint8_t> EncodeBmp(const Swatch &s);

// 8-bit RGB PNG, uncompressed.
std::vector<std::uint8_t> EncodePng(const Swatch &s);

// Says on stderr when it fails.
bool WriteFile(const std::filesystem::path &path, const std::vector<std::uint8_t> &bytes);

}  // namespace swatches
