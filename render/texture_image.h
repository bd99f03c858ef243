#pragma once

#include <cmath>
#include <cstddef>
#include <vector>

#include "render/canvas.h"

namespace svcmp::render {

// The largest level of a texture, decoded: rows from the top, as the game
// lays texture coordinates on it (v = 0 at the top).
struct TextureImage {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;

  // The nearest texel, the picture repeated beyond 0 to 1 as the game wraps
  // it. A coordinate that is not a finite number reads the first texel.
  Rgb Sample(float u, float v) const {
    return pixels[static_cast<std::size_t>(Wrap(v, height)) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(Wrap(u, width))];
  }

 private:
  static int Wrap(float coordinate, int side) {
    const float texel = std::floor(coordinate * static_cast<float>(side));
    if (!std::isfinite(texel)) return 0;
    const float wrapped = texel - std::floor(texel / static_cast<float>(side)) * side;
    const int at = static_cast<int>(wrapped);
    return at < 0 ? 0 : (at >= side ? side - 1 : at);
  }
};

}  // namespace svcmp::render
