// PNG encoding of RGBA pictures in memory, through libpng.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/bytes.h"

namespace selvane::cli {

// True when this build can write PNG files (the Windows cross build has no libpng).
bool CanWritePng();

// The PNG file of a `width` x `height` picture given as RGBA pixels (4 bytes each, row by row,
// with alpha). nullopt, with `reason` set, when the pixels do not match the size or the encoder
// fails.
std::optional<std::vector<std::uint8_t>> EncodePng(int width, int height, Bytes rgba, std::string& reason);

}  // namespace selvane::cli
