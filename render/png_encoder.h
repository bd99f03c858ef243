#pragma once

#include <cstdint>
#include <vector>

#include "render/canvas.h"
#include "render/texture_image.h"

namespace svcmp::render {

// The canvas as the bytes of an 8-bit RGB PNG file; empty when the encoder
// fails (a picture without pixels, or no memory).
std::vector<std::uint8_t> EncodePng(const Canvas& canvas);
// The same for a decoded texture, rows from the top.
std::vector<std::uint8_t> EncodePng(const TextureImage& image);

}  // namespace svcmp::render
