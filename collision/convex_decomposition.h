#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "collision/collision_hulls.h"

namespace svcmp {

using MeshCorners = std::array<std::uint32_t, 3>;  // a triangle's points

// Whether a mesh is clearly concave, so that one hull would fill openings:
// a closed mesh (every edge between two triangles, positions welded) whose
// hull has more than 1.5 times its own volume; an open one with a point of
// its surface (a corner or a triangle's centre) more than a tenth of its
// hull's size (the cube root of its volume) inside that hull. Convex parts, and meshes a little off convex, stay one hull.
bool ClearlyConcave(std::span<const CollisionVector> points, std::span<const MeshCorners> triangles);

// An approximate convex decomposition of a mesh: cuts it along planes
// square to the axes, each time where the hulls of the two sides have the
// least volume, and keeps cutting the piece whose cut saves the most
// volume, up to `maxPieces` pieces, until no cut saves a fiftieth of the
// hull's volume, or (a closed mesh) until the hulls hold no more than 1.2
// times its own volume. Each piece is the points of the triangles clipped to its
// side, so every point of the mesh lies in a piece and the hulls of the
// pieces hold the whole surface. A mesh that is not clearly concave, or
// `maxPieces` below 2, gives one piece: all its points. Triangles naming
// points outside `points` are ignored. The same mesh gives the same pieces.
std::vector<std::vector<CollisionVector>> ConvexPieces(std::span<const CollisionVector> points,
                                                       std::span<const MeshCorners> triangles,
                                                       unsigned maxPieces);

}  // namespace svcmp
