#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "format/mesh_buffer_layout.h"
#include "plugin/mesh_records.h"
#include "ui/export_settings.h"

namespace svcmp {

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
