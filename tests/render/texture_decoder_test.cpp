#include "render/texture_decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "format/dds_format.h"
#include "materials/dds_writer.h"

namespace svcmp::render {
namespace {

// A DDS file of one level: the header with the given pixel format, then `pixels`.
std::vector<std::uint8_t> Dds(int width, int height, const std::string& fourCc,
                              std::uint32_t bits, std::array<std::uint32_t, 3> masks,
                              const std::vector<std::uint8_t>& pixels) {
  std::vector<std::uint8_t> file(dds::kFileHeaderSize);
  const auto put = [&](std::size_t at, std::uint32_t value) {
    for (int k = 0; k < 4; ++k) file[at + k] = static_cast<std::uint8_t>(value >> (8 * k));
  };
  std::memcpy(file.data(), "DDS ", 4);
  put(4, dds::kHeaderSize);
  put(12, static_cast<std::uint32_t>(height));
  put(16, static_cast<std::uint32_t>(width));
  put(dds::kPixelFormatOffset, dds::kPixelFormatSize);
  if (fourCc.empty()) {
    put(dds::kPixelFormatOffset + 4, 0x40);
    put(dds::kPixelFormatOffset + 12, bits);
    for (std::size_t k = 0; k < 3; ++k) put(dds::kPixelFormatOffset + 16 + 4 * k, masks[k]);
  } else {
    put(dds::kPixelFormatOffset + 4, dds::kPixelFormatFourCc);
    std::memcpy(file.data() + 84, fourCc.data(), 4);
  }
  file.insert(file.end(), pixels.begin(), pixels.end());
  return file;
}

// One colour block: pure red (0xF800) and pure blue (0x001F). Texel codes
// row by row: 0 (first colour), 1 (second), 2 and 3 (between them), then the
// same backwards, so that rows read as columns show.
const std::vector<std::uint8_t> kColourBlock{0x00, 0xF8, 0x1F, 0x00, 0xE4, 0x1B, 0x00, 0xFF};

// A DXT1 block with the given end colours and the codes of kColourBlock.
std::vector<std::uint8_t> Dxt1Block(std::uint16_t first, std::uint16_t second) {
  std::vector<std::uint8_t> block = kColourBlock;
  block[0] = static_cast<std::uint8_t>(first);
  block[1] = static_cast<std::uint8_t>(first >> 8);
  block[2] = static_cast<std::uint8_t>(second);
  block[3] = static_cast<std::uint8_t>(second >> 8);
  return block;
}

// The first rows of a 4-wide block: codes 0 1 2 3, then 3 2 1 0.
std::vector<Rgb> TwoRows(Rgb c0, Rgb c1, Rgb c2, Rgb c3) { return {c0, c1, c2, c3, c3, c2, c1, c0}; }

TEST(TextureDecoder, DecodesEachPixelFormat) {
  const std::vector<std::uint8_t> alpha(8, 0xFF);
  const auto withAlpha = [&](std::vector<std::uint8_t> colour) {
    colour.insert(colour.begin(), alpha.begin(), alpha.end());
    return colour;
  };
  struct Case {
    std::string name;
    std::vector<std::uint8_t> file;
    std::vector<Rgb> pixels;  // the first ones, row by row
  };
  constexpr Rgb kRed{255, 0, 0}, kBlue{0, 0, 255}, kGreen{0, 255, 0}, kBlack{0, 0, 0};
  const std::vector<Rgb> blockRows = TwoRows(kRed, kBlue, {170, 0, 85}, {85, 0, 170});
  const std::vector<Rgb> swappedRows = TwoRows(kBlue, kRed, {85, 0, 170}, {170, 0, 85});
  const Case cases[] = {
      {"DXT1", Dds(4, 4, "DXT1", 0, {}, kColourBlock), blockRows},
      {"DXT5", Dds(4, 4, "DXT5", 0, {}, withAlpha(kColourBlock)), blockRows},
      // Three colours when the first is not above the second: the third
      // halfway, the fourth black; equal colours are not above either.
      {"DXT1 three colours", Dds(4, 4, "DXT1", 0, {}, Dxt1Block(0x001F, 0xF800)),
       TwoRows(kBlue, kRed, {127, 0, 127}, kBlack)},
      {"DXT1 equal colours", Dds(4, 4, "DXT1", 0, {}, Dxt1Block(0x07E0, 0x07E0)),
       TwoRows(kGreen, kGreen, kGreen, kBlack)},
      // DXT3 and DXT5 colour blocks have four colours in either order.
      {"DXT3 first below second", Dds(4, 4, "DXT3", 0, {}, withAlpha(Dxt1Block(0x001F, 0xF800))),
       swappedRows},
      {"DXT5 equal colours", Dds(4, 4, "DXT5", 0, {}, withAlpha(Dxt1Block(0x07E0, 0x07E0))),
       TwoRows(kGreen, kGreen, kGreen, kGreen)},
      {"565", Dds(2, 1, "", 16, {0xF800, 0x07E0, 0x001F}, {0x00, 0xF8, 0xE0, 0x07}),
       {kRed, kGreen}},
      {"1555", Dds(2, 1, "", 16, {0x7C00, 0x03E0, 0x001F}, {0x1F, 0x80, 0x00, 0x7C}),
       {kBlue, kRed}},
      {"8888", Dds(2, 1, "", 32, {0xFF0000, 0xFF00, 0xFF}, {1, 2, 3, 255, 30, 20, 10, 0}),
       {{3, 2, 1}, {10, 20, 30}}},
      {"888 without masks", Dds(2, 1, "", 24, {}, {1, 2, 3, 30, 20, 10}),
       {{3, 2, 1}, {10, 20, 30}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DecodedTexture decoded = DecodeTexture({TextureImageKind::Dds, c.file});
    ASSERT_TRUE(decoded.image) << decoded.reason;
    ASSERT_GE(decoded.image->pixels.size(), c.pixels.size());
    for (std::size_t i = 0; i < c.pixels.size(); ++i) {
      EXPECT_EQ(decoded.image->pixels[i], c.pixels[i]) << i;
    }
  }
}

TEST(TextureDecoder, ReadsBackWhatTheMaterialExportWrites) {
  // 8 x 8, left half red, right half green: DXT1 keeps flat halves exactly.
  RgbaImage image{8, 8, {}};
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      image.pixels.insert(image.pixels.end(), {static_cast<std::uint8_t>(x < 4 ? 255 : 0),
                                               static_cast<std::uint8_t>(x < 4 ? 0 : 255), 0, 255});
    }
  }
  const DecodedTexture decoded = DecodeTexture({TextureImageKind::Dds, WriteDds(image)});
  ASSERT_TRUE(decoded.image) << decoded.reason;
  EXPECT_EQ(decoded.image->width, 8);
  EXPECT_EQ(decoded.image->Sample(0.1f, 0.5f), (Rgb{255, 0, 0}));
  EXPECT_EQ(decoded.image->Sample(0.9f, 0.5f), (Rgb{0, 255, 0}));
  // Coordinates beyond 0 to 1 repeat the picture.
  EXPECT_EQ(decoded.image->Sample(1.1f, -2.5f), (Rgb{255, 0, 0}));
  EXPECT_EQ(decoded.image->Sample(-0.1f, 0.5f), (Rgb{0, 255, 0}));
}

TEST(TextureDecoder, LargeTexturesAreDrawnFromASmallerMipLevel) {
  // 4096 x 4 with two levels: the second, 2048 x 2, is drawn.
  std::vector<std::uint8_t> levels(1024 * 8, 0);  // level 0: black blocks
  for (int block = 0; block < 512; ++block) {
    levels.insert(levels.end(), kColourBlock.begin(), kColourBlock.begin() + 4);
    levels.insert(levels.end(), 4, 0);  // every texel the first colour: red
  }
  std::vector<std::uint8_t> file = Dds(4096, 4, "DXT1", 0, {}, levels);
  file[28] = 2;
  const DecodedTexture decoded = DecodeTexture({TextureImageKind::Dds, file});
  ASSERT_TRUE(decoded.image) << decoded.reason;
  EXPECT_EQ(decoded.image->width, 2048);
  EXPECT_EQ(decoded.image->height, 2);
  EXPECT_EQ(decoded.image->pixels.back(), (Rgb{255, 0, 0}));

  file[28] = 1;
  const DecodedTexture unmipped = DecodeTexture({TextureImageKind::Dds, file});
  EXPECT_FALSE(unmipped.image);
  EXPECT_NE(unmipped.reason.find("no smaller mip level"), std::string::npos);
}

TEST(TextureDecoder, DecodesATgaLevel) {
  // An uncompressed true-colour TGA of 2 x 1, bottom row first (blue, green, red order).
  const std::vector<std::uint8_t> tga{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 1, 0,
                                      24, 0, 30, 20, 10, 3, 2, 1};
  const DecodedTexture decoded = DecodeTexture({TextureImageKind::Tga, tga});
  ASSERT_TRUE(decoded.image) << decoded.reason;
  EXPECT_EQ(decoded.image->pixels, (std::vector<Rgb>{{10, 20, 30}, {1, 2, 3}}));
}

TEST(TextureDecoder, RefusesDamagedImagesWithAReason) {
  const std::vector<std::vector<std::uint8_t>> damaged{
      {}, Dds(4, 4, "DXT1", 0, {}, {1, 2, 3}), Dds(4, 4, "ABCD", 0, {}, kColourBlock)};
  for (const auto& bytes : damaged) {
    for (TextureImageKind kind : {TextureImageKind::Dds, TextureImageKind::Tga}) {
      const DecodedTexture decoded = DecodeTexture({kind, bytes});
      EXPECT_FALSE(decoded.image);
      EXPECT_FALSE(decoded.reason.empty());
    }
  }
}

}  // namespace
}  // namespace svcmp::render
