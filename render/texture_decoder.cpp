#include "render/texture_decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <memory>

#include "format/dds_format.h"
#include "inspect/dds_header_decoder.h"
#include "inspect/leaf_reader.h"

// This file's private copy of stb's decoder, for TGA levels only.
#define STB_IMAGE_STATIC
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS 2048  // as for DDS: more than a preview draws
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace svcmp::render {
namespace {

constexpr int kBlockSide = dds::kBlockSide;
constexpr std::uint32_t kLargestDrawnSide = 2048;

// A 5:6:5 colour widened to 8 bits a channel.
Rgb Colour565(std::uint16_t packed) {
  const int r = packed >> 11 & 31;
  const int g = packed >> 5 & 63;
  const int b = packed & 31;
  return {static_cast<std::uint8_t>(r * 255 / 31), static_cast<std::uint8_t>(g * 255 / 63),
          static_cast<std::uint8_t>(b * 255 / 31)};
}

std::uint8_t Between(std::uint8_t a, std::uint8_t b, int aShare, int bShare) {
  return static_cast<std::uint8_t>((a * aShare + b * bShare) / (aShare + bShare));
}

Rgb Mix(Rgb a, Rgb b, int aShare, int bShare) {
  return {Between(a.r, b.r, aShare, bShare), Between(a.g, b.g, aShare, bShare),
          Between(a.b, b.b, aShare, bShare)};
}

// One 8-byte colour block of 4 x 4 texels. DXT1 blocks whose first colour is
// not above the second have three colours (the fourth is transparent, drawn
// black); the colour blocks of DXT3 and DXT5 always have four.
void DecodeColourBlock(const LeafReader& reader, std::size_t at, bool dxt1, int blockX,
                       int blockY, TextureImage& image) {
  const std::uint16_t first = reader.U16(at);
  const std::uint16_t second = reader.U16(at + 2);
  std::array<Rgb, 4> palette{Colour565(first), Colour565(second), {}, {}};
  if (!dxt1 || first > second) {
    palette[2] = Mix(palette[0], palette[1], 2, 1);
    palette[3] = Mix(palette[0], palette[1], 1, 2);
  } else {
    palette[2] = Mix(palette[0], palette[1], 1, 1);
  }
  const std::uint32_t codes = reader.U32(at + 4);
  for (int row = 0; row < kBlockSide; ++row) {
    const int y = blockY * kBlockSide + row;
    if (y >= image.height) break;
    for (int column = 0; column < kBlockSide; ++column) {
      const int x = blockX * kBlockSide + column;
      if (x >= image.width) break;
      const unsigned code = codes >> (2 * (row * kBlockSide + column)) & 3;
      image.pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(image.width) +
                   static_cast<std::size_t>(x)] = palette[code];
    }
  }
}

void DecodeBlocks(const LeafReader& reader, std::size_t at, std::size_t blockSize,
                  TextureImage& image) {
  const bool dxt1 = blockSize == dds::kDxt1BlockSize;
  // DXT3's and DXT5's alpha comes first in each block.
  const std::size_t colourAt = dxt1 ? 0 : 8;
  for (int blockY = 0; blockY * kBlockSide < image.height; ++blockY) {
    for (int blockX = 0; blockX * kBlockSide < image.width; ++blockX, at += blockSize) {
      DecodeColourBlock(reader, at + colourAt, dxt1, blockX, blockY, image);
    }
  }
}

// A channel by its mask, widened to 8 bits; a channel without a mask is 0.
std::uint8_t Channel(std::uint32_t pixel, std::uint32_t mask) {
  if (mask == 0) return 0;
  const std::uint32_t value = (pixel & mask) >> std::countr_zero(mask);
  const std::uint64_t top = mask >> std::countr_zero(mask);
  return static_cast<std::uint8_t>(value * 255u / top);
}

// The header check has made sure the bytes hold every pixel of the level.
void DecodeUncompressed(std::span<const std::uint8_t> bytes, std::size_t at,
                        TextureImage& image) {
  const LeafReader reader(bytes);
  const std::uint32_t bits = reader.U32(dds::kPixelFormatOffset + 12);
  std::uint32_t red = reader.U32(dds::kPixelFormatOffset + 16);
  std::uint32_t green = reader.U32(dds::kPixelFormatOffset + 20);
  std::uint32_t blue = reader.U32(dds::kPixelFormatOffset + 24);
  if (red == 0 && green == 0 && blue == 0) {
    // Writers that leave the masks out mean the usual layouts.
    const bool narrow = bits == 16;
    red = narrow ? 0xF800 : 0xFF0000;
    green = narrow ? 0x07E0 : 0x00FF00;
    blue = narrow ? 0x001F : 0x0000FF;
  }
  const std::size_t pixelBytes = bits / 8;
  for (Rgb& pixel : image.pixels) {
    std::uint32_t packed = 0;
    for (std::size_t k = 0; k < pixelBytes; ++k) {
      packed |= static_cast<std::uint32_t>(bytes[at + k]) << (8 * k);
    }
    pixel = {Channel(packed, red), Channel(packed, green), Channel(packed, blue)};
    at += pixelBytes;
  }
}

DecodedTexture DecodeDds(std::span<const std::uint8_t> bytes) {
  const DdsHeaderResult header = ReadDdsHeader(bytes);
  if (!header.sound) return {std::nullopt, header.reason};
  const std::string& format = header.description.format;
  const std::size_t blockSize = format == "DXT1"   ? dds::kDxt1BlockSize
                                : format[0] == 'D' ? dds::kDxt5BlockSize
                                                   : 0;
  const std::size_t pixelBytes = blockSize == 0 ? std::stoul(format.substr(3)) / 8 : 0;
  // The first level no larger than a preview needs, as far as the mips go:
  // a picture of some hundred pixels shows no more of a texture.
  std::uint32_t width = header.description.width;
  std::uint32_t height = header.description.height;
  std::size_t at = dds::kFileHeaderSize;
  for (std::uint32_t level = 1;
       level < header.description.mipCount && std::max(width, height) > kLargestDrawnSide; ++level) {
    at += blockSize == 0 ? std::size_t{width} * height * pixelBytes
                         : std::size_t{(width + 3) / 4} * ((height + 3) / 4) * blockSize;
    width = std::max<std::uint32_t>(1, width / 2);
    height = std::max<std::uint32_t>(1, height / 2);
  }
  if (std::max(width, height) > kLargestDrawnSide) {
    return {std::nullopt, "its " + std::to_string(width) + " x " + std::to_string(height) +
                              " pixels are more than the preview draws (" +
                              std::to_string(kLargestDrawnSide) + " a side) and it has no " +
                              "smaller mip level"};
  }
  TextureImage image;
  image.width = static_cast<int>(width);
  image.height = static_cast<int>(height);
  image.pixels.resize(std::size_t{width} * height);
  if (blockSize == 0) {
    DecodeUncompressed(bytes, at, image);
  } else {
    DecodeBlocks(LeafReader(bytes), at, blockSize, image);
  }
  return {std::move(image), ""};
}

DecodedTexture DecodeTga(std::span<const std::uint8_t> bytes) {
  constexpr int kRgbChannels = 3;
  int width = 0;
  int height = 0;
  int channels = 0;
  if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT32_MAX)) {
    return {std::nullopt, "the TGA level is empty or too large"};
  }
  const std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
      stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height,
                            &channels, kRgbChannels),
      stbi_image_free);
  if (!pixels) {
    return {std::nullopt, std::string("the TGA level cannot be read: ") + stbi_failure_reason()};
  }
  TextureImage image{width, height, {}};
  image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (std::size_t i = 0; i < image.pixels.size(); ++i) {
    image.pixels[i] = {pixels.get()[3 * i], pixels.get()[3 * i + 1], pixels.get()[3 * i + 2]};
  }
  return {std::move(image), ""};
}

}  // namespace

DecodedTexture DecodeTexture(const TextureImageBytes& stored) {
  return stored.kind == TextureImageKind::Dds ? DecodeDds(stored.bytes) : DecodeTga(stored.bytes);
}

}  // namespace svcmp::render
