#pragma once

#include <cstdint>
#include <vector>

#include "materials/rgba_image.h"

namespace svcmp {

// The largest texture side written unless asked otherwise.
inline constexpr int kDefaultMaxTextureSide = 1024;

// A texture side: the power of two nearest to `side` (the larger on a tie),
// at most `maxSide` (itself a power of two), at least 1.
int TextureSide(int side, int maxSide);

// The image as a DDS file with a full mip chain down to 1 x 1: DXT1 when it
// is opaque, DXT5 when it has alpha, sides from TextureSide. Expects an image
// of at least one pixel.
std::vector<std::uint8_t> WriteDds(const RgbaImage& image, int maxSide = kDefaultMaxTextureSide);

}  // namespace svcmp
