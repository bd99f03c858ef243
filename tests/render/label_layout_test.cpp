#include "render/label_layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace svcmp::render {
namespace {

TEST(LabelLayout, EachLabelTakesItsFirstFreeCandidateInsideTheBounds) {
  LabelLayout layout({0, 0, 100, 50});
  layout.Block({40, 20, 5, 5});  // a mark
  struct Case {
    std::vector<PixelBox> candidates;
    std::optional<PixelBox> placed;
  };
  const Case cases[] = {
      {{{38, 18, 10, 4}, {50, 20, 10, 4}}, PixelBox{50, 20, 10, 4}},  // first covers the mark
      {{{55, 22, 10, 4}, {60, 30, 10, 4}}, PixelBox{60, 30, 10, 4}},  // first covers a label
      {{{95, 0, 10, 4}, {-1, 0, 10, 4}, {0, 47, 10, 4}}, std::nullopt},  // all leave the bounds
      {{{90, 46, 10, 4}}, PixelBox{90, 46, 10, 4}},                       // touching the corner
      {{{69, 33, 10, 4}}, std::nullopt},  // one pixel over a placed label
  };
  for (const Case& c : cases) {
    const auto placed = layout.Place(c.candidates);
    ASSERT_EQ(placed.has_value(), c.placed.has_value());
    if (placed) {
      EXPECT_EQ(placed->x, c.placed->x);
      EXPECT_EQ(placed->y, c.placed->y);
    }
  }
}

TEST(LabelLayout, BoxesOverlapByTheirOwnWidthAcrossAndHeightDown) {
  // A wide box and a tall one; each other box just touches one of their
  // sides or is one pixel over it. Each pair is tried both ways round.
  const PixelBox wide{10, 20, 12, 3};
  const PixelBox tall{40, 10, 3, 12};
  const struct {
    PixelBox box, other;
    bool overlap;
  } cases[] = {
      {wide, {10, 23, 12, 3}, false}, {wide, {10, 22, 12, 3}, true},   // below
      {wide, {10, 17, 12, 3}, false}, {wide, {10, 18, 12, 3}, true},   // above
      {wide, {22, 20, 12, 3}, false}, {wide, {21, 20, 12, 3}, true},   // right
      {wide, {-2, 20, 12, 3}, false}, {wide, {-1, 20, 12, 3}, true},   // left
      {tall, {40, 22, 3, 12}, false}, {tall, {40, 21, 3, 12}, true},   // below
      {tall, {43, 10, 3, 12}, false}, {tall, {42, 10, 3, 12}, true},   // right
      {tall, {30, 19, 12, 3}, true},  {tall, {30, 22, 12, 3}, false},  // a wide one across
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.box.Overlaps(c.other), c.overlap) << c.other.x << "," << c.other.y;
    EXPECT_EQ(c.other.Overlaps(c.box), c.overlap) << c.other.x << "," << c.other.y;
  }
}

}  // namespace
}  // namespace svcmp::render
