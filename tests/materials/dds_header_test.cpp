#include "materials/dds_header.h"

#include <gtest/gtest.h>

#include <string>

#include "materials/dds_writer.h"
#include "tests/materials/test_images.h"

namespace svcmp {
namespace {

std::vector<std::uint8_t> WrittenDds(bool alpha) {
  return WriteDds(testing::MakeImage(20, 9, [&](int x, int y) {
    return std::array<std::uint8_t, 4>{std::uint8_t(x * 9), std::uint8_t(y * 20), 50,
                                       std::uint8_t(alpha ? 100 : 255)};
  }));
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
