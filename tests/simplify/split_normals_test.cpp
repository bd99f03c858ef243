#include "simplify/split_normals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>
#include <map>
#include <numbers>
#include <set>
#include <string>
#include <tuple>
#include <utility>

#include "generated_meshes.h"
#include "plugin/export_checks.h"
#include "simplify/mesh_simplifier.h"
#include "simplify/surface_check.h"

namespace svcmp {
namespace {

using testing::Flattened;
using testing::MakeCylinder;
using testing::MakeSphere;
using testing::MakeTexturedBox;

WholeMesh WholeOf(const MeshRecord& mesh) {
  WholeMesh whole{mesh.vertices, {}};
  for (const MeshTriangle& triangle : mesh.triangles)
    whole.corners.insert(whole.corners.end(), triangle.index, triangle.index + 3);
  return whole;
}

// The mesh (convex about the origin) with every face turned outwards.
MeshRecord Outward(MeshRecord mesh) {
  for (MeshTriangle& triangle : mesh.triangles) {
    const float* a = mesh.vertices[triangle.index[0]].position;
    const float* b = mesh.vertices[triangle.index[1]].position;
    const float* c = mesh.vertices[triangle.index[2]].position;
    const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const double v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                         u[0] * v[1] - u[1] * v[0]};
    if (n[0] * a[0] + n[1] * a[1] + n[2] * a[2] < 0)
      std::swap(triangle.index[1], triangle.index[2]);
  }
  return testing::Finished(std::move(mesh));
}

double Degrees(double cosine) { return std::acos(cosine) * 180 / std::numbers::pi; }

// Two triangles that meet at one corner only, each with a vertex of its own there.
MeshRecord TouchingTriangles() {
  MeshRecord mesh;
  for (const auto& [x, y] : {std::pair{0, 0}, {1, 0}, {0, 1}, {0, 0}, {-1, 0}, {0, -1}}) {
    MeshVertex& v = mesh.vertices.emplace_back();
    v.position[0] = static_cast<float>(x);
    v.position[1] = static_cast<float>(y);
  }
  mesh.triangles = {{{0, 1, 2}}, {{3, 4, 5}}};
  return testing::Finished(mesh);
}

TEST(FindNormalSplits, LearnsTheCreaseAngleFromTheMesh) {
  struct Case {
    std::string name;
    MeshRecord mesh;
    bool any;
    double fromDegrees, toDegrees;  // the crease angle learnt
  };
  const Case cases[] = {
      {"smooth sphere", MakeSphere("s", 10, 12, 24), false, 0, 0},
      // Its faces' texture coordinates agree only at some corners: split
      // there, with no split edge.
      {"textured box", MakeTexturedBox("b", 2, 2), true, kDefaultCreaseDegrees - 0.01,
       kDefaultCreaseDegrees + 0.01},
      {"flat box, coplanar faces apart", Flattened(MakeTexturedBox("b", 2, 2)), true, 0, 0.01},
      // The two triangles of each quad lie in one plane.
      {"flat sphere", Flattened(MakeSphere("s", 10, 12, 24)), true, 0, 0.01},
      {"cylinder split at its rims", MakeCylinder("c", 5, 10, 3, 16), true, 89.99, 90.01},
      {"split corner, no split edge", TouchingTriangles(), true, kDefaultCreaseDegrees - 0.01,
       kDefaultCreaseDegrees + 0.01},
  };
  for (const Case& c : cases) {
    const NormalSplits splits = FindNormalSplits(WholeOf(c.mesh));
    EXPECT_EQ(splits.any, c.any) << c.name;
    if (!c.any) continue;
    const double degrees = Degrees(std::min(1.0, splits.creaseCosine));
    EXPECT_GE(degrees, c.fromDegrees) << c.name;
    EXPECT_LE(degrees, c.toDegrees) << c.name;
  }
}

float Length(const float* v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

double AngleDegrees(const float* a, const float* b) {
  const double cosine = (a[0] * b[0] + a[1] * b[1] + a[2] * b[2]) / (Length(a) * Length(b));
  return Degrees(std::clamp(cosine, -1.0, 1.0));
}

// The largest angle between a corner's normal and its face's normal.
double LargestCornerTurn(const MeshRecord& mesh) {
  double largest = 0;
  for (std::size_t t = 0; t < mesh.triangles.size(); ++t) {
    const float face[3] = {mesh.faceNormals[t].x, mesh.faceNormals[t].y, mesh.faceNormals[t].z};
    if (Length(face) == 0) continue;
    for (const std::uint16_t index : mesh.triangles[t].index)
      largest = std::max(largest, AngleDegrees(mesh.vertices[index].normal, face));
  }
  return largest;
}

bool OnBoxSurface(const MeshRecord& mesh, float half) {
  for (const MeshVertex& v : mesh.vertices) {
    const float most =
        std::max({std::fabs(v.position[0]), std::fabs(v.position[1]), std::fabs(v.position[2])});
    if (most != half) return false;
  }
  return true;
}

// The box's eight corners are all still there.
bool KeepsCorners(const MeshRecord& mesh, float half) {
  std::set<std::tuple<float, float, float>> corners;
  for (const MeshVertex& v : mesh.vertices) {
    if (std::fabs(v.position[0]) == half && std::fabs(v.position[1]) == half &&
        std::fabs(v.position[2]) == half)
      corners.insert({v.position[0], v.position[1], v.position[2]});
  }
  return corners.size() == 8;
}

// The most normals that the cylinder's side faces give one place: 1 where
// the side is smooth. Places on its texture seam (at +X) are split there as
// capture splits them, and left out.
std::size_t MostSideNormalsAtOnePlace(const MeshRecord& mesh) {
  using Triple = std::tuple<float, float, float>;
  std::map<Triple, std::set<Triple>> normals;
  for (std::size_t t = 0; t < mesh.triangles.size(); ++t) {
    if (std::fabs(mesh.faceNormals[t].y) > 0.5f) continue;  // a cap
    for (const std::uint16_t index : mesh.triangles[t].index) {
      const MeshVertex& v = mesh.vertices[index];
      if (std::fabs(v.position[2]) < 1e-3f && v.position[0] > 0) continue;
      normals[{v.position[0], v.position[1], v.position[2]}].insert(
          {v.normal[0], v.normal[1], v.normal[2]});
    }
  }
  std::size_t most = 0;
  for (const auto& [place, at] : normals) most = std::max(most, at.size());
  return most;
}

TEST(SimplifyGeometry, SplitNormalsHalveAndComeBackAsTheyWere) {
  struct Case {
    std::string name;
    MeshRecord mesh;
    double share;
    std::size_t atMost;  // triangles after
    std::size_t atLeast;
    // What must hold of the result, beyond a surface without holes.
    std::function<void(const MeshRecord&)> check;
  };
  const auto flat = [](const MeshRecord& mesh) {
    EXPECT_LT(LargestCornerTurn(mesh), 1e-3) << "every corner keeps its face's normal";
  };
  const Case cases[] = {
      {"flat sphere", Flattened(MakeSphere("sphere", 10, 32, 64)), 0.5, 1984, 1800, flat},
      {"flat cube", Flattened(Outward(MakeTexturedBox("cube", 2, 4))), 0.5, 96, 12,
       [&](const MeshRecord& mesh) {
         flat(mesh);
         EXPECT_TRUE(OnBoxSurface(mesh, 1)) << "a cube stays a cube";
         EXPECT_TRUE(KeepsCorners(mesh, 1));
         for (const MeshVertex& v : mesh.vertices)
           EXPECT_EQ(std::fabs(v.normal[0]) + std::fabs(v.normal[1]) + std::fabs(v.normal[2]), 1)
               << "hard edges";
       }},
      {"cylinder, smooth side and flat caps", MakeCylinder("can", 5, 10, 8, 32), 0.5, 320, 200,
       [](const MeshRecord& mesh) {
         EXPECT_EQ(MostSideNormalsAtOnePlace(mesh), 1u) << "the side stays smooth";
         const NormalSplits splits = FindNormalSplits(WholeOf(mesh));
         for (std::size_t w = 0; w < splits.first.size(); ++w) {
           if (!splits.split[w]) continue;
           EXPECT_EQ(std::fabs(mesh.vertices[splits.first[w]].position[1]), 5)
               << "split only at the rims";
         }
         for (std::size_t t = 0; t < mesh.triangles.size(); ++t) {
           if (std::fabs(mesh.faceNormals[t].y) < 0.5f) continue;
           for (const std::uint16_t index : mesh.triangles[t].index)
             EXPECT_EQ(std::fabs(mesh.vertices[index].normal[1]), 1) << "the caps stay flat";
         }
       }},
      {"smooth sphere", MakeSphere("sphere", 10, 32, 64), 0.5, 1984, 1800,
       [](const MeshRecord& mesh) {
         // Smooth: a corner turns from its face by about half a face's width.
         EXPECT_GT(LargestCornerTurn(mesh), 2.0);
         EXPECT_FALSE(FindNormalSplits(WholeOf(mesh)).any) << "nothing split";
       }},
  };
  for (const Case& c : cases) {
    MeshList meshList = {c.mesh};
    const std::size_t before = GeometryTriangleCount(meshList);
    const auto target = static_cast<std::size_t>(c.share * static_cast<double>(before));
    const SimplifyReport report = SimplifyGeometry(meshList, target);
    ASSERT_EQ(meshList.size(), 1u) << c.name;
    EXPECT_EQ(report.trianglesAfter, meshList[0].triangles.size()) << c.name;
    EXPECT_LE(report.trianglesAfter, c.atMost) << c.name;
    EXPECT_GE(report.trianglesAfter, c.atLeast) << c.name;
    EXPECT_TRUE(FindSurfaceDefects(meshList, {c.mesh}).None()) << c.name << ": holes";
    SCOPED_TRACE(c.name);
    c.check(meshList[0]);
  }
}

}  // namespace
}  // namespace svcmp
