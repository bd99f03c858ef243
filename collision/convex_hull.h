#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "collision/collision_hulls.h"

namespace svcmp {

// The convex hull of a collision piece's points, through Qhull, wound
// outwards, its points the input points at its corners. Without slivers, so
// that the hull stays convex when it is moved into another frame and
// rounded: a corner within a thousandth of the piece's size of an edge is
// left out and the hull widened to hold it. The same points give the same
// hull.
// A flat piece (or one too thin for Qhull) becomes its outline's corners
// triangulated once (the writer makes it two-sided); a piece without three points off one
// line gives nothing.
// With `pointsGiven`, no hull point is moved: a corner left out may then
// lie outside by that thousandth (the wrap hull may only use its leaves'
// points).
std::optional<ConvexHull> HullOfPiece(std::uint32_t id, std::span<const CollisionVector> points,
                                      bool pointsGiven = false);

// The volume of the convex hull of `points`; 0 for a flat piece or when
// Qhull finds none.
double HullVolume(std::span<const CollisionVector> points);

// Scales `hull` about the mean of its points until every one of `points`
// lies behind every face; convex stays convex.
void WidenAround(ConvexHull& hull, std::span<const CollisionVector> points);

}  // namespace svcmp
