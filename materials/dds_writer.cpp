#include "materials/dds_writer.h"

#include <stb_dxt.h>
#include <stb_image_resize.h>

#include <algorithm>
#include <cassert>
#include <cstring>

#include "format/dds_format.h"
#include "utf/little_endian.h"

namespace svcmp {
namespace {

std::size_t LevelSize(int width, int height, std::size_t blockSize) {
  const auto blocksAcross =
      static_cast<std::size_t>((width + dds::kBlockSide - 1) / dds::kBlockSide);
  const auto blocksDown =
      static_cast<std::size_t>((height + dds::kBlockSide - 1) / dds::kBlockSide);
  return blocksAcross * blocksDown * blockSize;
}

void AppendHeader(std::vector<std::uint8_t>& out, int width, int height, int levels, bool alpha) {
  const std::size_t blockSize = alpha ? dds::kDxt5BlockSize : dds::kDxt1BlockSize;
  LittleEndianWriter header(std::move(out));
  header.Text(dds::kMagic);
  header.U32(dds::kHeaderSize);
  header.U32(dds::kFlags);
  header.U32(static_cast<std::uint32_t>(height));
  header.U32(static_cast<std::uint32_t>(width));
  header.U32(static_cast<std::uint32_t>(LevelSize(width, height, blockSize)));
  header.U32(0);  // depth
  header.U32(static_cast<std::uint32_t>(levels));
  header.Zeros(11 * 4);
  header.U32(dds::kPixelFormatSize);
  header.U32(dds::kPixelFormatFourCc);
  header.Text(alpha ? dds::kFourCcDxt5 : dds::kFourCcDxt1);
  header.Zeros(5 * 4);
  header.U32(dds::kCaps);
  header.Zeros(4 * 4);
  out = header.Take();
  assert(out.size() == dds::kFileHeaderSize);
}

// Levels smaller than a block repeat their edge pixels to fill it.
void AppendBlocks(std::vector<std::uint8_t>& out, const RgbaImage& level, bool alpha) {
  const std::size_t blockSize = alpha ? dds::kDxt5BlockSize : dds::kDxt1BlockSize;
  std::uint8_t block[dds::kBlockSide * dds::kBlockSide * 4];
  std::uint8_t compressed[dds::kDxt5BlockSize];
  for (int top = 0; top < level.height; top += dds::kBlockSide) {
    for (int left = 0; left < level.width; left += dds::kBlockSide) {
      for (int y = 0; y < dds::kBlockSide; ++y) {
        for (int x = 0; x < dds::kBlockSide; ++x) {
          const int sx = std::min(left + x, level.width - 1);
          const int sy = std::min(top + y, level.height - 1);
          std::memcpy(block + (y * dds::kBlockSide + x) * 4,
                      level.pixels.data() + (static_cast<std::size_t>(sy) * level.width + sx) * 4,
                      4);
        }
      }
      stb_compress_dxt_block(compressed, block, alpha ? 1 : 0, STB_DXT_HIGHQUAL);
      out.insert(out.end(), compressed, compressed + blockSize);
    }
  }
}

// Colours are resized as sRGB, weighted by alpha, so transparent pixels do
// not bleed their colour into their neighbours.
RgbaImage Resized(const RgbaImage& image, int width, int height) {
  if (image.width == width && image.height == height) return image;
  RgbaImage resized;
  resized.width = width;
  resized.height = height;
  resized.pixels.resize(static_cast<std::size_t>(width) * height * 4);
  stbir_resize_uint8_srgb(image.pixels.data(), image.width, image.height, 0, resized.pixels.data(),
                          width, height, 0, 4, 3, 0);
  return resized;
}

}  // namespace

int TextureSide(int side, int maxSide) {
  int power = 1;
  while (power < side && power < maxSide) power *= 2;
  // Nearer to the power below: take it.
  if (power > 1 && power >= side && power - side > side - power / 2) power /= 2;
  return std::max(1, std::min(power, maxSide));
}

std::vector<std::uint8_t> WriteDds(const RgbaImage& image, int maxSide) {
  const bool alpha = image.HasAlpha();
  RgbaImage level =
      Resized(image, TextureSide(image.width, maxSide), TextureSide(image.height, maxSide));
  int levels = 1;
  for (int side = std::max(level.width, level.height); side > 1; side /= 2) ++levels;

  std::vector<std::uint8_t> out;
  AppendHeader(out, level.width, level.height, levels, alpha);
  for (int i = 0; i < levels; ++i) {
    if (i > 0) level = Resized(level, std::max(1, level.width / 2), std::max(1, level.height / 2));
    AppendBlocks(out, level, alpha);
  }
  return out;
}

}  // namespace svcmp
