#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "collision/collision_hulls.h"

namespace svcmp {

// The convex hull of a collision piece's points, through Qhull (triangulated
// output; each hull vertex is the input point it came from), wound
// outwards. A flat piece (or one too thin for Qhull) becomes one triangle
// (the writer makes it two-sided); a piece without three points off one
// line gives nothing.
std::optional<ConvexHull> HullOfPiece(std::uint32_t id, std::span<const CollisionVector> points);

}  // namespace svcmp
