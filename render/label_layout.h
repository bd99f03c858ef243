#pragma once

#include <optional>
#include <span>
#include <vector>

namespace svcmp::render {

// A rectangle of pixels: x and y of its top-left corner, its size.
struct PixelBox {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  bool Overlaps(const PixelBox& other) const;
  bool Inside(const PixelBox& bounds) const;
};

// Places labels so that none overlaps another, a mark, or leaves the bounds:
// each label takes the first of its candidate boxes that is free.
class LabelLayout {
 public:
  explicit LabelLayout(PixelBox bounds) : bounds_(bounds) {}

  // Keeps labels off `box` (a hardpoint's mark, an arrow).
  void Block(const PixelBox& box) { taken_.push_back(box); }
  // The first candidate inside the bounds and clear of everything placed
  // or blocked so far, which it then takes; none when every one is not.
  std::optional<PixelBox> Place(std::span<const PixelBox> candidates);

 private:
  PixelBox bounds_;
  std::vector<PixelBox> taken_;
};

}  // namespace svcmp::render
