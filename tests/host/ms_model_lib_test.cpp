#include "host/ms_model_lib.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "host/host_model.h"

namespace svcmp {
namespace {

TEST(MsModelLib, OutOfRangeIndicesGiveNullHandlesAndZeroCounts) {
  HostModelPtr model = MakeHostModel();
  model->materials = {{"steel"}};
  model->meshes.push_back({"hull", 0, {{{1, 2, 3}, {4, 5}}}, {{{0, 1, 2}}}});

  EXPECT_EQ(msModel_GetMeshCount(model.get()), 1);
  EXPECT_EQ(msModel_GetMaterialCount(model.get()), 1);
  EXPECT_EQ(msModel_GetMeshAt(model.get(), 1), nullptr);
  EXPECT_EQ(msModel_GetMeshAt(model.get(), -1), nullptr);
  EXPECT_EQ(msModel_GetMaterialAt(model.get(), 1), nullptr);
  EXPECT_EQ(msModel_GetMaterialAt(model.get(), -1), nullptr);
  EXPECT_EQ(msModel_GetMeshCount(nullptr), 0);

  msMesh* mesh = msModel_GetMeshAt(model.get(), 0);
  ASSERT_NE(mesh, nullptr);
  EXPECT_EQ(msMesh_GetVertexAt(mesh, 1), nullptr);
  EXPECT_EQ(msMesh_GetTriangleAt(mesh, 1), nullptr);
  EXPECT_EQ(msMesh_GetVertexCount(nullptr), 0);
  EXPECT_EQ(msMesh_GetTriangleCount(nullptr), 0);

  float position[3] = {9, 9, 9};
  float texCoords[2] = {9, 9};
  msVertex_GetVertex(msMesh_GetVertexAt(mesh, 0), position);
  msVertex_GetTexCoords(msMesh_GetVertexAt(mesh, 0), texCoords);
  EXPECT_EQ(position[2], 3.0f);
  EXPECT_EQ(texCoords[1], 5.0f);
  unsigned short indices[3] = {};
  msTriangle_GetVertexIndices(msMesh_GetTriangleAt(mesh, 0), indices);
  EXPECT_EQ(indices[2], 2);
}

TEST(MsModelLib, NamesAreCutAtMaxLengthAndAlwaysTerminated) {
  msMesh mesh;
  mesh.name = std::string(250, 'x');
  char buffer[200];
  std::memset(buffer, '#', sizeof(buffer));
  msMesh_GetName(&mesh, buffer, 199);
  EXPECT_EQ(std::string(buffer), std::string(199, 'x'));

  char small[4];
  msMesh_GetName(&mesh, small, 3);
  EXPECT_STREQ(small, "xxx");
  msMesh_GetName(&mesh, small, 0);
  EXPECT_STREQ(small, "");

  msMaterial material{"abc"};
  msMaterial_GetName(&material, buffer, 199);
  EXPECT_STREQ(buffer, "abc");
  msMaterial_GetName(nullptr, buffer, 199);  // a mesh without a material
  EXPECT_STREQ(buffer, "");
}

TEST(MsModelLib, DestroyedModelIsNotReleasedAgain) {
  HostModelPtr destroyedByPlugIn = MakeHostModel();
  msModel_Destroy(destroyedByPlugIn.get());
  EXPECT_FALSE(ReleaseHostModel(destroyedByPlugIn.get()));
  // The owner's release after the plug-in's destroy must not free it twice
  // (the sanitizer build would report it).
  destroyedByPlugIn.reset();

  HostModelPtr keptByPlugIn = MakeHostModel();
  msModel* raw = keptByPlugIn.release();
  EXPECT_TRUE(ReleaseHostModel(raw));
  EXPECT_FALSE(ReleaseHostModel(nullptr));
  msModel_Destroy(nullptr);
}

}  // namespace
}  // namespace svcmp
