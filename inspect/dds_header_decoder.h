#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace svcmp {

// What a texture library's DDS file says of itself.
struct DdsDescription {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t mipCount = 0;  // at least 1
  std::string format;          // "DXT1", "DXT3", "DXT5", or "RGB" with its bits per pixel
};

struct [[nodiscard]] DdsHeaderResult {
  bool sound = false;
  DdsDescription description;
  std::string reason;  // why the header is not sound
};

// Judges the header of a DDS file as the game reads it: signature, header and
// pixel-format sizes, sides, mip count, a pixel format it knows, and enough
// bytes for every mip level. Never reads outside `bytes`.
DdsHeaderResult ReadDdsHeader(std::span<const std::uint8_t> bytes);

}  // namespace svcmp
