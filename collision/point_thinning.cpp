#include "collision/point_thinning.h"

#include <cmath>
#include <map>
#include <tuple>
#include <utility>

namespace svcmp {

std::vector<CollisionVector> Thinned(const std::vector<CollisionVector>& points,
                                     const std::array<double, 3>& center, double cellSize) {
  std::map<std::tuple<long long, long long, long long>, std::pair<double, CollisionVector>> cells;
  for (const CollisionVector& p : points) {
    const auto key = std::make_tuple(std::llround(std::floor(p[0] / cellSize)),
                                     std::llround(std::floor(p[1] / cellSize)),
                                     std::llround(std::floor(p[2] / cellSize)));
    double d = 0;
    for (int k = 0; k < 3; ++k) d += (p[k] - center[k]) * (p[k] - center[k]);
    const auto [found, added] = cells.try_emplace(key, d, p);
    if (!added && d > found->second.first) found->second = {d, p};
  }
  std::vector<CollisionVector> kept;
  kept.reserve(cells.size());
  for (const auto& [key, cell] : cells) kept.push_back(cell.second);
  return kept;
}

}  // namespace svcmp
