#pragma once

#include <stb_image_write.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "materials/rgba_image.h"

namespace svcmp::testing {

// An image whose pixel at (x, y) is `colour(x, y)`.
inline RgbaImage MakeImage(int width, int height,
                           const std::function<std::array<std::uint8_t, 4>(int, int)>& colour) {
  RgbaImage image{width, height, {}};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (std::uint8_t channel : colour(x, y)) image.pixels.push_back(channel);
  return image;
}

// The image encoded as a file of the given kind: "png", "bmp", "tga" or "jpg".
inline std::vector<std::uint8_t> EncodeImage(const RgbaImage& image, const std::string& kind) {
  std::vector<std::uint8_t> bytes;
  const auto append = [](void* context, void* data, int size) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(context);
    out->insert(out->end(), static_cast<std::uint8_t*>(data),
                static_cast<std::uint8_t*>(data) + size);
  };
  const int w = image.width, h = image.height;
  const void* pixels = image.pixels.data();
  if (kind == "png") stbi_write_png_to_func(append, &bytes, w, h, 4, pixels, w * 4);
  if (kind == "bmp") stbi_write_bmp_to_func(append, &bytes, w, h, 4, pixels);
  if (kind == "tga") stbi_write_tga_to_func(append, &bytes, w, h, 4, pixels);
  if (kind == "jpg") stbi_write_jpg_to_func(append, &bytes, w, h, 4, pixels, 95);
  return bytes;
}

}  // namespace svcmp::testing
