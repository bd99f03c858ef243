#include "plugin/model_capture.h"

#include <gtest/gtest.h>

#include <string>

#include "host/host_model.h"
#include "tests/plugin/test_meshes.h"

namespace svcmp {
namespace {

msVertex HostVertex(float x, float y, float z, float u = 0, float v = 0) { return {{x, y, z}, {u, v}}; }

msMesh& AddMesh(msModel& model, std::string name, std::vector<msVertex> vertices = {},
                std::vector<msTriangle> triangles = {}, int material = -1) {
  model.meshes.push_back({std::move(name), material, std::move(vertices), std::move(triangles)});
  return model.meshes.back();
}

TEST(ModelCapture, ScalesAndTurnsPositions) {
  HostModelPtr model = MakeHostModel();
  AddMesh(*model, "hull", {HostVertex(92, 46, -23, 0.125f, 0.75f)});

  const MeshList upsideDown = CaptureModel(model.get(), 92, OrientationSignOf(kOrientationUpsideDown));
  const MeshVertex& turned = upsideDown[0].vertices[0];
  EXPECT_EQ(turned.position[0], 1.0f);
  EXPECT_EQ(turned.position[1], -0.5f);
  EXPECT_EQ(turned.position[2], 0.25f);
  EXPECT_EQ(turned.texture[0], 0.125f);
  EXPECT_EQ(turned.texture[1], 0.75f);

  const MeshList backToFront = CaptureModel(model.get(), 92, OrientationSignOf(kOrientationBackToFront));
  const MeshVertex& scaled = backToFront[0].vertices[0];
  EXPECT_EQ(scaled.position[0], 1.0f);
  EXPECT_EQ(scaled.position[1], 0.5f);
  EXPECT_EQ(scaled.position[2], -0.25f);

  EXPECT_EQ(OrientationSignOf(7), -1);
}

TEST(ModelCapture, ClassifiesHardpointsByTheirFirstTwoLetters) {
  for (const char* name : {"HP_gun", "hpEngine", "Hp01", "hP", "hp"}) EXPECT_TRUE(IsHardpointName(name)) << name;
  for (const char* name : {"h", "Xhp", "ship", "", "H p"}) EXPECT_FALSE(IsHardpointName(name)) << name;

  HostModelPtr model = MakeHostModel();
  for (const char* name : {"HP_gun", "ship", "hpEngine", "h", "Hp01", "Xhp"}) AddMesh(*model, name);
  const MeshList meshList = CaptureModel(model.get(), 92, -1);
  ASSERT_EQ(meshList.size(), 6u);
  EXPECT_TRUE(meshList[0].isHardpoint);
  EXPECT_FALSE(meshList[1].isHardpoint);
  EXPECT_EQ(GeometryMeshCount(meshList), 3u);
}

TEST(ModelCapture, BoundsStartAtTheFirstVertex) {
  HostModelPtr model = MakeHostModel();
  AddMesh(*model, "m", {HostVertex(5, -6, 7), HostVertex(3, -2, 9), HostVertex(4, -8, 8)});
  const Bounds bounds = CaptureModel(model.get(), 1, 1)[0].bounds;
  EXPECT_EQ(bounds.maxX, 5);
  EXPECT_EQ(bounds.minX, 3);
  EXPECT_EQ(bounds.maxY, -2);
  EXPECT_EQ(bounds.minY, -8);
  EXPECT_EQ(bounds.maxZ, 9);
  EXPECT_EQ(bounds.minZ, 7);
}

TEST(ModelCapture, EmptyMeshGetsAnEmptyRecord) {
  HostModelPtr model = MakeHostModel();
  AddMesh(*model, "empty");
  const MeshList meshList = CaptureModel(model.get(), 92, -1);
  ASSERT_EQ(meshList.size(), 1u);
  EXPECT_TRUE(meshList[0].vertices.empty());
  EXPECT_TRUE(meshList[0].triangles.empty());
  EXPECT_TRUE(meshList[0].faceNormals.empty());
  EXPECT_EQ(meshList[0].bounds.maxX, 0);
  EXPECT_EQ(meshList[0].bounds.minZ, 0);
  EXPECT_EQ(GeometryMeshCount(meshList), 1u);
}

TEST(ModelCapture, ReadsNamesMaterialsAndTriangles) {
  HostModelPtr model = MakeHostModel();
  model->materials = {{"steel"}, {"glass"}};
  const std::string longName(250, 'n');
  AddMesh(*model, "a", {HostVertex(0, 0, 0), HostVertex(1, 0, 0), HostVertex(0, 1, 0)}, {{{2, 1, 0}}}, 1);
  AddMesh(*model, longName, {}, {}, 2);  // no such material
  AddMesh(*model, "c", {}, {}, -1);
  const MeshList meshList = CaptureModel(model.get(), 1, 1);
  EXPECT_EQ(meshList[0].materialName, "glass");
  EXPECT_EQ(meshList[0].triangles[0].index[0], 2);
  EXPECT_EQ(meshList[0].triangles[0].index[2], 0);
  ASSERT_EQ(meshList[0].faceNormals.size(), 1u);
  EXPECT_EQ(meshList[0].faceNormals[0].z, -1.0f);
  EXPECT_EQ(meshList[1].meshName, std::string(199, 'n'));
  EXPECT_EQ(meshList[1].materialName, "");
  EXPECT_EQ(meshList[2].materialName, "");
}

TEST(ModelCapture, GroupQuantitiesMustCoverTheGeometryMeshes) {
  MeshList meshList;
  for (const char* name : {"a", "HpMount01", "b", "c"}) meshList.push_back(testing::MakeMesh(name, 1));
  std::array<std::int32_t, kMaxGroupCount> quantities{};
  quantities[0] = 2;
  quantities[1] = 1;
  EXPECT_TRUE(GroupQuantitiesMatch(meshList, 2, quantities));
  EXPECT_FALSE(GroupQuantitiesMatch(meshList, 3, {2, 1, 1}));
  EXPECT_FALSE(GroupQuantitiesMatch(meshList, 2, {2, 2}));
  EXPECT_TRUE(GroupQuantitiesMatch(meshList, 2, {5, -2}));  // refused later, by the checks
  EXPECT_TRUE(GroupQuantitiesMatch(meshList, 1, {}));       // one group: nothing to match
  // Quantities near the int limits must not overflow into a match.
  EXPECT_FALSE(GroupQuantitiesMatch(meshList, 2, {2147483647, 2147483647}));
}

}  // namespace
}  // namespace svcmp
