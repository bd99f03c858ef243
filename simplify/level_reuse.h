#pragma once

#include <cstddef>
#include <vector>

#include "plugin/mesh_records.h"

namespace svcmp {

// For a level of detail simplified from the same model as `previous`: every
// geometry mesh with triangles that the simplification left with no fewer
// of them than `previous` has is replaced by the previous level's mesh, so
// that no level has more detail than the one before. Returns the indices of
// the meshes taken, in model order. Lists of different models match up to
// the shorter one.
std::vector<std::size_t> TakeUnreducedFromPrevious(MeshList& level, const MeshList& previous);

}  // namespace svcmp
