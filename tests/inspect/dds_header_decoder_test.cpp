#include "inspect/dds_header_decoder.h"

#include <gtest/gtest.h>

#include <string>

#include "materials/dds_writer.h"

namespace svcmp {
namespace {

// A 20 x 9 image through the real writer: 16 x 8 with five levels.
std::vector<std::uint8_t> WrittenDds(bool alpha) {
  RgbaImage image{20, 9, {}};
  for (int i = 0; i < 20 * 9; ++i)
    image.pixels.insert(image.pixels.end(), {std::uint8_t(i), std::uint8_t(i * 3), 50,
                                             std::uint8_t(alpha ? 100 : 255)});
  return WriteDds(image);
}

void Put32(std::vector<std::uint8_t>& bytes, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

TEST(ReadDdsHeader, ReadsBackWhatTheWriterWrites) {
  for (const bool alpha : {false, true}) {
    const DdsHeaderResult read = ReadDdsHeader(WrittenDds(alpha));
    ASSERT_TRUE(read.sound) << read.reason;
    EXPECT_EQ(read.description.width, 16u);
    EXPECT_EQ(read.description.height, 8u);
    EXPECT_EQ(read.description.mipCount, 5u);
    EXPECT_EQ(read.description.format, alpha ? "DXT5" : "DXT1");
  }
}

TEST(ReadDdsHeader, EveryShortFileAndEveryBrokenFieldIsNamed) {
  const std::vector<std::uint8_t> good = WrittenDds(false);
  for (std::size_t size = 0; size < good.size(); ++size) {
    const DdsHeaderResult read = ReadDdsHeader(std::span(good.data(), size));
    EXPECT_FALSE(read.sound) << size;
    EXPECT_FALSE(read.reason.empty()) << size;
  }
  const struct {
    std::size_t offset;
    std::uint32_t value;
    const char* reason;
  } cases[] = {
      {0, 0x20534444 + 1, "does not start with \"DDS \""},
      {4, 128, "the header size is not 124"},
      {76, 24, "the pixel format size is not 32"},
      {16, 0, "the sides 0 x 8 are not from 1 to 16384"},
      {28, 6, "6 mip levels, more than sides of 16 x 8 have"},
      {84, 0x31545844 + (1 << 24), "the pixel format \"DXT2\" is not DXT1, DXT3 or DXT5"},
      {80, 0, "the pixel format is neither compressed nor RGB"},
      {12, 16, "its 5 mip levels need 184 bytes after the header, but it holds 104"},
  };
  for (const auto& c : cases) {
    std::vector<std::uint8_t> bytes = good;
    Put32(bytes, c.offset, c.value);
    const DdsHeaderResult read = ReadDdsHeader(bytes);
    EXPECT_FALSE(read.sound) << c.reason;
    EXPECT_EQ(read.reason, c.reason);
  }
}

}  // namespace
}  // namespace svcmp
