#include "render/canvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace svcmp::render {
namespace {

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kGrey{100, 100, 100};

int CountPixels(const Canvas& canvas, Rgb colour) {
  int count = 0;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) count += canvas.Pixel(x, y) == colour ? 1 : 0;
  }
  return count;
}

TEST(Canvas, FillsThePixelCentresInsideEitherWinding) {
  // Half of an 8 x 8 square: the 36 pixel centres on or below its diagonal,
  // on a picture wider than it is tall, so that rows are counted in widths.
  const std::array<ScreenVertex, 3> clockwise{{{0, 0, 0, 1}, {8, 8, 0, 1}, {0, 8, 0, 1}}};
  const std::array<ScreenVertex, 3> counterClockwise{{clockwise[0], clockwise[2], clockwise[1]}};
  for (const auto& corners : {clockwise, counterClockwise}) {
    Canvas canvas(13, 9, kBlack);
    canvas.FillTriangle(corners, kWhite);
    EXPECT_EQ(CountPixels(canvas, kWhite), 36);
    EXPECT_EQ(canvas.Pixel(0, 7), kWhite);
    EXPECT_EQ(canvas.Pixel(7, 7), kWhite);
    EXPECT_EQ(canvas.Pixel(7, 0), kBlack);
    EXPECT_EQ(canvas.Pixel(8, 7), kBlack);
  }
  EXPECT_GT(SignedDoubleArea(clockwise), 0);
  EXPECT_LT(SignedDoubleArea(counterClockwise), 0);
}

TEST(Canvas, NearerTriangleWinsPixelByPixelAndTheFirstKeepsATie) {
  // Two triangles over the same pixels; `depths` are each one's corner
  // depths. Pixel (1, 1) lies near the first corner, (6, 1) near the second.
  constexpr Rgb kFirst{200, 100, 50};
  constexpr Rgb kDimFirst{100, 50, 25};  // kFirst at shade 0.5
  const auto corners = [](std::array<float, 3> depths, float shade) {
    return std::array<ScreenVertex, 3>{{{0, 0, depths[0], shade},
                                        {9, 0, depths[1], shade},
                                        {0, 9, depths[2], shade}}};
  };
  const struct {
    const char* what;
    std::array<float, 3> first, second;
    float firstShade;
    Rgb atLeft, atRight;
  } cases[] = {
      {"first nearer", {5, 5, 5}, {1, 1, 1}, 0.5f, kDimFirst, kDimFirst},
      {"second nearer", {1, 1, 1}, {5, 5, 5}, 1, kWhite, kWhite},
      {"a tie keeps the first", {3, 3, 3}, {3, 3, 3}, 1, kFirst, kFirst},
      {"crossing: the first nearer on the right", {0, 9, 0}, {4, 4, 4}, 1, kWhite, kFirst},
      {"crossing: the second nearer on the right", {4, 4, 4}, {0, 9, 0}, 1, kFirst, kWhite},
  };
  for (const auto& c : cases) {
    Canvas canvas(10, 10, kBlack);
    canvas.FillTriangle(corners(c.first, c.firstShade), kFirst);
    canvas.FillTriangle(corners(c.second, 1), kWhite);
    EXPECT_EQ(canvas.Pixel(1, 1), c.atLeft) << c.what;
    EXPECT_EQ(canvas.Pixel(6, 1), c.atRight) << c.what;
  }
}

TEST(Canvas, ClipsAndPassesOverCornersFromAnyFile) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float huge = std::numeric_limits<float>::max();
  struct Case {
    const char* what;
    std::array<ScreenVertex, 3> corners;
    int pixels;
  };
  const Case cases[] = {
      {"covers the whole picture",
       {{{-100, -100, 0, 1}, {300, -100, 0, 1}, {-100, 300, 0, 1}}},
       64},
      {"wholly outside", {{{20, 20, 0, 1}, {30, 20, 0, 1}, {20, 30, 0, 1}}}, 0},
      {"infinite corner", {{{0, 0, 0, 1}, {inf, 0, 0, 1}, {0, 8, 0, 1}}}, 0},
      {"not a number", {{{0, 0, 0, 1}, {nan, 0, 0, 1}, {0, 8, 0, 1}}}, 0},
      {"depth not a number", {{{0, 0, nan, 1}, {8, 0, 0, 1}, {0, 8, 0, 1}}}, 0},
      {"area beyond float", {{{-huge, -huge, 0, 1}, {huge, -huge, 0, 1}, {0, huge, 0, 1}}}, 0},
      {"edge-on", {{{0, 0, 0, 1}, {4, 4, 0, 1}, {8, 8, 0, 1}}}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Canvas canvas(8, 8, kBlack);
    canvas.FillTriangle(c.corners, kWhite);
    EXPECT_EQ(CountPixels(canvas, kWhite), c.pixels);
  }
}

TEST(Canvas, LinesAndRectanglesStayInsideThePicture) {
  Canvas canvas(10, 10, kBlack);
  canvas.DrawLine(-1e9f, 5.5f, 1e9f, 5.5f, kWhite);  // clipped before stepping
  EXPECT_EQ(CountPixels(canvas, kWhite), 10);
  canvas.DrawLine(-3e38f, -3e38f, 3e38f, 3e38f, kWhite);  // ends at the float range
  EXPECT_LE(CountPixels(canvas, kWhite), 10 + 10);
  canvas.DrawLine(2.5f, 2.5f, 2.5f, 2.5f, kGrey);  // a single point
  EXPECT_EQ(canvas.Pixel(2, 2), kGrey);
  canvas.DrawLine(0, 0, std::numeric_limits<float>::quiet_NaN(), 3, kGrey);
  EXPECT_EQ(CountPixels(canvas, kGrey), 1);
  canvas.FillRect(8, -3, 2147483647, 5, kGrey);
  EXPECT_EQ(CountPixels(canvas, kGrey), 1 + 4);
}

TEST(Canvas, PastesWithClipping) {
  // Over the right edge and off the top: 2 columns of 3 rows land.
  Canvas small(5, 4, kWhite);
  Canvas canvas(7, 5, kBlack);
  canvas.Paste(small, 5, -1);
  EXPECT_EQ(CountPixels(canvas, kWhite), 2 * 3);
  EXPECT_EQ(canvas.Pixel(5, 2), kWhite);
  EXPECT_EQ(canvas.Pixel(4, 2), kBlack);
  EXPECT_EQ(canvas.Pixel(6, 3), kBlack);
}

}  // namespace
}  // namespace svcmp::render
