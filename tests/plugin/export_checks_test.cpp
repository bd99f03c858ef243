#include "plugin/export_checks.h"

#include <gtest/gtest.h>

#include "plugin/mesh_normals.h"
#include "tests/plugin/test_meshes.h"

namespace svcmp {
namespace {

using Quantities = std::array<std::int32_t, kMaxGroupCount>;

TEST(ExportChecks, AcceptsAModelAtTheLimits) {
  // 65,535 vertices and 21,845 triangles (65,535 indices) in two meshes.
  MeshList meshList = {testing::MakeMesh("a", 65535 - 3, 21845 - 1), testing::MakeMesh("b", 3, 1),
                       testing::MakeMesh("Hp_extra", 10, 4)};
  EXPECT_EQ(CheckExportable(meshList, 1, {}), std::nullopt);
}

TEST(ExportChecks, RefusesModelsBeyondTheSixteenBitCounts) {
  MeshList vertices = {testing::MakeMesh("a", 65535), testing::MakeMesh("b", 1)};
  EXPECT_EQ(CheckExportable(vertices, 1, {}),
            "The model's meshes have 65,536 vertices in all; a .cmp file holds at most 65,535. "
            "Reduce the model or split it into several files and export again.");

  MeshList indices = {testing::MakeMesh("a", 100, 21846)};
  EXPECT_EQ(CheckExportable(indices, 1, {}),
            "The model's meshes have 21,846 triangles in all (65,538 vertex indices); a .cmp file "
            "holds at most 21,845 triangles (65,535 indices). Reduce the model or split it into "
            "several files and export again.");

  MeshList meshes(65536, testing::MakeMesh("m", 0));
  EXPECT_EQ(CheckExportable(meshes, 1, {}),
            "The model has 65,536 meshes that are not hardpoints; a .cmp file holds at most "
            "65,535. Merge some meshes and export again.");

  // Hardpoint meshes never enter the buffer, so they do not count.
  MeshList hardpoints = {testing::MakeMesh("a", 65535), testing::MakeMesh("HpBig", 70000)};
  EXPECT_EQ(CheckExportable(hardpoints, 1, {}), std::nullopt);
}

TEST(ExportChecks, RefusesATriangleOutsideItsMesh) {
  MeshList meshList = {testing::MakeMesh("hull", 4, 2), testing::MakeMesh("wing", 3, 3)};
  meshList[1].triangles[2].index[1] = 3;
  EXPECT_EQ(CheckExportable(meshList, 1, {}),
            "Triangle 2 (counted from 0) of mesh \"wing\" uses vertex 3, but the mesh has only 3 "
            "vertices. Repair the mesh and export again.");

  // A hardpoint's triangles are never used, so they are not checked.
  meshList[1].meshName = "HpWing";
  meshList[1].isHardpoint = true;
  EXPECT_EQ(CheckExportable(meshList, 1, {}), std::nullopt);
}

TEST(ExportChecks, RefusesNegativeGroupQuantities) {
  const MeshList meshList = {testing::MakeMesh("a", 1), testing::MakeMesh("b", 1)};
  EXPECT_EQ(CheckExportable(meshList, 3, {3, -1, 0}),
            "Mesh group 2 is set to -1 meshes; a group cannot hold fewer than 0. Correct the group "
            "quantities and export again.");
  // Entries beyond the group count and the single-group case are not looked at.
  EXPECT_EQ(CheckExportable(meshList, 2, {1, 1, -5}), std::nullopt);
  EXPECT_EQ(CheckExportable(meshList, 1, {-1}), std::nullopt);
}

TEST(ExportChecks, RefusesNormalsThatOverflow) {
  // Finite coordinates whose edge cross products exceed a float's range.
  for (const float far : {2e19f, 3e38f}) {
    MeshList meshList = {testing::MakeMesh("hull", 4, 2), testing::MakeMesh("far", 3, 1)};
    meshList[1].vertices[1].position[0] = far;
    meshList[1].vertices[2].position[1] = far;
    for (MeshRecord& mesh : meshList) ComputeMeshNormals(mesh);
    EXPECT_EQ(CheckExportable(meshList, 1, {}),
              "The normals of mesh \"far\" come out as no finite number: its coordinates are too "
              "large even after the scale-down. Scale the model down and export again.")
        << far;
  }
  // Large coordinates whose normals still come out are exported.
  MeshList large = {testing::MakeMesh("big", 3, 1)};
  large[0].vertices[1].position[0] = 1e18f;
  ComputeMeshNormals(large[0]);
  EXPECT_EQ(CheckExportable(large, 1, {}), std::nullopt);
}

}  // namespace
}  // namespace svcmp
