#pragma once

#include <cstddef>
#include <cstdint>

namespace svcmp {

// The mesh buffer ("VMeshData"), little-endian, no padding between sections:
//   header, 16 bytes:  0 u32 mesh kind (1)      4 u32 primitive type (4: triangle list)
//                      8 u16 mesh count        10 u16 index count
//                     12 u16 vertex format     14 u16 vertex count
//   mesh entry, 12 bytes each:  0 u32 material id (NameCrc of the material name)
//                      4 u16 start vertex       6 u16 end vertex (start + count - 1, mod 65536)
//                      8 u16 index count       10 u16 padding (0x00CC)
//   then every mesh's indices (u16, local to the mesh's vertex range), then
//   the vertices, whose layout the vertex format gives.
inline constexpr std::size_t kMeshBufferHeaderSize = 16;
inline constexpr std::size_t kMeshEntrySize = 12;
inline constexpr std::uint32_t kMeshKind = 1;
inline constexpr std::uint32_t kTriangleListPrimitive = 4;
inline constexpr std::uint16_t kMeshEntryPadding = 0x00CC;

// Vertex format bits (Direct3D flexible-vertex-format flags). A vertex holds
// the present fields in this order; bits 8 to 11 count the texture
// coordinate sets of two floats each.
inline constexpr std::uint16_t kVertexPosition = 0x0002;      // 3 floats
inline constexpr std::uint16_t kVertexNormal = 0x0010;        // 3 floats
inline constexpr std::uint16_t kVertexDiffuse = 0x0040;       // 4 bytes
inline constexpr std::uint16_t kVertexSpecular = 0x0080;      // 4 bytes
inline constexpr std::uint16_t kVertexTextureCount = 0x0F00;  // sets << 8
inline constexpr int kVertexTextureShift = 8;

// What our export writes: position, normal and one set of texture
// coordinates, 32 bytes.
inline constexpr std::uint16_t kMeshVertexFormat = 0x0112;
inline constexpr std::size_t kMeshVertexSize = 32;

}  // namespace svcmp
