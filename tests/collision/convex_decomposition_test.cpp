#include "collision/convex_decomposition.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "collision/part_collision.h"
#include "collision/sur_writer.h"
#include "inspect/collision_checks.h"
#include "inspect/collision_decoder.h"

namespace svcmp {
namespace {

struct Mesh {
  std::vector<CollisionVector> points;
  std::vector<MeshCorners> triangles;
};

// A ring of radius 5 and tube radius 0.5 around z, centred at `center`.
Mesh Torus(const CollisionVector& center) {
  constexpr int kAround = 48, kTube = 16;
  const double pi = std::acos(-1.0);
  Mesh mesh;
  for (int i = 0; i < kAround; ++i) {
    for (int j = 0; j < kTube; ++j) {
      const double u = 2 * pi * i / kAround, v = 2 * pi * j / kTube;
      mesh.points.push_back({static_cast<float>(center[0] + (5 + 0.5 * std::cos(v)) * std::cos(u)),
                             static_cast<float>(center[1] + (5 + 0.5 * std::cos(v)) * std::sin(u)),
                             static_cast<float>(center[2] + 0.5 * std::sin(v))});
    }
  }
  const auto at = [](int i, int j) { return static_cast<std::uint32_t>((i % kAround) * kTube + j % kTube); };
  for (int i = 0; i < kAround; ++i) {
    for (int j = 0; j < kTube; ++j) {
      mesh.triangles.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1)});
      mesh.triangles.push_back({at(i, j), at(i + 1, j + 1), at(i, j + 1)});
    }
  }
  return mesh;
}

// A hangar: a U (floor and two walls, 10 wide and 6 high, walls 1 thick)
// 8 deep along y, its opening at the top between x = -4 and 4; with its
// end faces (closed) or without.
Mesh Hangar(bool closed) {
  const float outline[8][2] = {{-5, 0}, {5, 0}, {5, 6}, {4, 6}, {4, 1}, {-4, 1}, {-4, 6}, {-5, 6}};
  const std::uint32_t cap[6][3] = {{0, 1, 4}, {0, 4, 5}, {1, 2, 3}, {1, 3, 4}, {0, 5, 6}, {0, 6, 7}};
  Mesh mesh;
  for (const float y : {0.0f, 8.0f}) {
    for (const auto& corner : outline) mesh.points.push_back({corner[0], y, corner[1]});
  }
  for (std::uint32_t i = 0; i < 8; ++i) {
    const std::uint32_t next = (i + 1) % 8;
    mesh.triangles.push_back({i, next, 8 + next});
    mesh.triangles.push_back({i, 8 + next, 8 + i});
  }
  if (closed) {
    for (const auto& t : cap) {
      mesh.triangles.push_back({t[0], t[2], t[1]});
      mesh.triangles.push_back({8 + t[0], 8 + t[1], 8 + t[2]});
    }
  }
  return mesh;
}

double Volume(const ConvexHull& hull) {
  double sixTimes = 0;
  for (const auto& t : hull.triangles) {
    const auto &a = hull.points[t[0]], &b = hull.points[t[1]], &c = hull.points[t[2]];
    sixTimes += double{a[0]} * (double{b[1]} * c[2] - double{b[2]} * c[1]) +
                double{a[1]} * (double{b[2]} * c[0] - double{b[0]} * c[2]) +
                double{a[2]} * (double{b[0]} * c[1] - double{b[1]} * c[0]);
  }
  return sixTimes / 6;
}

// How far `p` lies in front of the hull's faces (negative: inside); off
// the plane of a flat hull, seen from either side.
double Outside(const ConvexHull& hull, const CollisionVector& p) {
  const bool flat = hull.triangles.size() + 2 == hull.points.size();  // one side of an outline
  double worst = -HUGE_VAL;
  for (const auto& t : hull.triangles) {
    const auto &a = hull.points[t[0]], &b = hull.points[t[1]], &c = hull.points[t[2]];
    const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]}, v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    const double front = (n[0] * (p[0] - a[0]) + n[1] * (p[1] - a[1]) + n[2] * (p[2] - a[2])) / length;
    worst = std::max(worst, flat ? std::fabs(front) : front);
  }
  return worst;
}

// Concave meshes split so that their openings stay open: a point of the
// opening outside every hull, every vertex inside one, the hulls' volumes
// near the mesh's own, and the file clean.
TEST(ConvexDecomposition, OpeningsStayOpenAndEveryVertexStaysInside) {
  struct Case {
    const char* name;
    Mesh mesh;
    CollisionVector opening;
    double ownVolume;
    unsigned maxHulls;
    std::size_t leastHulls;
  };
  const double pi = std::acos(-1.0);
  const double ring = 2 * pi * pi * 5 * 0.5 * 0.5;
  const Case cases[] = {
      {"torus", Torus({0, 0, 0}), {0, 0, 0}, ring, 8, 4},
      {"torus off the origin", Torus({20, -7, 3}), {20, -7, 3}, ring, 16, 4},
      {"torus, near the ring", Torus({0, 0, 0}), {-2.5f, 2.5f, 0}, ring, 8, 4},
      {"closed hangar", Hangar(true), {0, 4, 4}, 20 * 8, 8, 3},
      {"open hangar", Hangar(false), {0, 4, 4}, 20 * 8, 8, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(ClearlyConcave(c.mesh.points, c.mesh.triangles));
    CollisionPartInput part{7, false, {{7, "mesh", c.mesh.points, c.mesh.triangles}}, {}, {}, "Station"};
    const CollisionBuild build = BuildCollision({part}, 300, c.maxHulls);
    ASSERT_EQ(build.parts.size(), 1u);
    const std::vector<ConvexHull>& hulls = build.parts[0].leaves;
    EXPECT_GE(hulls.size(), c.leastHulls);
    EXPECT_LE(hulls.size(), c.maxHulls);
    double volume = 0;
    for (const ConvexHull& hull : hulls) {
      volume += Volume(hull);
      EXPECT_GT(Outside(hull, c.opening), 0.1);
    }
    EXPECT_LE(volume, 2 * c.ownVolume);
    for (const CollisionVector& p : c.mesh.points) {
      double nearest = HUGE_VAL;
      for (const ConvexHull& hull : hulls) nearest = std::min(nearest, Outside(hull, p));
      EXPECT_LE(nearest, 1e-4) << p[0] << " " << p[1] << " " << p[2];
    }
    const auto decoded = DecodeCollisionFile(WriteSurFile(build.parts).bytes);
    ASSERT_TRUE(decoded.file) << decoded.error.rule << ": " << decoded.error.message;
    EXPECT_TRUE(CheckCollisionFile(*decoded.file, nullptr).empty());
  }
}

// One hull where the mesh is convex or nearly (a box, a box with a shallow
// dent), or where only one is allowed; and a torus as one hull has about
// four times its volume, what the split saves.
TEST(ConvexDecomposition, ConvexMeshesAndOneAllowedHullStayWhole) {
  Mesh box = Hangar(true);
  for (auto& p : box.points) {
    if (p[2] == 6 || p[2] == 1) p[2] = p[2] == 1 ? 5.5f : 6;  // the inner floor raised near the top: a dent
    if (p[0] == 4 || p[0] == -4) p[0] = p[0] > 0 ? 4.9f : -4.9f;
  }
  EXPECT_FALSE(ClearlyConcave(box.points, box.triangles));
  EXPECT_EQ(ConvexPieces(box.points, box.triangles, 8).size(), 1u);
  const Mesh torus = Torus({0, 0, 0});
  EXPECT_EQ(ConvexPieces(torus.points, torus.triangles, 1).size(), 1u);
  CollisionPartInput whole{7, false, {{7, "ring", torus.points, {}}}, {}, {}, "Station"};
  const CollisionBuild build = BuildCollision({whole}, 300, 8);
  ASSERT_EQ(build.parts[0].leaves.size(), 1u);
  EXPECT_GT(Volume(build.parts[0].leaves[0]), 3.5 * 2 * std::acos(-1.0) * std::acos(-1.0) * 5 * 0.25);
}

// The whole way ten times over a model with all that could differ between
// runs: a concave mesh split, a thinned piece, a Fix child turned and moved,
// a hardpoint hull and the wrap hull.
TEST(ConvexDecomposition, TenRunsGiveTheSameBytes) {
  const Mesh torus = Torus({3, -2, 1});
  const Mesh hangar = Hangar(true);
  std::vector<CollisionVector> ball;
  for (int i = 0; i < 2000; ++i) {
    const double u = 2.399963 * i, z = 1 - (2.0 * i + 1) / 2000, r = std::sqrt(1 - z * z);
    ball.push_back({static_cast<float>(r * std::cos(u) * 4), static_cast<float>(r * std::sin(u)), static_cast<float>(z * 2)});
  }
  std::vector<CollisionPartInput> parts(2);
  parts[0] = {1, true, {{1, "ring", torus.points, torus.triangles}, {9, "HpDock", ball, {}}}, {9}, {}, "Root"};
  parts[1] = {2, false, {{2, "hangar", hangar.points, hangar.triangles}, {2, "ball", ball, {}}}, {}, {}, "Hangar"};
  parts[0].fixedChildren = {{1, {0.36f, 0.48f, -0.8f, -0.8f, 0.6f, 0, 0.48f, 0.64f, 0.6f}, {12, -3, 7}}};
  const std::vector<std::uint8_t> first = WriteSurFile(BuildCollision(parts, 60, 8).parts).bytes;
  ASSERT_GT(first.size(), 1000u);
  for (int run = 1; run < 10; ++run) EXPECT_EQ(WriteSurFile(BuildCollision(parts, 60, 8).parts).bytes, first);
}

}  // namespace
}  // namespace svcmp
