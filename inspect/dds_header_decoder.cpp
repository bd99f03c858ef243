#include "inspect/dds_header_decoder.h"

#include <algorithm>
#include <cstring>

#include "format/dds_format.h"

namespace svcmp {
namespace {

// Files of other tools also hold uncompressed pixels: the RGB flag and a bit count.
constexpr std::uint32_t kPixelFormatRgb = 0x40;
constexpr std::size_t kDxt3BlockSize = 16;
// Sides beyond this are no texture the game loads.
constexpr std::uint32_t kMaxSide = 16384;

std::uint32_t U32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return std::uint32_t{bytes[offset]} | std::uint32_t{bytes[offset + 1]} << 8 |
         std::uint32_t{bytes[offset + 2]} << 16 | std::uint32_t{bytes[offset + 3]} << 24;
}

DdsHeaderResult Unsound(std::string reason) { return {false, {}, std::move(reason)}; }

// Bytes of one level; blockSize 0 means uncompressed at `bitsPerPixel`.
std::uint64_t LevelBytes(std::uint32_t width, std::uint32_t height, std::size_t blockSize,
                         std::uint32_t bitsPerPixel) {
  if (blockSize == 0) return std::uint64_t{width} * height * (bitsPerPixel / 8);
  return std::uint64_t{(width + 3) / 4} * ((height + 3) / 4) * blockSize;
}

}  // namespace

DdsHeaderResult ReadDdsHeader(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < dds::kFileHeaderSize) return Unsound("shorter than a DDS header (128 bytes)");
  if (std::memcmp(bytes.data(), dds::kMagic, dds::kMagicSize) != 0)
    return Unsound("does not start with \"DDS \"");
  if (U32(bytes, 4) != dds::kHeaderSize) return Unsound("the header size is not 124");
  if (U32(bytes, dds::kPixelFormatOffset) != dds::kPixelFormatSize)
    return Unsound("the pixel format size is not 32");

  DdsDescription description;
  description.height = U32(bytes, 12);
  description.width = U32(bytes, 16);
  if (description.width == 0 || description.height == 0 || description.width > kMaxSide ||
      description.height > kMaxSide) {
    return Unsound("the sides " + std::to_string(description.width) + " x " +
                   std::to_string(description.height) + " are not from 1 to 16384");
  }
  // Files without mips may say 0.
  description.mipCount = std::max<std::uint32_t>(U32(bytes, 28), 1);
  std::uint32_t levels = 1;
  for (std::uint32_t side = std::max(description.width, description.height); side > 1; side /= 2)
    ++levels;
  if (description.mipCount > levels) {
    return Unsound(std::to_string(description.mipCount) + " mip levels, more than sides of " +
                   std::to_string(description.width) + " x " + std::to_string(description.height) +
                   " have");
  }

  const std::uint32_t pixelFlags = U32(bytes, dds::kPixelFormatOffset + 4);
  std::size_t blockSize = 0;
  std::uint32_t bitsPerPixel = 0;
  if (pixelFlags & dds::kPixelFormatFourCc) {
    const std::string fourCc(reinterpret_cast<const char*>(bytes.data()) + 84, 4);
    if (fourCc == dds::kFourCcDxt1) blockSize = dds::kDxt1BlockSize;
    if (fourCc == "DXT3") blockSize = kDxt3BlockSize;
    if (fourCc == dds::kFourCcDxt5) blockSize = dds::kDxt5BlockSize;
    if (blockSize == 0)
      return Unsound("the pixel format \"" + fourCc + "\" is not DXT1, DXT3 or DXT5");
    description.format = fourCc;
  } else if (pixelFlags & kPixelFormatRgb) {
    bitsPerPixel = U32(bytes, dds::kPixelFormatOffset + 12);
    if (bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32)
      return Unsound("uncompressed pixels of " + std::to_string(bitsPerPixel) + " bits");
    description.format = "RGB" + std::to_string(bitsPerPixel);
  } else {
    return Unsound("the pixel format is neither compressed nor RGB");
  }

  std::uint64_t needed = 0;
  std::uint32_t width = description.width;
  std::uint32_t height = description.height;
  for (std::uint32_t level = 0; level < description.mipCount; ++level) {
    needed += LevelBytes(width, height, blockSize, bitsPerPixel);
    width = std::max<std::uint32_t>(1, width / 2);
    height = std::max<std::uint32_t>(1, height / 2);
  }
  if (bytes.size() - dds::kFileHeaderSize < needed) {
    return Unsound("its " + std::to_string(description.mipCount) + " mip levels need " +
                   std::to_string(needed) + " bytes after the header, but it holds " +
                   std::to_string(bytes.size() - dds::kFileHeaderSize));
  }
  return {true, description, ""};
}

}  // namespace svcmp
