#include <gtest/gtest.h>

#include <cmath>

#include "generated_meshes.h"
#include "host/host_model.h"
#include "plugin/export_checks.h"
#include "plugin/model_capture.h"
#include "simplify/mesh_pieces.h"
#include "simplify/mesh_simplifier.h"

namespace svcmp {
namespace {

constexpr float kRadius = 10.0f;

msMesh HostSphere(int rings, int segments) {
  return testing::MakeHostSphere(kRadius, rings, segments);
}

float Length(const float* v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

TEST(SplitIntoPieces, EveryPieceIsAddressableAndNamesTheSameCorners) {
  const msMesh sphere = HostSphere(224, 448);
  std::vector<std::uint32_t> corners;
  for (const msTriangle& t : sphere.triangles)
    corners.insert(corners.end(), t.indices, t.indices + 3);

  const std::vector<MeshPiece> pieces = SplitIntoPieces(corners, sphere.vertices.size());

  ASSERT_EQ(pieces.size(), 2u);
  std::vector<std::uint32_t> joined;
  for (const MeshPiece& piece : pieces) {
    EXPECT_LE(piece.origins.size(), kMaxMeshBufferCount);
    EXPECT_TRUE(std::is_sorted(piece.origins.begin(), piece.origins.end()));
    for (const std::uint16_t corner : piece.corners) joined.push_back(piece.origins.at(corner));
  }
  EXPECT_EQ(joined, corners);
}

TEST(SimplifyGeometry, OneMeshSphereBeyondSixteenBitsFitsInOneMeshAndKeepsItsSurface) {
  HostModelPtr model = MakeHostModel();
  model->meshes.push_back(HostSphere(224, 448));
  model->meshes.push_back(HostSphere(4, 8));
  model->meshes.back().name = "Hp_Fixed_Gun01";
  model->nodes.push_back({"hull", -1});
  model->nodes.back().meshes = {0};
  model->nodes.push_back({"gun", 0});
  model->nodes.back().meshes = {1};

  const std::vector<SplitMesh> splits = SplitLargeMeshes(*model);
  ASSERT_EQ(splits.size(), 1u);
  ASSERT_EQ(model->meshes.size(), 3u);
  // The tree follows the meshes to their new places.
  EXPECT_EQ(model->nodes[0].meshes, (std::vector<int>{0, 1}));
  EXPECT_EQ(model->nodes[1].meshes, (std::vector<int>{2}));
  MeshList meshList = CaptureModel(model.get(), 1, 1);
  const MeshRecord hardpoint = meshList.back();

  const SimplifyReport report = SimplifyGeometry(meshList, kFitTriangleTarget, splits, true);

  EXPECT_EQ(report.trianglesBefore, 200704u);
  EXPECT_LE(report.trianglesAfter, kFitTriangleTarget);
  EXPECT_EQ(report.relaxed, Relaxation::None);
  ASSERT_EQ(meshList.size(), 2u);
  EXPECT_EQ(meshList[0].meshName, "sphere");
  EXPECT_FALSE(CheckMeshBufferLimits(meshList).has_value());
  for (const MeshVertex& vertex : meshList[0].vertices) {
    ASSERT_NEAR(Length(vertex.position), kRadius, kRadius * 0.01f);
  }
  // The surface between the corners too: each triangle's centre.
  for (const MeshTriangle& triangle : meshList[0].triangles) {
    float centre[3] = {};
    for (const std::uint16_t index : triangle.index) {
      for (int axis = 0; axis < 3; ++axis)
        centre[axis] += meshList[0].vertices[index].position[axis] / 3;
    }
    ASSERT_GT(Length(centre), kRadius * 0.99f);
  }
  EXPECT_EQ(meshList[1].vertices.size(), hardpoint.vertices.size());
  EXPECT_EQ(meshList[1].triangles.size(), hardpoint.triangles.size());
}

// Hardpoints are never simplified: a large one is named for the refusal and
// never split.
TEST(SplitLargeMeshes, LeavesHardpointsWholeAndNamesALargeOne) {
  HostModelPtr model = MakeHostModel();
  model->meshes.push_back(HostSphere(4, 8));
  model->meshes.push_back(HostSphere(224, 448));
  model->meshes.back().name = "Hp_Fixed_Big";
  EXPECT_EQ(LargeHardpointMesh(*model), "Hp_Fixed_Big");
  EXPECT_TRUE(SplitLargeMeshes(*model).empty());
  EXPECT_EQ(model->meshes.size(), 2u);
  model->meshes.pop_back();
  EXPECT_EQ(LargeHardpointMesh(*model), std::nullopt);
}

// Many small boxes whose faces have texture seams of their own: every
// corner joins three seams, which the simplifier keeps, so together they
// stop it above the limit.
TEST(SimplifyGeometry, ManyMeshesLetTheirSeamsGoToFit) {
  constexpr int kBoxes = 2000;
  MeshList meshList;
  for (int box = 0; box < kBoxes; ++box) {
    MeshRecord& mesh =
        meshList.emplace_back(testing::MakeTexturedBox("box" + std::to_string(box), 1, 2));
    for (MeshVertex& vertex : mesh.vertices) {
      vertex.position[0] += static_cast<float>(box % 50) * 2;
      vertex.position[2] += static_cast<float>(box / 50) * 2;
    }
  }
  ASSERT_EQ(GeometryTriangleCount(meshList), 96000u);

  const SimplifyReport report = SimplifyGeometry(meshList, kFitTriangleTarget, {}, true);

  EXPECT_NE(report.relaxed, Relaxation::None);
  EXPECT_LE(report.trianglesAfter, kMaxMeshBufferCount / 3);
  EXPECT_FALSE(CheckMeshBufferLimits(meshList).has_value());
  EXPECT_EQ(meshList.size(), static_cast<std::size_t>(kBoxes));
}

}  // namespace
}  // namespace svcmp
