#include "collision/part_collision.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "collision/sur_writer.h"
#include "inspect/collision_checks.h"
#include "inspect/collision_decoder.h"

namespace svcmp {
namespace {

constexpr std::uint32_t kRoot = 1, kWing = 2, kTurret = 3;

std::vector<CollisionVector> Box(float x, float y, float z) {
  std::vector<CollisionVector> points;
  for (int corner = 0; corner < 8; ++corner) {
    points.push_back({x + (corner & 1), y + (corner >> 1 & 1), z + (corner >> 2)});
  }
  return points;
}

// Largest distance of `points` in front of a face of the leaf hull.
double Outside(const CollisionPart& part, const CollisionHull& hull, const std::vector<CollisionVector>& points) {
  double worst = -1e30;
  for (const CollisionFace& face : hull.faces) {
    const auto& a = part.points[face.points[0]].position;
    const auto& b = part.points[face.points[1]].position;
    const auto& c = part.points[face.points[2]].position;
    const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (const auto& p : points) {
      worst = std::max(worst, (n[0] * (p[0] - a[0]) + n[1] * (p[1] - a[1]) + n[2] * (p[2] - a[2])) / length);
    }
  }
  return worst;
}

CollisionFile WrittenAndRead(const CollisionBuild& build) {
  const SurWriting written = WriteSurFile(build.parts);
  EXPECT_EQ(written.error, "");
  const auto decoded = DecodeCollisionFile(written.bytes);
  EXPECT_TRUE(decoded.file) << decoded.error.rule << ": " << decoded.error.message;
  if (!decoded.file) return {};
  EXPECT_TRUE(CheckCollisionFile(*decoded.file, nullptr).empty());
  return *decoded.file;
}

TEST(PartCollision, PiecesBecomeLeavesWithFixChildrenCopiedUnderAWrapHull) {
  std::vector<CollisionPartInput> parts(2);
  parts[0] = {kRoot, true, {{kRoot, "hull", Box(0, 0, 0)}, {kTurret, "HpTurret01", Box(0, 3, 0)}}, {kTurret}, {}};
  parts[1] = {kWing, false, {{kWing, "wing", Box(0, 0, 0)}, {kWing, "line", {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}}}}, {}, {}};
  // The wing sits at x = 5, turned a quarter turn about y: (x, y, z) -> (z + 5, y, -x).
  parts[0].fixedChildren = {{1, {0, 0, 1, 0, 1, 0, -1, 0, 0}, {5, 0, 0}}};
  const CollisionBuild build = BuildCollision(parts, 300);
  EXPECT_EQ(build.warnings,
            std::vector<std::string>{"the collision piece line has fewer than three points off one line and is left out"});
  const CollisionFile file = WrittenAndRead(build);
  ASSERT_EQ(file.parts.size(), 2u);
  const CollisionPart& root = file.parts[0];
  ASSERT_EQ(root.hulls.size(), 4u);  // hull, turret, the wing's copy, wrap
  EXPECT_EQ(root.hulls[2].id, kWing);
  EXPECT_EQ(root.hulls[3].kind, CollisionHullKind::Wrap);
  EXPECT_LE(Outside(root, root.hulls[2], Box(5, 0, -1)), 1e-5);
  EXPECT_LE(Outside(root, root.hulls[3], Box(5, 0, -1)), 1e-5);
  EXPECT_EQ(root.boxMax, (std::array<float, 3>{1, 1, 1}));  // its own hull only
  EXPECT_TRUE(root.moves);
  EXPECT_EQ(file.parts[1].hulls.size(), 1u);
  EXPECT_FALSE(file.parts[1].moves);
}

TEST(PartCollision, AHullOfTooManyFacesIsThinnedAndStillHoldsEveryPoint) {
  std::mt19937 random(3);
  std::normal_distribution<float> normal;
  std::vector<CollisionVector> sphere;
  for (int i = 0; i < 3000; ++i) {
    CollisionVector p{normal(random), normal(random), normal(random)};
    const float length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    sphere.push_back({p[0] / length, p[1] / length * 2, p[2] / length});
  }
  for (const unsigned maxFaces : {300u, 40u}) {
    const CollisionBuild build = BuildCollision({{kRoot, false, {{kRoot, "ball", sphere}}, {}, {}}}, maxFaces);
    const CollisionFile file = WrittenAndRead(build);
    ASSERT_EQ(file.parts.size(), 1u);
    const CollisionHull& hull = file.parts[0].hulls[0];
    EXPECT_LE(hull.faces.size(), maxFaces);
    EXPECT_GE(hull.faces.size(), maxFaces / 4);
    EXPECT_LE(Outside(file.parts[0], hull, sphere), 1e-4 * 2);
  }
}

// A thinned hull whose box centre lies on one of its faces is still widened
// around every point: the diamond thinned to a tetrahedron through its centre.
TEST(PartCollision, AThinnedHullThroughItsBoxCentreStillHoldsEveryPoint) {
  const std::vector<CollisionVector> diamond = {{3, 0, 0}, {-3, 0, 0}, {0, 3, 0},
                                                {0, -3, 0}, {0, 0, 3}, {0, 0, -3}};
  const CollisionBuild build = BuildCollision({{kRoot, false, {{kRoot, "diamond", diamond}}, {}, {}}}, 4);
  const CollisionFile file = WrittenAndRead(build);
  ASSERT_EQ(file.parts.size(), 1u);
  const CollisionHull& hull = file.parts[0].hulls[0];
  EXPECT_EQ(hull.faces.size(), 4u);
  EXPECT_LE(Outside(file.parts[0], hull, diamond), 1e-4 * 6);
}

}  // namespace
}  // namespace svcmp
