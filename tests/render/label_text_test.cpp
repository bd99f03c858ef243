#include "render/label_text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

namespace svcmp::render {
namespace {

constexpr Rgb kInk{255, 255, 255};

// The box of the pixels that hold ink: left, top, right, bottom (exclusive).
std::array<int, 4> InkBox(const Canvas& canvas) {
  std::array<int, 4> box = {canvas.width(), canvas.height(), 0, 0};
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      if (canvas.Pixel(x, y) != kInk) continue;
      box = {std::min(box[0], x), std::min(box[1], y), std::max(box[2], x + 1),
             std::max(box[3], y + 1)};
    }
  }
  return box;
}

int InkedWidth(const Canvas& canvas) { return InkBox(canvas)[2]; }

Canvas Drawn(const std::string& text, int scale, int x = 0, int y = 0) {
  Canvas canvas(400, 40, {});
  DrawLabel(canvas, x, y, text, kInk, scale);
  return canvas;
}

TEST(LabelText, DrawsWhereAskedWithinItsWidthAndLineAtEveryScale) {
  // Away from the corner, so that x and y cannot stand in for each other.
  for (int scale : {1, 2, 3}) {
    SCOPED_TRACE(scale);
    const int width = LabelWidth("HpMount01", scale);
    EXPECT_EQ(width, scale * LabelWidth("HpMount01", 1));
    const auto [left, top, right, bottom] = InkBox(Drawn("HpMount01", scale, 7, 3));
    EXPECT_EQ(left, 7);  // "H" starts in the first column
    EXPECT_GE(top, 3);
    EXPECT_LT(top, 3 + 2 * scale);
    EXPECT_GT(right, 7 + width - 3 * scale);
    EXPECT_LE(right, 7 + width);
    EXPECT_GT(bottom, 3 + kLabelLineHeight * scale / 2);
    EXPECT_LE(bottom, 3 + kLabelLineHeight * scale);
  }
}

TEST(LabelText, DrawsCharactersOutsidePrintableAsciiAsQuestionMarks) {
  const std::string unprintable{'A', '\n', '\0', '\x7f', static_cast<char>(0xE9)};
  const Canvas expected = Drawn("A????", 1);
  const Canvas drawn = Drawn(unprintable, 1);
  EXPECT_TRUE(
      std::equal(drawn.RgbBytes().begin(), drawn.RgbBytes().end(), expected.RgbBytes().begin()));
  EXPECT_EQ(LabelWidth(unprintable, 1), LabelWidth("A????", 1));
}

TEST(LabelText, CutsNamesLongerThanAnyPicture) {
  const std::string longName(100000, 'W');
  EXPECT_EQ(LabelWidth(longName, 1), LabelWidth(longName.substr(0, 256), 1));
  EXPECT_GT(InkedWidth(Drawn(longName, 1)), 390);
}

}  // namespace
}  // namespace svcmp::render
