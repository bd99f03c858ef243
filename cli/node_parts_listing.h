#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "cmp/node_part.h"
#include "exporter/parts_from_nodes.h"

namespace svcmp::cli {

// The parts `--parts nodes` makes of the node tree, one line each: name,
// joint (kind, parent, origin, axis, limits) in the file's units at
// scaleDivisor, meshes at each level (meshesByLevel[level][part]), hardpoints.
void PrintNodePartsListing(const std::vector<NodePart>& parts,
                           const std::vector<std::vector<std::int32_t>>& meshesByLevel,
                           int scaleDivisor, std::FILE* out);

// The nodes that are no geometry: collision pieces with the part (and
// hardpoint) they belong to, and the nodes export_ignore leaves out; one
// line each kind, none where the tree has none.
void PrintNonGeometryNodes(const PartsFromNodes& formed, std::FILE* out);

}  // namespace svcmp::cli
