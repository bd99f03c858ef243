#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace svcmp {

using CollisionVector = std::array<float, 3>;

// A closed convex triangulated hull in its part's frame, wound outwards
// ((b - a) × (c - a) points out), or a flat piece: its outline's corners
// triangulated once, facing either way (the writer adds the other side
// wherever the triangles do not close).
struct ConvexHull {
  std::uint32_t id = 0;  // the part's or a hardpoint's (or a Fix child's) name id
  std::vector<CollisionVector> points;
  std::vector<std::array<std::uint32_t, 3>> triangles;  // into points
};

// What the collision file holds for one part: its leaf hulls and, with two
// or more, the wrap hull over all their points.
struct PartHulls {
  std::uint32_t id = 0;
  bool moves = false;  // "!fxd": Root and parts joined by anything but Fix
  std::vector<ConvexHull> leaves;
  std::optional<ConvexHull> wrap;
  std::vector<std::uint32_t> hardpointIds;  // whose hull is one of the leaves
};

}  // namespace svcmp
