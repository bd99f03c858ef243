#include "materials/image_decoding.h"

#include <stb_image.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>

namespace svcmp {
namespace {

constexpr std::uint8_t kMarkerStart = 0xFF;
constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kEndOfImage = 0xD9;
constexpr std::uint8_t kHuffmanTable = 0xC4;
constexpr std::size_t kHuffmanLengthCounts = 16;
// A Huffman table assigns codes to at most 256 symbols.
constexpr unsigned kMaxHuffmanSymbols = 256;

// Markers without a length: stuffing, restarts, a temporary marker.
bool StandsAlone(std::uint8_t marker) {
  return marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= kStartOfImage);
}

// Whether every Huffman table of a JPEG file fits its 256 symbols. The
// decoder of this stb version writes past its tables when one does not, so
// such files are refused before it sees them. Walks the markers by their
// lengths; between them (in entropy-coded data) it looks for the next one,
// since progressive files define tables between their scans. Files that are
// no JPEG pass.
bool JpegHuffmanTablesFit(std::span<const std::uint8_t> bytes) {
  // The decoder takes any number of fill bytes before the start marker.
  std::size_t at = 0;
  while (at < bytes.size() && bytes[at] == kMarkerStart) ++at;
  if (at == 0 || at == bytes.size() || bytes[at] != kStartOfImage) return true;
  ++at;
  while (at + 1 < bytes.size()) {
    const std::uint8_t marker = bytes[at + 1];
    if (bytes[at] != kMarkerStart || marker == kMarkerStart || StandsAlone(marker)) {
      at += bytes[at] == kMarkerStart && marker != kMarkerStart ? 2 : 1;
      continue;
    }
    if (marker == kEndOfImage || at + 3 >= bytes.size()) return true;
    const std::size_t length = std::size_t{bytes[at + 2]} << 8 | bytes[at + 3];
    const std::size_t end = at + 2 + length;
    if (marker == kHuffmanTable) {
      // Each table: its class and number, 16 counts of codes by length, the
      // symbols. The decoder reads tables while the segment's length lasts,
      // and reads a missing count at the end of the file as 0.
      for (std::size_t table = at + 4; table < end;) {
        unsigned symbols = 0;
        for (std::size_t i = 1; i <= kHuffmanLengthCounts; ++i)
          if (table + i < bytes.size()) symbols += bytes[table + i];
        if (symbols > kMaxHuffmanSymbols) return false;
        table += 1 + kHuffmanLengthCounts + symbols;
      }
    }
    at = std::min(end, bytes.size());
  }
  return true;
}

constexpr std::uint8_t kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
// A chunk: its data's length (4 bytes, big-endian), its type, the data, a CRC.
constexpr std::size_t kPngChunkFrame = 12;

// Whether every chunk of a PNG file lies within the file. The decoder of
// this stb version grows its buffer for the image data to a chunk's stated
// length before it reads the chunk, so a damaged length would make it
// allocate gigabytes for a file of a few bytes. Files that are no PNG pass.
bool PngChunksFit(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < sizeof kPngSignature ||
      !std::equal(std::begin(kPngSignature), std::end(kPngSignature), bytes.begin())) {
    return true;
  }
  for (std::size_t at = sizeof kPngSignature; at + 8 <= bytes.size();) {
    const std::size_t length = std::size_t{bytes[at]} << 24 | std::size_t{bytes[at + 1]} << 16 |
                               std::size_t{bytes[at + 2]} << 8 | bytes[at + 3];
    if (length > bytes.size() - at - 8) return false;
    if (std::equal(bytes.begin() + at + 4, bytes.begin() + at + 8, "IEND")) return true;
    at += kPngChunkFrame + length;
  }
  return true;
}

}  // namespace

ImageDecodeResult DecodeImage(std::span<const std::uint8_t> bytes, long long maxPixels) {
  if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX)) {
    return {std::nullopt, "the file is empty or too large"};
  }
  if (!JpegHuffmanTablesFit(bytes))
    return {std::nullopt, "the JPG image is damaged (a Huffman table is too large)"};
  if (!PngChunksFit(bytes))
    return {std::nullopt, "the PNG image is damaged (a chunk is longer than the file)"};
  const int length = static_cast<int>(bytes.size());
  int width = 0;
  int height = 0;
  int channels = 0;
  if (!stbi_info_from_memory(bytes.data(), length, &width, &height, &channels)) {
    return {std::nullopt, "not a PNG, JPG, TGA or BMP image it can read"};
  }
  if (width <= 0 || height <= 0 || width > kMaxDecodedImageSide || height > kMaxDecodedImageSide ||
      static_cast<long long>(width) * height > kMaxDecodedImagePixels) {
    return {std::nullopt, "the image is larger than 8192 x 8192 pixels or " +
                              std::to_string(kMaxDecodedImageSide) + " pixels on a side"};
  }
  if (static_cast<long long>(width) * height > maxPixels) {
    return {std::nullopt, "the image is " + std::to_string(width) + " x " +
                              std::to_string(height) + " pixels, more than the " +
                              std::to_string(maxPixels) + " read here"};
  }
  const std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> pixels(
      stbi_load_from_memory(bytes.data(), length, &width, &height, &channels, 4), &stbi_image_free);
  if (!pixels)
    return {std::nullopt, std::string("the image is damaged (") + stbi_failure_reason() + ")"};

  RgbaImage image;
  image.width = width;
  image.height = height;
  const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  image.pixels.assign(pixels.get(), pixels.get() + size);
  return {std::move(image), ""};
}

}  // namespace svcmp
