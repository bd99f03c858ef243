#include "materials/dds_writer.h"

#include <gtest/gtest.h>

#include <cstring>

#include "format/dds_format.h"
#include "tests/materials/test_images.h"

namespace svcmp {
namespace {

using testing::MakeImage;

std::uint32_t Word(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  std::uint32_t word = 0;
  std::memcpy(&word, bytes.data() + offset, 4);
  return word;
}

TEST(TextureSide, NearestPowerOfTwoWithinTheLimit) {
  const struct {
    int side, maxSide, expected;
  } cases[] = {{1, 1024, 1},       {3, 1024, 4},      {5, 1024, 4},       {6, 1024, 8},
               {700, 1024, 512},   {768, 1024, 1024}, {1024, 1024, 1024}, {3000, 1024, 1024},
               {3000, 4096, 2048}, {256, 64, 64},     {100, 4, 4}};
  for (const auto& c : cases)
    EXPECT_EQ(TextureSide(c.side, c.maxSide), c.expected) << c.side << " within " << c.maxSide;
}

TEST(WriteDds, HeaderAndFullMipChainForOpaqueAndAlphaImages) {
  const struct {
    int width, height, maxSide;
    bool alpha;
    int expectedWidth, expectedHeight, levels;
    std::size_t dataSize;
  } cases[] = {
      // 32x8, 16x4, 8x2, 4x1, 2x1, 1x1 in 16 + 4 + 2 + 1 + 1 + 1 blocks.
      {24, 10, 1024, false, 32, 8, 6, 25 * dds::kDxt1BlockSize},
      {8, 8, 1024, true, 8, 8, 4, (4 + 1 + 1 + 1) * dds::kDxt5BlockSize},
      {300, 200, 64, false, 64, 64, 7, (256 + 64 + 16 + 4 + 1 + 1 + 1) * dds::kDxt1BlockSize},
      {1, 1, 1024, true, 1, 1, 1, dds::kDxt5BlockSize},
  };
  for (const auto& c : cases) {
    const RgbaImage image = MakeImage(c.width, c.height, [&](int x, int y) {
      return std::array<std::uint8_t, 4>{std::uint8_t(x), std::uint8_t(y), 90,
                                         std::uint8_t(c.alpha ? 128 : 255)};
    });
    const std::vector<std::uint8_t> dds = WriteDds(image, c.maxSide);
    ASSERT_EQ(dds.size(), dds::kFileHeaderSize + c.dataSize) << c.width << "x" << c.height;
    EXPECT_EQ(std::memcmp(dds.data(), "DDS ", 4), 0);
    EXPECT_EQ(Word(dds, 4), dds::kHeaderSize);
    EXPECT_EQ(Word(dds, 12), static_cast<std::uint32_t>(c.expectedHeight));
    EXPECT_EQ(Word(dds, 16), static_cast<std::uint32_t>(c.expectedWidth));
    EXPECT_EQ(Word(dds, 28), static_cast<std::uint32_t>(c.levels));
    EXPECT_EQ(Word(dds, dds::kPixelFormatOffset), dds::kPixelFormatSize);
    EXPECT_EQ(std::memcmp(dds.data() + 84, c.alpha ? "DXT5" : "DXT1", 4), 0);
    EXPECT_EQ(Word(dds, dds::kCapsOffset), dds::kCaps);
  }
}

TEST(WriteDds, ASolidColourKeepsItsColourInEveryBlock) {
  const RgbaImage red = MakeImage(16, 16, [](int, int) {
    return std::array<std::uint8_t, 4>{255, 0, 0, 255};
  });
  const std::vector<std::uint8_t> dds = WriteDds(red);
  for (std::size_t block = dds::kFileHeaderSize; block < dds.size(); block += dds::kDxt1BlockSize) {
    // Both end-point colours are pure red in RGB 5:6:5.
    EXPECT_EQ(dds[block] | dds[block + 1] << 8, 0xF800) << block;
  }
}

}  // namespace
}  // namespace svcmp
