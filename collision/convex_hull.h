#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "collision/collision_hulls.h"

namespace svcmp {

// The convex hull of a collision piece's points, through Qhull, wound
// outwards, its points the input points at its corners. Without slivers,
// whose planes rounding turns any way: a corner within a millionth of the
// piece's size of an edge is left out and the hull widened to hold it. A
// hull moved into another frame is hulled again there. The same points
// give the same hull.
// A flat piece (or one too thin for Qhull) becomes its outline's corners
// triangulated once (the writer makes it two-sided); a piece without three points off one
// line gives nothing.
// With `pointsGiven`, no hull point is moved: a corner left out may then
// lie outside by that millionth (the wrap hull may only use its leaves'
// points).
std::optional<ConvexHull> HullOfPiece(std::uint32_t id, std::span<const CollisionVector> points,
                                      bool pointsGiven = false);

// The volume of the convex hull of `points`; 0 for a flat piece or when
// Qhull finds none.
double HullVolume(std::span<const CollisionVector> points);

// A hull of at most `maxFaces` faces over the corners of the exact one: from
// the four farthest apart, the corner farthest in front of each face added
// round by round, until every corner lies within `share` of the hull's
// thickness of it or the faces run out; then widened around every point.
// Near-coplanar faces so merge and a round piece keeps few of its corners.
// A flat piece keeps its outline.
std::optional<ConvexHull> FewerFacedHull(std::uint32_t id, std::span<const CollisionVector> points,
                                         unsigned maxFaces, double share);

// Scales `hull` about the mean of its points until every one of `points`
// lies behind every face; convex stays convex. A hull that would grow by
// more than `mostScale` times is left as it is.
void WidenAround(ConvexHull& hull, std::span<const CollisionVector> points, double mostScale);

}  // namespace svcmp
