#pragma once

#include <cstdint>
#include <vector>

namespace svcmp {

// Pixels as 8-bit red, green, blue, alpha, row by row from the top.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 4

  // Whether any pixel is less than fully opaque.
  bool HasAlpha() const {
    for (std::size_t i = 3; i < pixels.size(); i += 4)
      if (pixels[i] != 255) return true;
    return false;
  }
};

}  // namespace svcmp
