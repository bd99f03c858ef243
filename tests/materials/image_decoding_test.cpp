#include "materials/image_decoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

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
  // A Huffman table with more codes than a table has symbols.
  std::vector<std::uint8_t> jpg = EncodeImage(kGradient, "jpg");
  const std::uint8_t huffmanMarker[] = {0xFF, 0xC4};
  auto table =
      std::search(jpg.begin(), jpg.end(), std::begin(huffmanMarker), std::end(huffmanMarker));
  ASSERT_NE(table, jpg.end());
  std::fill(table + 5, table + 21, std::uint8_t{0xFF});
  const std::vector<std::uint8_t> cases[] = {
      {},
      {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'},
      std::vector<std::uint8_t>(png.begin(), png.begin() + 40),
      huge,
      jpg,
  };
  // Found by fuzzing: a truncated table whose counts run off the file's end,
  // a table too large behind fill bytes before the start marker, and a PNG
  // chunk that claims two gigabytes.
  for (const char* name :
       {"huffman_overflow.jpg", "huffman_overflow_after_fill.jpg", "chunk_longer_than_file.png"}) {
    std::ifstream file(std::string(SVCMP_TEST_DATA "/materials/") + name, std::ios::binary);
    const std::vector<std::uint8_t> damaged{std::istreambuf_iterator<char>(file), {}};
    ASSERT_FALSE(damaged.empty()) << name;
    EXPECT_FALSE(DecodeImage(damaged).image) << name;
  }

  for (const auto& bytes : cases) {
    const ImageDecodeResult result = DecodeImage(bytes);
    EXPECT_FALSE(result.image) << bytes.size();
    EXPECT_FALSE(result.reason.empty()) << bytes.size();
  }

  // A caller's own limit is met by the header alone: 5 x 3 is 15 pixels.
  EXPECT_TRUE(DecodeImage(png, 15).image);
  const ImageDecodeResult overLimit = DecodeImage(png, 14);
  EXPECT_FALSE(overLimit.image);
  EXPECT_EQ(overLimit.reason, "the image is 5 x 3 pixels, more than the 14 read here");
}

}  // namespace
}  // namespace svcmp
