#include "render/label_text.h"

#include <gtest/gtest.h>

#include <string>

namespace svcmp::render {
namespace {

constexpr Rgb kInk{255, 255, 255};

// The columns that hold ink.
int InkedWidth(const Canvas& canvas) {
  int right = 0;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      if (canvas.Pixel(x, y) == kInk) right = std::max(right, x + 1);
    }
  }
  return right;
}

Canvas Drawn(const std::string& text, int scale) {
  Canvas canvas(400, 40, {});
  DrawLabel(canvas, 0, 0, text, kInk, scale);
  return canvas;
}

TEST(LabelText, DrawsWithinItsWidthAtEveryScale) {
  for (int scale : {1, 2, 3}) {
    SCOPED_TRACE(scale);
    const Canvas canvas = Drawn("HpMount01", scale);
    EXPECT_GT(InkedWidth(canvas), 0);
    EXPECT_LE(InkedWidth(canvas), LabelWidth("HpMount01", scale));
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
