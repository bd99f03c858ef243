#include "materials/image_decoding.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/materials/test_images.h"

namespace svcmp {
namespace {

using testing::EncodeImage;
using testing::MakeImage;

const RgbaImage kGradient = MakeImage(5, 3, [](int x, int y) {
  return std::array<std::uint8_t, 4>{std::uint8_t(x * 50), std::uint8_t(y * 100), 7, 255};
});

TEST(DecodeImage, ReadsEveryFormatAModderUses) {
  for (const char* kind : {"png", "bmp", "tga", "jpg"}) {
    const ImageDecodeResult result = DecodeImage(EncodeImage(kGradient, kind));
    ASSERT_TRUE(result.image) << kind << ": " << result.reason;
    EXPECT_EQ(result.image->width, 5) << kind;
    EXPECT_EQ(result.image->height, 3) << kind;
    ASSERT_EQ(result.image->pixels.size(), kGradient.pixels.size()) << kind;
    // Lossless formats exactly, JPG nearly.
    const int tolerance = std::string(kind) == "jpg" ? 40 : 0;
    for (std::size_t i = 0; i < kGradient.pixels.size(); ++i)
      EXPECT_LE(std::abs(result.image->pixels[i] - kGradient.pixels[i]), tolerance)
          << kind << " byte " << i;
  }
}

TEST(DecodeImage, RefusesWhatIsNoImageOrTooLargeWithAReason) {
  const std::vector<std::uint8_t> png = EncodeImage(kGradient, "png");
  std::vector<std::uint8_t> huge = png;
  huge[16] = 0x7F;  // width 0x7F000005 in the header
  const std::vector<std::uint8_t> cases[] = {
      {},
      {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'},
      std::vector<std::uint8_t>(png.begin(), png.begin() + 40),
      huge,
  };
  for (const auto& bytes : cases) {
    const ImageDecodeResult result = DecodeImage(bytes);
    EXPECT_FALSE(result.image) << bytes.size();
    EXPECT_FALSE(result.reason.empty()) << bytes.size();
  }
}

}  // namespace
}  // namespace svcmp
