#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "plugin/mesh_records.h"
#include "ui/export_settings.h"

namespace svcmp {

// The mesh buffer's counts and indices are 16-bit.
inline constexpr std::size_t kMaxMeshBufferCount = 65535;

// 65535 reads as "65,535", as a modder would write it.
std::string Grouped(std::size_t value);

// The message for a model whose geometry meshes hold more meshes, vertices or
// indices than 16 bits count, or nothing when they fit.
std::optional<std::string> CheckMeshBufferLimits(const MeshList& meshList);

// What keeps a captured model out of the mesh buffer, as a message for the
// user (caption "Warning"), or nothing when it can be written: more geometry
// meshes, vertices or indices than 16 bits hold, a geometry triangle naming a
// vertex its mesh lacks, a geometry mesh whose normals are not finite (its
// coordinates are too large), or (with several groups) a negative group quantity.
// Run before the buffer is written, after GroupQuantitiesMatch.
std::optional<std::string> CheckExportable(const MeshList& meshList, int groupCount,
                                           const std::array<std::int32_t, kMaxGroupCount>& quantities);

}  // namespace svcmp
