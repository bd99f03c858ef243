#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "materials/rgba_image.h"

namespace svcmp {

// Images wider or taller than this are refused before any pixel is decoded:
// the texture is cut down to at most a few thousand pixels anyway, and a
// hostile header must not make us allocate gigabytes.
inline constexpr int kMaxDecodedImageSide = 16384;
inline constexpr long long kMaxDecodedImagePixels = 8192LL * 8192;

struct [[nodiscard]] ImageDecodeResult {
  std::optional<RgbaImage> image;
  std::string reason;  // why there is no image
};

// Decodes a PNG, JPG, TGA or BMP file's bytes. Never reads outside `bytes`;
// a file it cannot decode, or whose header gives more than `maxPixels`,
// gives no image and the reason.
ImageDecodeResult DecodeImage(std::span<const std::uint8_t> bytes,
                              long long maxPixels = kMaxDecodedImagePixels);

}  // namespace svcmp
