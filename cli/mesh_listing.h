#pragma once

#include <cstdio>

#include "plugin/mesh_records.h"

namespace svcmp::cli {

// One line per captured mesh: index, kind, vertices, triangles, material and
// name, so a user can choose the group quantities.
void PrintMeshListing(const MeshList& meshList, std::FILE* out);

// The totals of the listed meshes at scaleDivisor, and whether they fit the
// format's limits as one part.
void PrintListingTotals(const MeshList& meshList, int scaleDivisor, std::FILE* out);

}  // namespace svcmp::cli
