#include "render/label_layout.h"

#include <algorithm>

namespace svcmp::render {

bool PixelBox::Overlaps(const PixelBox& other) const {
  return x < other.x + other.width && other.x < x + width && y < other.y + other.height &&
         other.y < y + height;
}

bool PixelBox::Inside(const PixelBox& bounds) const {
  return x >= bounds.x && y >= bounds.y && x + width <= bounds.x + bounds.width &&
         y + height <= bounds.y + bounds.height;
}

std::optional<PixelBox> LabelLayout::Place(std::span<const PixelBox> candidates) {
  for (const PixelBox& candidate : candidates) {
    if (!candidate.Inside(bounds_)) continue;
    const bool free = std::none_of(taken_.begin(), taken_.end(), [&](const PixelBox& taken) {
      return taken.Overlaps(candidate);
    });
    if (!free) continue;
    taken_.push_back(candidate);
    return candidate;
  }
  return std::nullopt;
}

}  // namespace svcmp::render
