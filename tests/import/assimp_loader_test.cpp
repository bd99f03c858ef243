#include "import/assimp_loader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "assimp_test_files.h"

namespace svcmp {
namespace {

using testing::GltfNode;
using testing::GltfPrimitive;
using testing::MakeGltf;
using testing::Triangle;

class AssimpLoader : public testing::ModelFileTest {
 protected:
  // Loads a file that must load.
  HostModelPtr Load(const std::string& path) {
    ModelLoadResult result =
        LoadAssimpModel(path, DetectModelFormat(path).format.value_or(ModelFormat::Obj));
    EXPECT_EQ(result.error, "");
    EXPECT_NE(result.model, nullptr);
    return std::move(result.model);
  }

  // Loads a file that must be refused; returns the message.
  std::string Refuse(const std::string& path) {
    ModelLoadResult result =
        LoadAssimpModel(path, DetectModelFormat(path).format.value_or(ModelFormat::Obj));
    EXPECT_EQ(result.model, nullptr);
    EXPECT_NE(result.error.find("\"" + path + "\": "), std::string::npos) << result.error;
    return result.error;
  }
};

std::vector<std::string> Names(const msModel& model) {
  std::vector<std::string> names;
  for (const msMesh& mesh : model.meshes) names.push_back(mesh.name);
  return names;
}

std::vector<float> Positions(const msMesh& mesh) {
  std::vector<float> values;
  for (const msVertex& v : mesh.vertices) values.insert(values.end(), v.position, v.position + 3);
  return values;
}

TEST_F(AssimpLoader, ObjObjectsInFileOrderWithMaterialsAndNumberedSplits) {
  Write("ship.mtl", "newmtl metal\nKd 1 1 1\nnewmtl glass\nKd 0 0 1\n");
  const std::string path = Write("ship.obj",
                                 "mtllib ship.mtl\n"
                                 "v 0 0 0\nv 1 0 0\nv 0 1 0\n"
                                 "o hull\nusemtl metal\nf 1 2 3\n"
                                 "o canopy\nusemtl glass\nf 1 3 2\nusemtl metal\nf 1 2 3\n"
                                 "o Hp_Fixed_HpMount01\nusemtl glass\nf 1 2 3\n");
  HostModelPtr model = Load(path);
  ASSERT_NE(model, nullptr);
  // A node that assimp splits by material gives NAME_1, NAME_2 in order.
  EXPECT_EQ(Names(*model),
            (std::vector<std::string>{"hull", "canopy_1", "canopy_2", "Hp_Fixed_HpMount01"}));
  ASSERT_EQ(model->materials.size(), 2u);
  EXPECT_EQ(model->materials[0].name, "metal");
  EXPECT_EQ(model->materials[1].name, "glass");
  EXPECT_EQ(model->meshes[0].materialIndex, 0);
  EXPECT_EQ(model->meshes[1].materialIndex, 1);
  EXPECT_EQ(model->meshes[2].materialIndex, 0);
}

TEST_F(AssimpLoader, ObjWithoutMaterialsHasNoneAndQuadsBecomeTwoTriangles) {
  // The line is dropped; the quad without texture coordinates is triangulated
  // and its shared corners are joined.
  const std::string path = Write("quad.obj",
                                 "o panel\nv 0 0 0\nv 2 0 0\nv 2 2 0\nv 0 2 0\n"
                                 "l 1 3\nf 1 2 3 4\n");
  HostModelPtr model = Load(path);
  ASSERT_NE(model, nullptr);
  EXPECT_TRUE(model->materials.empty());
  ASSERT_EQ(model->meshes.size(), 1u);
  const msMesh& mesh = model->meshes[0];
  EXPECT_EQ(mesh.materialIndex, -1);
  EXPECT_EQ(mesh.triangles.size(), 2u);
  ASSERT_EQ(mesh.vertices.size(), 4u);
  for (const msVertex& v : mesh.vertices) {
    EXPECT_EQ(v.texCoords[0], 0.0f);
    EXPECT_EQ(v.texCoords[1], 0.0f);
  }
  for (const msTriangle& t : mesh.triangles) {
    EXPECT_NE(t.indices[0], t.indices[1]);
    EXPECT_NE(t.indices[1], t.indices[2]);
    EXPECT_NE(t.indices[0], t.indices[2]);
  }
}

TEST_F(AssimpLoader, JoinsCornersWithEqualPositionAndUvWhateverTheirNormals) {
  // Two triangles share the edge 2-3 with equal texture coordinates but
  // different file normals: the corners are joined, so the exporter's normals
  // come out smooth. Corner 1 of the second triangle repeats vertex 1's
  // position with another texture coordinate: a seam, kept apart.
  const std::string path = Write("fold.obj",
                                 "o fold\n"
                                 "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 1\n"
                                 "vt 0 0\nvt 1 0\nvt 0 1\nvt 1 1\nvt 0.5 0.5\n"
                                 "vn 0 0 1\nvn 0 1 0\n"
                                 "f 1/1/1 2/2/1 3/3/1\n"
                                 "f 2/2/2 4/4/2 3/3/2\n"
                                 "f 1/5/2 3/3/2 4/4/2\n");
  HostModelPtr model = Load(path);
  ASSERT_NE(model, nullptr);
  ASSERT_EQ(model->meshes.size(), 1u);
  const msMesh& mesh = model->meshes[0];
  EXPECT_EQ(Positions(mesh), (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 1, 0, 0, 0}));
  ASSERT_EQ(mesh.triangles.size(), 3u);
  const std::vector<std::vector<int>> expected = {{0, 1, 2}, {1, 3, 2}, {4, 2, 3}};
  for (std::size_t t = 0; t < 3; ++t) {
    for (int c = 0; c < 3; ++c)
      EXPECT_EQ(mesh.triangles[t].indices[c], expected[t][c]) << t << "," << c;
  }
  // OBJ keeps V upwards; the host keeps it downwards.
  EXPECT_EQ(mesh.vertices[4].texCoords[0], 0.5f);
  EXPECT_EQ(mesh.vertices[4].texCoords[1], 0.5f);
  EXPECT_EQ(mesh.vertices[1].texCoords[0], 1.0f);
  EXPECT_EQ(mesh.vertices[1].texCoords[1], 1.0f);
  EXPECT_EQ(mesh.vertices[3].texCoords[1], 0.0f);
}

TEST_F(AssimpLoader, HardpointMeshesKeepEveryVertexAndTheirExactName) {
  // A hardpoint's position is the mean of its first three vertices, so a
  // hardpoint drawn as three coinciding corners must keep all three.
  const std::string path = Write("hp.obj",
                                 "v 5 6 7\nv 0 0 0\nv 1 0 0\nv 0 1 0\n"
                                 "o body\nf 2 3 4\n"
                                 "o Hp_Revolute_HpTurret01\nf 1 1 1\n"
                                 "o hpEngine_x\nf 1 1 1\n");
  HostModelPtr model = Load(path);
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(Names(*model),
            (std::vector<std::string>{"body", "Hp_Revolute_HpTurret01", "hpEngine_x"}));
  EXPECT_EQ(model->meshes[1].vertices.size(), 3u);
  EXPECT_EQ(Positions(model->meshes[1]), (std::vector<float>{5, 6, 7, 5, 6, 7, 5, 6, 7}));
  EXPECT_EQ(model->meshes[2].vertices.size(), 3u);
}

TEST_F(AssimpLoader, GltfNodesDepthFirstInWorldSpaceWithNamesForUnnamedNodes) {
  const std::vector<std::vector<GltfPrimitive>> meshes = {
      {Triangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0})},
      {Triangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0}), Triangle({0, 0, 1}, {1, 0, 1}, {0, 1, 1})},
  };
  // Roots: "body" (translated, child "gun" scaled under it), then an unnamed
  // node with a single primitive, then "wings" with two primitives.
  std::vector<GltfNode> nodes(4);
  nodes[0] = {"body", 0, {10, 20, 30}, {1, 1, 1}, {1}};
  nodes[1] = {"gun", 0, {1, 0, 0}, {2, 3, 4}, {}};
  nodes[2] = {"", 0, {0, 0, 0}, {1, 1, 1}, {}};
  nodes[3] = {"wings", 1, {0, -5, 0}, {1, 1, 1}, {}};
  const std::string path = Write("ship.gltf", MakeGltf(meshes, nodes, {0, 2, 3}));

  HostModelPtr model = Load(path);
  ASSERT_NE(model, nullptr);
  // Unnamed meshes are numbered by their place in the model, from 1.
  EXPECT_EQ(Names(*model),
            (std::vector<std::string>{"body", "gun", "mesh_3", "wings_1", "wings_2"}));
  EXPECT_EQ(Positions(model->meshes[0]), (std::vector<float>{10, 20, 30, 11, 20, 30, 10, 21, 30}));
  // gun: scaled by (2, 3, 4), moved by (1, 0, 0), then by body's (10, 20, 30).
  EXPECT_EQ(Positions(model->meshes[1]), (std::vector<float>{11, 20, 30, 13, 20, 30, 11, 23, 30}));
  EXPECT_EQ(Positions(model->meshes[4]), (std::vector<float>{0, -5, 1, 1, -5, 1, 0, -4, 1}));
  EXPECT_TRUE(model->materials.empty());
  EXPECT_EQ(model->meshes[0].materialIndex, -1);
}

TEST_F(AssimpLoader, GltfTextureCoordinatesFromTheFirstChannelAsWritten) {
  GltfPrimitive primitive = Triangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
  primitive.texCoords = {{0.25f, 0.75f}, {1, 0}, {0.1f, 0.2f}};
  std::vector<GltfNode> nodes(1);
  nodes[0].name = "panel";
  nodes[0].mesh = 0;
  HostModelPtr model = Load(Write("uv.gltf", MakeGltf({{primitive}}, nodes, {0})));
  ASSERT_NE(model, nullptr);
  const msMesh& mesh = model->meshes.at(0);
  ASSERT_EQ(mesh.vertices.size(), 3u);
  EXPECT_EQ(mesh.vertices[0].texCoords[0], 0.25f);
  EXPECT_EQ(mesh.vertices[0].texCoords[1], 0.75f);
  // Assimp turns V over on import and again on our request, which can move
  // a V below 0.5 by a rounding step; U is untouched.
  EXPECT_EQ(mesh.vertices[2].texCoords[0], 0.1f);
  EXPECT_NEAR(mesh.vertices[2].texCoords[1], 0.2f, 1e-7f);
}

TEST_F(AssimpLoader, RefusesUnreadableMissingAndEmptyFilesNamingThem) {
  EXPECT_NE(Refuse(Write("junk.gltf", "this is not a model")).find("cannot be read"),
            std::string::npos);
  EXPECT_NE(Refuse((dir_ / "absent.obj").string()).find("cannot be read"), std::string::npos);
  EXPECT_NE(Refuse(Write("empty.gltf", MakeGltf({}, {}, {}))).find("no triangles"),
            std::string::npos);
  // Points and lines only: nothing that can be exported.
  const std::string lines = Write("lines.obj", "o wire\nv 0 0 0\nv 1 0 0\nv 0 1 0\nl 1 2 3\np 1\n");
  EXPECT_NE(Refuse(lines).find("no triangles"), std::string::npos);
}

// Each triangle with three vertices of its own, none shared.
std::string ObjWithSeparateTriangles(int triangleCount) {
  std::string text = "o big\n";
  for (int i = 0; i < triangleCount * 3; ++i) text += "v " + std::to_string(i) + " 0 0\n";
  for (int t = 0; t < triangleCount; ++t) {
    text += "f " + std::to_string(3 * t + 1) + " " + std::to_string(3 * t + 2) + " " +
            std::to_string(3 * t + 3) + "\n";
  }
  return text;
}

TEST_F(AssimpLoader, AMeshHoldsAtMost65535Vertices) {
  // 21845 triangles have exactly 65535 corners.
  HostModelPtr largest = Load(Write("largest.obj", ObjWithSeparateTriangles(21845)));
  ASSERT_NE(largest, nullptr);
  EXPECT_EQ(largest->meshes.at(0).vertices.size(), 65535u);
  EXPECT_EQ(largest->meshes.at(0).triangles.back().indices[2], 65534);

  const std::string message = Refuse(Write("too_big.obj", ObjWithSeparateTriangles(21846)));
  EXPECT_NE(message.find("\"big\" has more than 65535 vertices"), std::string::npos) << message;
}

}  // namespace
}  // namespace svcmp
