#include "simplify/mesh_simplifier.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "generated_meshes.h"
#include "plugin/export_checks.h"
#include "simplify/level_reuse.h"

namespace svcmp {
namespace {

using testing::MakeSphere;
using testing::MakeTexturedBox;

constexpr float kRadius = 10.0f;
constexpr int kRings = 224;
constexpr int kSegments = 448;
constexpr int kPieces = 4;

// About 200,000 triangles in four meshes (one mesh cannot address that many
// vertices), which meet along three rings.
MeshList DenseSphere() {
  MeshList meshList;
  for (int piece = 0; piece < kPieces; ++piece) {
    meshList.push_back(MakeSphere("piece" + std::to_string(piece), kRadius, kRings, kSegments,
                                  piece * kRings / kPieces, (piece + 1) * kRings / kPieces));
  }
  return meshList;
}

float Length(const float* v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

// The least distance from the centre to points spread over the triangle (its
// corners, edges and inside, a tenth of an edge apart).
float NearestToCentre(const MeshRecord& mesh, const MeshTriangle& triangle) {
  constexpr int kSteps = 10;
  const float* a = mesh.vertices[triangle.index[0]].position;
  const float* b = mesh.vertices[triangle.index[1]].position;
  const float* c = mesh.vertices[triangle.index[2]].position;
  float nearest = Length(a);
  for (int i = 0; i <= kSteps; ++i) {
    for (int j = 0; i + j <= kSteps; ++j) {
      const float u = static_cast<float>(i) / kSteps;
      const float v = static_cast<float>(j) / kSteps;
      float point[3];
      for (int axis = 0; axis < 3; ++axis) {
        point[axis] = a[axis] + u * (b[axis] - a[axis]) + v * (c[axis] - a[axis]);
      }
      nearest = std::min(nearest, Length(point));
    }
  }
  return nearest;
}

TEST(SimplifyGeometry, DenseSphereFitsAndKeepsItsSilhouette) {
  MeshList sphere = DenseSphere();
  ASSERT_GT(GeometryTriangleCount(sphere), 199000u);
  ASSERT_TRUE(CheckMeshBufferLimits(sphere).has_value());

  const SimplifyReport report = SimplifyGeometry(sphere, kFitTriangleTarget);

  EXPECT_EQ(report.trianglesAfter, GeometryTriangleCount(sphere));
  EXPECT_LE(report.trianglesAfter, kFitTriangleTarget);
  EXPECT_GT(report.trianglesAfter, kFitTriangleTarget * 9 / 10);
  EXPECT_FALSE(CheckMeshBufferLimits(sphere).has_value());
  EXPECT_LT(report.relativeError, 0.01f);
  for (const MeshRecord& mesh : sphere) {
    EXPECT_LT(mesh.triangles.size(), 10000u) << mesh.meshName;
    EXPECT_EQ(mesh.faceNormals.size(), mesh.triangles.size());
    for (const MeshVertex& vertex : mesh.vertices) {
      EXPECT_NEAR(Length(vertex.position), kRadius, kRadius * 0.01f);
    }
    for (const MeshTriangle& triangle : mesh.triangles) {
      const float nearest = NearestToCentre(mesh, triangle);
      if (nearest < 0.99f * kRadius) {
        ADD_FAILURE() << mesh.meshName << " has a point " << nearest << " from the centre";
        break;
      }
    }
  }
}

TEST(SimplifyGeometry, TexturedBoxKeepsTheTextureAtItsCorners) {
  MeshList box{MakeTexturedBox("crate", 2.0f, 20)};
  const MeshRecord before = box[0];

  const SimplifyReport report = SimplifyGeometry(box, before.triangles.size() / 10);
  ASSERT_LT(report.trianglesAfter, report.trianglesBefore / 5);

  // Every corner of every face is still there with its own texture corner,
  // and every vertex kept has the texture coordinates it had.
  std::size_t corners = 0;
  for (const MeshVertex& vertex : box[0].vertices) {
    const auto original =
        std::find_if(before.vertices.begin(), before.vertices.end(), [&](const MeshVertex& v) {
          return std::equal(v.position, v.position + 3, vertex.position) &&
                 std::equal(v.texture, v.texture + 2, vertex.texture);
        });
    EXPECT_NE(original, before.vertices.end());
    const bool corner = std::all_of(vertex.position, vertex.position + 3,
                                    [](float p) { return std::abs(p) == 1.0f; });
    const bool textureCorner = (vertex.texture[0] == 0 || vertex.texture[0] == 1) &&
                               (vertex.texture[1] == 0 || vertex.texture[1] == 1);
    EXPECT_EQ(corner, corner && textureCorner);
    corners += corner ? 1 : 0;
  }
  EXPECT_EQ(corners, 24u);  // 8 corners, on 3 faces each
  EXPECT_EQ(box[0].bounds.maxX, 1.0f);
  EXPECT_EQ(box[0].bounds.minZ, -1.0f);
}

TEST(SimplifyGeometry, LeavesWhatItMustNotTouch) {
  MeshList meshList{MakeSphere("hull", 5, 40, 80), MakeSphere("Hp_Fixed_HpGun01", 1, 10, 20),
                    MakeSphere("broken", 3, 10, 20)};
  meshList[2].triangles.back().index[1] = 60000;  // names a vertex it lacks
  const MeshList before = meshList;

  // A target above the count changes nothing at all.
  SimplifyReport report = SimplifyGeometry(meshList, GeometryTriangleCount(meshList));
  EXPECT_EQ(report.trianglesAfter, report.trianglesBefore);
  EXPECT_EQ(meshList[0].vertices.size(), before[0].vertices.size());

  report = SimplifyGeometry(meshList, 1000);
  EXPECT_LT(meshList[0].triangles.size(), before[0].triangles.size());
  for (const std::size_t untouched : {1u, 2u}) {
    EXPECT_EQ(meshList[untouched].triangles.size(), before[untouched].triangles.size());
    EXPECT_EQ(meshList[untouched].vertices.size(), before[untouched].vertices.size());
  }
  // The untouched mesh's triangles count against the target.
  EXPECT_LE(report.trianglesAfter, 1000u);
}

TEST(TakeUnreducedFromPrevious, KeepsThePreviousLevelWhereNothingWasGained) {
  MeshList previous{MakeSphere("hull", 5, 20, 40), MakeTexturedBox("tiny", 1, 1),
                    MakeSphere("Hp_Fixed_HpGun01", 1, 4, 8)};
  MeshList level = previous;
  level[0].triangles.resize(10);
  level[1].meshName = "simplified but no smaller";
  level[2].triangles.clear();

  const std::vector<std::size_t> taken = TakeUnreducedFromPrevious(level, previous);

  EXPECT_EQ(taken, std::vector<std::size_t>{1});
  EXPECT_EQ(level[1].meshName, "tiny");
  EXPECT_EQ(level[0].triangles.size(), 10u);
  EXPECT_TRUE(level[2].triangles.empty());  // hardpoints are not levels' business
}

}  // namespace
}  // namespace svcmp
