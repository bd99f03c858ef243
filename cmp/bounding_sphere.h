#pragma once

#include <array>
#include <span>

namespace svcmp {

using Position = std::array<float, 3>;

struct BoundingSphere {
  Position centre = {0, 0, 0};
  float radius = 0;
};

// The smallest sphere that contains every point (Welzl's algorithm, run as
// loops in a fixed pseudo-random order, so the same points always give the
// same bytes). Centre and radius are rounded to floats with the radius
// widened until every point lies inside; the radius is then the largest
// distance of a point from the rounded centre. No points give the zero sphere.
BoundingSphere MinimumEnclosingSphere(std::span<const Position> points);

}  // namespace svcmp
