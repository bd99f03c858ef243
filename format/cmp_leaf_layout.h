#pragma once

#include <cstddef>
#include <cstdint>

// Sizes and layouts of the compound model's leaves that the writer and the
// decoders share. Little-endian throughout.
namespace svcmp {

// "Index": signed 32-bit part index, then 32 zero bits.
inline constexpr std::size_t kIndexLeafSize = 4 + 4;
// "Switch2": four floats.
inline constexpr std::size_t kSwitch2LeafSize = 4 * 4;
// "Max" and "Min": the limit as a float, then 32 zero bits.
inline constexpr std::size_t kLimitLeafSize = 4 + 4;
// "Position" and "Axis": three floats; "Orientation": nine.
inline constexpr std::size_t kVectorLeafSize = 3 * 4;
inline constexpr std::size_t kOrientationLeafSize = 9 * 4;

// The mesh reference record ("VMeshRef"):
//   0 u32 header size (60)       4 u32 library id (NameCrc of the library entry)
//   8 u16 start vertex          10 u16 vertex count
//  12 u16 start index           14 u16 index count
//  16 u16 start mesh            18 u16 mesh count
//  20 float max x, min x, max y, min y, max z, min z
//  44 float centre x, y, z      56 float radius
inline constexpr std::size_t kMeshRefSize = 4 + 4 + 6 * 2 + 6 * 4 + 4 * 4;
static_assert(kMeshRefSize == 60);
inline constexpr std::uint32_t kMeshRefHeaderSize = kMeshRefSize;
inline constexpr std::size_t kMeshRefBoxOffset = 20;
inline constexpr std::size_t kMeshRefCentreOffset = 44;

// Joint records under "Cons", names zero-padded to 64 bytes:
//   Fix, 176 bytes:    0 parent  64 child  128 origin (3 floats)  140 rotation (3x3 floats)
//   Rev, Pris, 208:    ... 140 offset (3 floats)  152 rotation  188 axis (3 floats)  200 min  204
//   max Sphere, 212:       ... 140 offset  152 rotation  188 min and max about x, y and z (6
//   floats)
inline constexpr std::size_t kJointNameSize = 64;
inline constexpr std::size_t kFixRecordSize = 2 * kJointNameSize + 3 * 4 + 9 * 4;
inline constexpr std::size_t kAxisRecordSize =
    2 * kJointNameSize + 3 * 4 + 3 * 4 + 9 * 4 + 3 * 4 + 2 * 4;
inline constexpr std::size_t kSphereRecordSize = 2 * kJointNameSize + 3 * 4 + 3 * 4 + 9 * 4 + 6 * 4;
static_assert(kFixRecordSize == 176 && kAxisRecordSize == 208 && kSphereRecordSize == 212);

// The wireframe outline ("VMeshWire/VWireData"), a header and index pairs:
//   0 u32 header size (16)       4 u32 library id (NameCrc of the library entry)
//   8 u16 start vertex          10 u16 vertex count (distinct indices)
//  12 u16 index count (2 per segment)  14 u16 index bound (highest index + 1)
//  16 u16 indices, two per segment, relative to the start vertex
inline constexpr std::size_t kWireHeaderSize = 4 + 4 + 4 * 2;
static_assert(kWireHeaderSize == 16);
inline constexpr std::size_t kWireIndexSize = 2;
// The wire indexes the part's coarsest level, but never one above this.
inline constexpr int kWireCoarsestLevel = 3;

}  // namespace svcmp
