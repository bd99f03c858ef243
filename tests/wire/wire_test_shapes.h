#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

// Shapes for the wire tests, each vertex repeated per face as exports split
// them (by normal), so an outline found by raw index would be wrong.
namespace svcmp::testing {

struct TestShape {
  std::vector<std::array<float, 3>> positions;
  std::vector<std::uint16_t> indices;

  // A quad a b c d (counter-clockwise) as two triangles over four new vertices.
  void Quad(std::array<float, 3> a, std::array<float, 3> b, std::array<float, 3> c,
            std::array<float, 3> d) {
    const auto first = static_cast<std::uint16_t>(positions.size());
    positions.insert(positions.end(), {a, b, c, d});
    for (int i : {0, 1, 2, 0, 2, 3}) indices.push_back(static_cast<std::uint16_t>(first + i));
  }
  void Triangle(std::array<float, 3> a, std::array<float, 3> b, std::array<float, 3> c) {
    const auto first = static_cast<std::uint16_t>(positions.size());
    positions.insert(positions.end(), {a, b, c});
    for (int i : {0, 1, 2}) indices.push_back(static_cast<std::uint16_t>(first + i));
  }
};

// A box of sides 2, 4 and 6 centred on (1, 2, 3): six faces of four vertices.
inline TestShape Cuboid() {
  TestShape s;
  const float x0 = 0, x1 = 2, y0 = 0, y1 = 4, z0 = 0, z1 = 6;
  s.Quad({x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1});
  s.Quad({x1, y0, z0}, {x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0});
  s.Quad({x1, y0, z1}, {x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1});
  s.Quad({x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0});
  s.Quad({x0, y1, z1}, {x1, y1, z1}, {x1, y1, z0}, {x0, y1, z0});
  s.Quad({x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1});
  return s;
}

// A closed cylinder about y of `sides` sides, radius 3, from y = -1 to 5,
// its caps as fans from a centre vertex.
inline TestShape Cylinder(int sides) {
  TestShape s;
  const auto rim = [&](int i, float y) {
    const double angle = 2 * 3.14159265358979323846 * (i % sides) / sides;
    return std::array{static_cast<float>(3 * std::cos(angle)), y,
                      static_cast<float>(3 * std::sin(angle))};
  };
  for (int i = 0; i < sides; ++i) {
    s.Quad(rim(i, -1), rim(i, 5), rim(i + 1, 5), rim(i + 1, -1));
    s.Triangle({0, 5, 0}, rim(i + 1, 5), rim(i, 5));
    s.Triangle({0, -1, 0}, rim(i, -1), rim(i + 1, -1));
  }
  return s;
}

// A flat plate in the plane z = 2 of n x n unit quads.
inline TestShape Plate(int n) {
  TestShape s;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const float x = static_cast<float>(i), y = static_cast<float>(j);
      s.Quad({x, y, 2}, {x + 1, y, 2}, {x + 1, y + 1, 2}, {x, y + 1, 2});
    }
  }
  return s;
}

// A sphere of radius 10 about y, `slices` around and `stacks` from pole to
// pole, its poles fans of triangles.
inline TestShape Sphere(int slices, int stacks) {
  TestShape s;
  const double pi = 3.14159265358979323846;
  const auto at = [&](int slice, int stack) {
    const double theta = pi * stack / stacks, phi = 2 * pi * (slice % slices) / slices;
    if (stack == 0) return std::array<float, 3>{0, 10, 0};
    if (stack == stacks) return std::array<float, 3>{0, -10, 0};
    return std::array{static_cast<float>(10 * std::sin(theta) * std::cos(phi)),
                      static_cast<float>(10 * std::cos(theta)),
                      static_cast<float>(10 * std::sin(theta) * std::sin(phi))};
  };
  for (int stack = 0; stack < stacks; ++stack) {
    for (int slice = 0; slice < slices; ++slice) {
      if (stack == 0) {
        s.Triangle(at(slice, 0), at(slice + 1, 1), at(slice, 1));
      } else if (stack == stacks - 1) {
        s.Triangle(at(slice, stack), at(slice + 1, stack), at(slice, stacks));
      } else {
        s.Quad(at(slice, stack), at(slice + 1, stack), at(slice + 1, stack + 1),
               at(slice, stack + 1));
      }
    }
  }
  return s;
}

}  // namespace svcmp::testing
