#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "plugin/mesh_records.h"
#include "ui/export_settings.h"

namespace svcmp {

// The mesh buffer ("VMeshData"), little-endian, no padding between sections:
//   header, 16 bytes:  0 u32 mesh kind (1)      4 u32 primitive type (4: triangle list)
//                      8 u16 mesh count        10 u16 index count
//                     12 u16 vertex format     14 u16 vertex count
//   mesh entry, 12 bytes each:  0 u32 material id (NameCrc of the material name)
//                      4 u16 start vertex       6 u16 end vertex (start + count - 1, mod 65536)
//                      8 u16 index count       10 u16 padding (0x00CC)
//   then every geometry mesh's indices (u16), then its 32-byte vertices.
inline constexpr std::size_t kMeshBufferHeaderSize = 16;
inline constexpr std::size_t kMeshEntrySize = 12;
inline constexpr std::size_t kMeshVertexSize = 32;
inline constexpr std::uint32_t kMeshKind = 1;
inline constexpr std::uint32_t kTriangleListPrimitive = 4;
// Position, normal and one pair of texture coordinates, as Direct3D flags.
inline constexpr std::uint16_t kMeshVertexFormat = 0x0112;
inline constexpr std::uint16_t kMeshEntryPadding = 0x00CC;
static_assert(sizeof(MeshVertex) == kMeshVertexSize);

// The geometry meshes' buffer. Also fills `summary` (totals, and bounds that
// always contain the origin) and, with two or more groups, `groups`: each
// group takes the next quantity of geometry meshes. Expects models that passed
// GroupQuantitiesMatch and CheckExportable; otherwise the 16-bit counts wrap,
// but the walk never passes the list's end and every geometry mesh still gets
// its entry.
std::vector<std::uint8_t> BuildMeshBuffer(
    const MeshList& meshList, int groupCount,
    const std::array<std::int32_t, kMaxGroupCount>& quantities, MeshDataSummary& summary,
    GroupList& groups);

}  // namespace svcmp
