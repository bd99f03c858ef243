#pragma once

#include <cstddef>
#include <cstdint>

// The DDS files of the texture library: "DDS " and a 124-byte header, then
// every mip level's DXT blocks, largest first. Little-endian.
//     0 char[4] "DDS "
//     4 u32 header size (124)       8 u32 flags
//    12 u32 height                 16 u32 width
//    20 u32 top level's byte size  24 u32 depth (0)
//    28 u32 mip level count        32 u32[11] reserved (0)
//    76 pixel format, 32 bytes:    76 u32 size (32)   80 u32 flags (FOURCC)
//                                  84 char[4] "DXT1" or "DXT5", then 5 u32 (0)
//   108 u32 caps                  112 u32[4] caps 2 to 4, reserved (0)
namespace svcmp::dds {

inline constexpr std::size_t kMagicSize = 4;
inline constexpr std::uint32_t kHeaderSize = 124;
inline constexpr std::size_t kFileHeaderSize = kMagicSize + kHeaderSize;
static_assert(kFileHeaderSize == 128);
inline constexpr std::uint32_t kPixelFormatSize = 32;
inline constexpr std::size_t kPixelFormatOffset = 76;
inline constexpr std::size_t kCapsOffset = 108;

inline constexpr char kMagic[] = "DDS ";
inline constexpr char kFourCcDxt1[] = "DXT1";
inline constexpr char kFourCcDxt5[] = "DXT5";

// Flags: caps, height, width, pixel format, mip count, linear size.
inline constexpr std::uint32_t kFlags = 0x1 | 0x2 | 0x4 | 0x1000 | 0x20000 | 0x80000;
inline constexpr std::uint32_t kPixelFormatFourCc = 0x4;
// Caps: a complex surface, a texture, with mips.
inline constexpr std::uint32_t kCaps = 0x8 | 0x1000 | 0x400000;

// DXT compresses blocks of 4 x 4 pixels into 8 (DXT1) or 16 (DXT5) bytes.
inline constexpr int kBlockSide = 4;
inline constexpr std::size_t kDxt1BlockSize = 8;
inline constexpr std::size_t kDxt5BlockSize = 16;

}  // namespace svcmp::dds
