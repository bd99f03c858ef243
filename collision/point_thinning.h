#pragma once

#include <array>
#include <vector>

#include "collision/collision_hulls.h"

namespace svcmp {

// One point per cell of a grid of `cellSize` steps: the one farthest from
// `center` (the first of equals), so that a hull of the points kept stays
// wide. Cells come in grid order, whatever the order of `points`.
std::vector<CollisionVector> Thinned(const std::vector<CollisionVector>& points,
                                     const std::array<double, 3>& center, double cellSize);

}  // namespace svcmp
