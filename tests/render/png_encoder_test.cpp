#include "render/png_encoder.h"

#include <gtest/gtest.h>

#include <memory>

// The test's own copy of stb's decoder: the PNG must come back pixel for pixel.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace svcmp::render {
namespace {

TEST(PngEncoder, DecodesBackToTheSamePixels) {
  Canvas canvas(7, 3, {24, 24, 32});
  canvas.FillRect(1, 0, 2, 2, {255, 0, 10});
  canvas.DrawLine(0, 2.5f, 7, 2.5f, {1, 2, 3});
  const std::vector<std::uint8_t> png = EncodePng(canvas);
  ASSERT_FALSE(png.empty());

  int width = 0;
  int height = 0;
  int channels = 0;
  const std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
      stbi_load_from_memory(png.data(), static_cast<int>(png.size()), &width, &height, &channels,
                            0),
      stbi_image_free);
  ASSERT_NE(pixels, nullptr);
  EXPECT_EQ(width, 7);
  EXPECT_EQ(height, 3);
  EXPECT_EQ(channels, 3);
  EXPECT_TRUE(std::equal(canvas.RgbBytes().begin(), canvas.RgbBytes().end(), pixels.get()));
}

TEST(PngEncoder, PictureWithoutPixelsGivesNoBytes) {
  EXPECT_TRUE(EncodePng(Canvas(0, 5, {})).empty());
}

}  // namespace
}  // namespace svcmp::render
