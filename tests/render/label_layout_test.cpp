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
      {{{60, 26, 10, 4}}, PixelBox{60, 26, 10, 4}},  // edge to edge with a label is no overlap
      {{{50, 30, 10, 4}}, PixelBox{50, 30, 10, 4}},  // and side by side
      {{{69, 33, 10, 4}}, std::nullopt},              // one pixel over is
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

}  // namespace
}  // namespace svcmp::render
