#include "simplify/level_reuse.h"

#include <algorithm>

namespace svcmp {

std::vector<std::size_t> TakeUnreducedFromPrevious(MeshList& level, const MeshList& previous) {
  std::vector<std::size_t> taken;
  const std::size_t count = std::min(level.size(), previous.size());
  for (std::size_t m = 0; m < count; ++m) {
    MeshRecord& mesh = level[m];
    const MeshRecord& before = previous[m];
    if (mesh.isHardpoint || before.triangles.empty()) continue;
    if (mesh.triangles.size() < before.triangles.size()) continue;
    mesh = before;
    taken.push_back(m);
  }
  return taken;
}

}  // namespace svcmp
