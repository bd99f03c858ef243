#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace svcmp::sur {

// The collision file (".sur") beside a compound model, little-endian:
//   file    = "vers" f32(2.0) part+                   (parts until the end)
//   part    = u32 id, u32 section count (2..4), sections in the order
//             "!fxd" (flag), "exts" f32 min[3] max[3], "surf" u32 size block,
//             "hpid" u32 n u32 id[n]
// A surf block: a 48-byte header, hull records (16 bytes + 16 per face),
// the part's points (16 bytes), the nodes of its tree (28 bytes).
// The older layout: f32 box[6], then parts: u32 name length, name, "surf" or
// "ledg", u32 block count, blocks each with a u32 size before it.

// A four-letter tag as the u32 the file holds.
constexpr std::uint32_t Tag(std::string_view text) {
  return static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[0])) |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[1])) << 8 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[2])) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(text[3])) << 24;
}

inline constexpr std::uint32_t kVersTag = Tag("vers");
inline constexpr float kVersion = 2.0f;
inline constexpr std::uint32_t kFixedTag = Tag("!fxd");
inline constexpr std::uint32_t kExtentsTag = Tag("exts");
inline constexpr std::uint32_t kSurfaceTag = Tag("surf");
inline constexpr std::uint32_t kHardpointIdsTag = Tag("hpid");
inline constexpr std::uint32_t kLedgeTag = Tag("ledg");
inline constexpr std::uint32_t kMinSections = 2;
inline constexpr std::uint32_t kMaxSections = 4;
inline constexpr std::size_t kOlderBoxSize = 24;

// The surf block's header; offsets from the first byte after its size.
inline constexpr std::size_t kCenterOffset = 0;
inline constexpr std::size_t kInertiaOffset = 12;
inline constexpr std::size_t kRadiusOffset = 24;
inline constexpr std::size_t kDeviationOffset = 28;
inline constexpr std::size_t kByteSizeOffset = 29;  // u24
inline constexpr std::size_t kRootOffset = 32;
inline constexpr std::size_t kZeroOffset = 36;  // three zero words
inline constexpr std::size_t kSurfHeaderSize = 48;
inline constexpr std::uint32_t kMaxBlockSize = (1u << 24) - 1;

// A hull record.
inline constexpr std::size_t kHullPointsOffset = 0;  // i32 to the part's points
inline constexpr std::size_t kHullIdOffset = 4;      // leaf: owner id; wrap: i32 to its node
inline constexpr std::size_t kHullTypeOffset = 8;
inline constexpr std::size_t kHullUnitsOffset = 9;  // u24: 1 + F + V
inline constexpr std::size_t kHullFaceCountOffset = 12;
inline constexpr std::size_t kHullPadOffset = 14;
inline constexpr std::size_t kHullHeaderSize = 16;
inline constexpr std::uint8_t kLeafHullType = 4;
inline constexpr std::uint8_t kWrapHullType = 5;
inline constexpr std::uint32_t kMaxHullFaces = 4095;

// A face: a header word, then three edges of u16 start point, u16 twin.
inline constexpr std::size_t kFaceSize = 16;
inline constexpr std::uint32_t kFaceIndexMask = 0xFFF;
inline constexpr unsigned kPierceShift = 12;
inline constexpr std::uint32_t kFaceReservedMask = 0x7F000000;
inline constexpr std::uint32_t kWrapFaceBit = 0x80000000;
inline constexpr std::uint16_t kTwinMask = 0x7FFF;
inline constexpr std::uint16_t kTwinSignBit = 0x4000;
inline constexpr std::uint16_t kWrapEdgeBit = 0x8000;
inline constexpr std::size_t kSlotSize = 4;
inline constexpr std::size_t kSlotsPerFace = 4;

// A point: f32 position[3], u32 id of a leaf hull that uses it.
inline constexpr std::size_t kPointSize = 16;
inline constexpr std::size_t kMaxPartPoints = 65535;

// A node of the tree.
inline constexpr std::size_t kNodeRightOffset = 0;
inline constexpr std::size_t kNodeHullOffset = 4;
inline constexpr std::size_t kNodeCenterOffset = 8;
inline constexpr std::size_t kNodeRadiusOffset = 20;
inline constexpr std::size_t kNodeBoxOffset = 24;
inline constexpr std::size_t kNodePadOffset = 27;
inline constexpr std::size_t kNodeSize = 28;
// Box bytes and the deviation count steps of radius / 250.
inline constexpr float kRadiusSteps = 250.0f;

}  // namespace svcmp::sur
