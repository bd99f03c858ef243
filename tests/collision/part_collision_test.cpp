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
  parts[0] = {kRoot, true, {{kRoot, "hull", Box(0, 0, 0), {}}, {kTurret, "HpTurret01", Box(0, 3, 0), {}}}, {kTurret}, {}, "Root"};
  parts[1] = {kWing, false, {{kWing, "wing", Box(0, 0, 0), {}}, {kWing, "line", {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}}, {}}}, {}, {}, "Wing"};
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

using Mat = std::array<double, 9>;  // row by row

Mat Times(const Mat& a, const Mat& b) {
  Mat out{};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      for (int k = 0; k < 3; ++k) out[r * 3 + c] += a[r * 3 + k] * b[k * 3 + c];
    }
  }
  return out;
}

Mat Transposed(const Mat& m) { return {m[0], m[3], m[6], m[1], m[4], m[7], m[2], m[5], m[8]}; }

// The rigid frame of a transform as the export takes it: its first two
// columns made unit and square, the third their cross product.
Mat RigidOf(const Mat& m) {
  std::array<double, 3> x{m[0], m[3], m[6]}, y{m[1], m[4], m[7]};
  const double xLength = std::hypot(x[0], x[1], x[2]);
  for (double& v : x) v /= xLength;
  const double along = x[0] * y[0] + x[1] * y[1] + x[2] * y[2];
  for (int k = 0; k < 3; ++k) y[k] -= along * x[k];
  const double yLength = std::hypot(y[0], y[1], y[2]);
  for (double& v : y) v /= yLength;
  const std::array<double, 3> z{x[1] * y[2] - x[2] * y[1], x[2] * y[0] - x[0] * y[2], x[0] * y[1] - x[1] * y[0]};
  return {x[0], y[0], z[0], x[1], y[1], z[1], x[2], y[2], z[2]};
}

Mat TurnAboutX(double degrees) {
  const double t = degrees * std::acos(-1.0) / 180;
  return {1, 0, 0, 0, std::cos(t), -std::sin(t), 0, std::sin(t), std::cos(t)};
}

// Shapes the export once refused its own collision file for: a part on a
// Fix joint, tilted, made of several separate pieces in one mesh (an array
// of cylinders), under a parent that is scaled unevenly, turned or sheared.
// The child's vertices carry what its frame cannot (the scale and shear),
// as the export puts them; its hulls copied into the parent must stay
// convex there and hold every vertex.
TEST(PartCollision, TiltedFixChildrenOfScaledTurnedAndShearedParentsStayConvex) {
  struct Case {
    const char* name;
    int pieces;
    double tilt;
    Mat parent;
  };
  const Mat turned = Times(Mat{0.8, 0, 0.6, 0, 1, 0, -0.6, 0, 0.8}, Mat{2, 0, 0, 0, 1, 0, 0, 0, 1});
  const Case cases[] = {
      {"four pieces, 20 degrees, uneven scale", 4, 20, {3, 0, 0, 0, 1, 0, 0, 0, 0.5}},
      {"three pieces, 20 degrees, uneven scale", 3, 20, {3, 0, 0, 0, 1, 0, 0, 0, 0.5}},
      {"six pieces, 35 degrees, uneven scale", 6, 35, {1, 0, 0, 0, 2, 0, 0, 0, 5}},
      {"four pieces, 20 degrees, turned and scaled", 4, 20, turned},
      {"four pieces, 20 degrees, sheared", 4, 20, {1, 0.4, 0, 0, 1, 0, 0.2, 0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Mat world = Times(c.parent, TurnAboutX(c.tilt));
    const Mat frame = RigidOf(world);
    const Mat rest = Times(Transposed(frame), world);
    const Mat joint = Times(Transposed(RigidOf(c.parent)), frame);
    std::vector<CollisionVector> array, moved;
    for (int piece = 0; piece < c.pieces; ++piece) {
      for (int i = 0; i < 200; ++i) {
        const double around = 2 * std::acos(-1.0) * (i % 20) / 20;
        const double local[3] = {7 * (std::cos(around) + 3 * piece), 7 * std::sin(around), 7 * (-4 + 8.0 * (i / 20) / 9)};
        CollisionVector& p = array.emplace_back();
        for (int r = 0; r < 3; ++r) {
          p[r] = static_cast<float>(rest[3 * r] * local[0] + rest[3 * r + 1] * local[1] + rest[3 * r + 2] * local[2]);
        }
      }
    }
    FixedChild child{1, {}, {60, 35, 10}};
    for (int k = 0; k < 9; ++k) child.rotation[k] = static_cast<float>(joint[k]);
    for (const CollisionVector& p : array) {
      CollisionVector& q = moved.emplace_back();
      for (int r = 0; r < 3; ++r) {
        q[r] = child.rotation[3 * r] * p[0] + child.rotation[3 * r + 1] * p[1] + child.rotation[3 * r + 2] * p[2] +
               child.translation[r];
      }
    }
    std::vector<CollisionPartInput> parts(2);
    parts[0] = {kRoot, true, {{kRoot, "body", Box(-50, -20, -20), {}}}, {}, {child}, "Root"};
    parts[1] = {kWing, false, {{kWing, "array", array, {}}}, {}, {}, "Wing"};
    const CollisionFile file = WrittenAndRead(BuildCollision(parts, 300));
    ASSERT_EQ(file.parts.size(), 2u);
    ASSERT_EQ(file.parts[0].hulls.size(), 3u);
    EXPECT_LE(Outside(file.parts[0], file.parts[0].hulls[1], moved), 1e-3);
    EXPECT_LE(Outside(file.parts[1], file.parts[1].hulls[0], array), 1e-3);
  }
}

// A hull with thin faces (a corner a hundred-thousandth of its size off a
// straight edge, too far to leave out) moved far into a turned parent: its
// corners, rounded there, are hulled again so it stays convex.
TEST(PartCollision, ThinFacesStayConvexMovedFarIntoATurnedParent) {
  std::vector<CollisionVector> bar = {{0, 0, 0}, {40, 0, 0}, {0, 1, 0}, {40, 1, 0},
                                      {0, 0, 1}, {40, 0, 1}, {0, 1, 1}, {40, 1, 1}};
  for (int i = 1; i < 40; ++i) {
    const float off = (i % 2 ? 4e-4f : -4e-4f);
    bar.push_back({static_cast<float>(i), -off, -off});
    bar.push_back({static_cast<float>(i) + 0.5f, 1 + off, 1 + off});
  }
  std::vector<CollisionPartInput> parts(2);
  parts[0] = {kRoot, true, {{kRoot, "hull", Box(0, 0, 0), {}}}, {}, {}, "Root"};
  parts[1] = {kWing, false, {{kWing, "bar", bar, {}}}, {}, {}, "Wing"};
  const double t = 0.35;
  parts[0].fixedChildren = {{1,
                             {static_cast<float>(std::cos(t)), static_cast<float>(-std::sin(t)), 0,
                              static_cast<float>(std::sin(t) * 0.6), static_cast<float>(std::cos(t) * 0.6), -0.8f,
                              static_cast<float>(std::sin(t) * 0.8), static_cast<float>(std::cos(t) * 0.8), 0.6f},
                             {3000.5f, -2000.25f, 1500.125f}}};
  const CollisionFile file = WrittenAndRead(BuildCollision(parts, 300));
  ASSERT_EQ(file.parts.size(), 2u);
}

// A hardpoint hull of a part held by Fix joints goes up the chain with the
// part's own hulls, keeping its id, and every part holding a copy lists the
// hardpoint.
TEST(PartCollision, HardpointHullsGoUpFixChainsListedByTheHolders) {
  constexpr std::uint32_t kTip = 4, kGun = 9;
  std::vector<CollisionPartInput> parts(3);
  parts[0] = {kRoot, true, {{kRoot, "hull", Box(0, 0, 0), {}}}, {}, {{1, {0, -1, 0, 1, 0, 0, 0, 0, 1}, {4, 0, 0}}}, "Root"};
  parts[1] = {kWing, false, {{kWing, "wing", Box(0, 0, 0), {}}}, {}, {{2, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 3, 0}}}, "Wing"};
  parts[2] = {kTip, false, {{kTip, "tip", Box(0, 0, 0), {}}, {kGun, "HpGun01", Box(0, 0, 2), {}}}, {kGun}, {}, "Tip"};
  const CollisionFile file = WrittenAndRead(BuildCollision(parts, 300));
  ASSERT_EQ(file.parts.size(), 3u);
  // Root: its own, the wing's, the tip's and the gun's, then the wrap hull.
  const CollisionPart& root = file.parts[0];
  ASSERT_EQ(root.hulls.size(), 5u);
  EXPECT_EQ(root.hulls[3].id, kGun);
  EXPECT_EQ(root.hardpointIds, std::vector<std::uint32_t>{kGun});
  EXPECT_EQ(file.parts[1].hardpointIds, std::vector<std::uint32_t>{kGun});
  EXPECT_EQ(file.parts[2].hardpointIds, std::vector<std::uint32_t>{kGun});
  // The gun's box at z 2..3 of the tip, the tip 3 up the wing, the wing a
  // quarter turn about z at x = 4 in Root: (x, y, z) -> (4 - y, x, z).
  std::vector<CollisionVector> gunInRoot;
  for (const CollisionVector& p : Box(0, 3, 2)) gunInRoot.push_back({4 - p[1], p[0], p[2]});
  EXPECT_LE(Outside(root, root.hulls[3], gunInRoot), 1e-5);
  EXPECT_EQ(root.boxMax, (std::array<float, 3>{1, 1, 1}));  // its own hull only
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
    const CollisionBuild build = BuildCollision({{kRoot, false, {{kRoot, "ball", sphere, {}}}, {}, {}, "Root"}}, maxFaces);
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
  const CollisionBuild build = BuildCollision({{kRoot, false, {{kRoot, "diamond", diamond, {}}}, {}, {}, "Root"}}, 4);
  const CollisionFile file = WrittenAndRead(build);
  ASSERT_EQ(file.parts.size(), 1u);
  const CollisionHull& hull = file.parts[0].hulls[0];
  EXPECT_EQ(hull.faces.size(), 4u);
  EXPECT_LE(Outside(file.parts[0], hull, diamond), 1e-4 * 6);
}

}  // namespace
}  // namespace svcmp
