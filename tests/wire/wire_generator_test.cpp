#include "wire/wire_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <set>
#include <string>

#include "wire_test_shapes.h"

namespace svcmp {
namespace {

using testing::TestShape;

// The positions of a segment's ends, lower first, so sets can be compared
// whatever vertex copy the generator picked.
using Ends = std::array<std::array<float, 3>, 2>;

std::set<Ends> SegmentEnds(const TestShape& shape, const GeneratedWire& wire) {
  std::set<Ends> ends;
  for (const auto& [a, b] : wire.segments) {
    Ends e = {shape.positions[a], shape.positions[b]};
    if (e[1] < e[0]) std::swap(e[0], e[1]);
    ends.insert(e);
  }
  return ends;
}

// Every end is the lowest-numbered vertex at its position, a < b, no
// segment twice, and in ascending order.
void ExpectCanonical(const TestShape& shape, const GeneratedWire& wire) {
  for (const auto& [a, b] : wire.segments) {
    EXPECT_LT(a, b);
    for (std::uint16_t end : {a, b}) {
      const auto lowest =
          std::find(shape.positions.begin(), shape.positions.end(), shape.positions[end]) -
          shape.positions.begin();
      EXPECT_EQ(end, lowest) << "vertex " << end;
    }
  }
  EXPECT_TRUE(std::is_sorted(wire.segments.begin(), wire.segments.end()));
  EXPECT_EQ(std::adjacent_find(wire.segments.begin(), wire.segments.end()), wire.segments.end());
}

struct ShapeCase {
  std::string name;
  TestShape shape;
  float angle;
  std::size_t budget;
  std::size_t segments;
  WireRule rule;
  std::size_t candidates;
  friend void PrintTo(const ShapeCase& c, std::ostream* out) { *out << c.name; }
};

class GenerateWireShapes : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(GenerateWireShapes, KeepsTheEdgesTheRulePicks) {
  const ShapeCase& c = GetParam();
  const GeneratedWire wire = GenerateWire(c.shape.positions, c.shape.indices, {c.angle, c.budget});
  EXPECT_EQ(wire.segments.size(), c.segments);
  EXPECT_EQ(wire.rule, c.rule);
  EXPECT_EQ(wire.candidates, c.candidates);
  ExpectCanonical(c.shape, wire);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, GenerateWireShapes,
    ::testing::Values(
        // The twelve edges; the face diagonals are flat.
        ShapeCase{"cube", testing::Cuboid(), 5, 2000, 12, WireRule::Edges, 12},
        // Both rims (32 each) and the 32 side edges, 11.25 degrees apart.
        ShapeCase{"cylinder", testing::Cylinder(32), 5, 2000, 96, WireRule::Edges, 96},
        // Above the sides' angle only the rims stay.
        ShapeCase{"cylinderRims", testing::Cylinder(32), 12, 2000, 64, WireRule::Edges, 64},
        // Just below it the sides stay too.
        ShapeCase{"cylinderBelowSides", testing::Cylinder(32), 11, 2000, 96, WireRule::Edges, 96},
        // The boundary of 4 x 4 quads.
        ShapeCase{"plate", testing::Plate(4), 5, 2000, 16, WireRule::Edges, 16},
        // Nothing sharp: the equator and two meridians, 96 edges each.
        ShapeCase{"sphere", testing::Sphere(96, 48), 5, 2000, 288, WireRule::Contours, 288},
        // A coarse sphere is all sharp edges; its quads' diagonals are flat.
        ShapeCase{"coarseSphere", testing::Sphere(8, 4), 5, 2000, 8 * 4 + 8 * 3, WireRule::Edges,
                  8 * 4 + 8 * 3},
        // Over the budget: the 64 rim edges (90 degrees) before the sides.
        ShapeCase{"cylinderBudget", testing::Cylinder(32), 5, 64, 64, WireRule::Budget, 96}),
    [](const auto& info) { return info.param.name; });

TEST(GenerateWire, CubeSegmentsAreItsTwelveEdges) {
  const TestShape cube = testing::Cuboid();
  const GeneratedWire wire = GenerateWire(cube.positions, cube.indices, {});
  std::set<Ends> expected;
  for (int axis = 0; axis < 3; ++axis) {
    const float size[3] = {2, 4, 6};
    for (int corner = 0; corner < 4; ++corner) {
      std::array<float, 3> a{}, b{};
      const int u = (axis + 1) % 3, v = (axis + 2) % 3;
      a[u] = b[u] = (corner & 1) ? size[u] : 0;
      a[v] = b[v] = (corner & 2) ? size[v] : 0;
      b[axis] = size[axis];
      expected.insert({a, b});
    }
  }
  EXPECT_EQ(SegmentEnds(cube, wire), expected);
}

TEST(GenerateWire, BudgetKeepsTheSharpestEdges) {
  const TestShape cylinder = testing::Cylinder(32);
  const GeneratedWire wire = GenerateWire(cylinder.positions, cylinder.indices, {5, 64});
  // The rims are level; a side edge runs from y = -1 to y = 5.
  for (const Ends& ends : SegmentEnds(cylinder, wire)) EXPECT_EQ(ends[0][1], ends[1][1]);
}

TEST(GenerateWire, PlateBoundaryRunsRoundTheOutside) {
  const TestShape plate = testing::Plate(4);
  for (const Ends& ends : SegmentEnds(plate, GenerateWire(plate.positions, plate.indices, {}))) {
    const bool alongX = ends[0][1] == ends[1][1] && (ends[0][1] == 0 || ends[0][1] == 4);
    const bool alongY = ends[0][0] == ends[1][0] && (ends[0][0] == 0 || ends[0][0] == 4);
    EXPECT_TRUE(alongX || alongY);
  }
}

TEST(GenerateWire, SphereContoursLieInTheAxisPlanes) {
  const TestShape sphere = testing::Sphere(96, 48);
  std::array<int, 3> perPlane{};
  for (const Ends& ends : SegmentEnds(sphere, GenerateWire(sphere.positions, sphere.indices, {}))) {
    int planes = 0;
    for (int axis = 0; axis < 3; ++axis) {
      if (std::fabs(ends[0][axis]) < 1e-5f && std::fabs(ends[1][axis]) < 1e-5f) {
        ++perPlane[axis];
        ++planes;
      }
    }
    EXPECT_EQ(planes, 1);
  }
  EXPECT_EQ(perPlane, (std::array{96, 96, 96}));
}

TEST(GenerateWire, IgnoresBrokenTrianglesAndIndices) {
  TestShape shape = testing::Plate(1);
  // A triangle with two corners at one place, one past the vertices, and a
  // trailing partial triangle add nothing.
  shape.positions.push_back({0, 0, 2});
  shape.indices.insert(shape.indices.end(), {0, 4, 1, 0, 1, 99, 2, 3});
  const GeneratedWire wire = GenerateWire(shape.positions, shape.indices, {});
  EXPECT_EQ(wire.segments, (std::vector<WireSegment>{{0, 1}, {0, 3}, {1, 2}, {2, 3}}));
}

TEST(WireRuleText, SaysWhyTheSegmentsAreFewerOrContours) {
  const TestShape cylinder = testing::Cylinder(32);
  EXPECT_EQ(WireRuleText(GenerateWire(cylinder.positions, cylinder.indices, {5, 64}), {5, 64}),
            "64 of 96 segments, the budget of a part: the boundary and the sharpest edges; a "
            "larger --wire-angle keeps fewer");
  const TestShape sphere = testing::Sphere(96, 48);
  EXPECT_EQ(WireRuleText(GenerateWire(sphere.positions, sphere.indices, {4.5f}), {4.5f}),
            "288 segments: the contours against the three axes, as no edge is sharper than 4.5 "
            "degrees");
}

TEST(WireLevel, IsTheCoarsestUpToLevel3) {
  const std::pair<std::size_t, std::size_t> cases[] = {{0, 0}, {1, 0}, {2, 1}, {3, 2},
                                                       {4, 3}, {5, 3}, {7, 3}};
  for (const auto& [levels, level] : cases) EXPECT_EQ(WireLevel(levels), level) << levels;
}

}  // namespace
}  // namespace svcmp
