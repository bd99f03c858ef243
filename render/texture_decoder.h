#pragma once

#include <optional>
#include <string>

#include "inspect/surface_library.h"
#include "render/texture_image.h"

namespace svcmp::render {

struct [[nodiscard]] DecodedTexture {
  std::optional<TextureImage> image;
  std::string reason;  // why there is none
};

// The largest level of a texture library's image: a DDS file (DXT1, DXT3,
// DXT5 or uncompressed 16, 24 and 32 bits by their channel masks, with or
// without mips) or a TGA level. Alpha is left out: the preview draws every
// surface opaque. Never reads outside the bytes.
DecodedTexture DecodeTexture(const TextureImageBytes& stored);

}  // namespace svcmp::render
