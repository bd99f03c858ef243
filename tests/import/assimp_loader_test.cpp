#include "import/assimp_loader.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "assimp_test_files.h"
#include "plugin/model_capture.h"
#include "ui/export_settings.h"

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

TEST_F(AssimpLoader, JoinsCornersOnlyWhenPositionUvAndFileNormalAllMatch) {
  // The second triangle names corners 2 and 3 with the first one's texture
  // coordinates but another normal: a hard edge, kept apart. The third
  // shares corners 3 and 4 with the second one, normals included: joined. Its
  // corner 1 repeats vertex 1's position with another texture coordinate: a
  // seam, kept apart.
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
  EXPECT_EQ(Positions(mesh),
            (std::vector<float>{0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0, 0, 1, 1, 1, 0, 1, 0, 0, 0, 0}));
  ASSERT_EQ(mesh.triangles.size(), 3u);
  const std::vector<std::vector<std::uint32_t>> expected = {{0, 1, 2}, {3, 4, 5}, {6, 5, 4}};
  for (std::size_t t = 0; t < 3; ++t) {
    for (int c = 0; c < 3; ++c)
      EXPECT_EQ(mesh.triangles[t].indices[c], expected[t][c]) << t << "," << c;
  }
  // OBJ keeps V upwards; the host keeps it downwards.
  EXPECT_EQ(mesh.vertices[6].texCoords[0], 0.5f);
  EXPECT_EQ(mesh.vertices[6].texCoords[1], 0.5f);
  EXPECT_EQ(mesh.vertices[1].texCoords[0], 1.0f);
  EXPECT_EQ(mesh.vertices[1].texCoords[1], 1.0f);
  EXPECT_EQ(mesh.vertices[4].texCoords[1], 0.0f);
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
  // Roots: "body" (turned about Z and moved, child "gun" scaled and moved
  // under it), then an unnamed node with a single primitive, then "wings"
  // with two primitives. The turn (cos 0.28, sin 0.96) is no quarter turn,
  // so that x and y cannot stand in for each other.
  std::vector<GltfNode> nodes(4);
  nodes[0] = {"body", 0, {10, 20, 30}, {1, 1, 1}, {1}, {0, 0, 0.6f, 0.8f}};
  nodes[1] = {"gun", 0, {1, 0, 0}, {2, 3, 4}, {}};
  nodes[2] = {"", 0, {0, 0, 0}, {1, 1, 1}, {}};
  nodes[3] = {"wings", 1, {0, -5, 0}, {1, 1, 1}, {}};
  const std::string path = Write("ship.gltf", MakeGltf(meshes, nodes, {0, 2, 3}));

  HostModelPtr model = Load(path);
  ASSERT_NE(model, nullptr);
  // Unnamed meshes are numbered by their place in the model, from 1.
  EXPECT_EQ(Names(*model),
            (std::vector<std::string>{"body", "gun", "mesh_3", "wings_1", "wings_2"}));
  const auto expectNear = [](const msMesh& mesh, const std::vector<float>& expected) {
    const std::vector<float> actual = Positions(mesh);
    ASSERT_EQ(actual.size(), expected.size()) << mesh.name;
    for (std::size_t k = 0; k < expected.size(); ++k)
      EXPECT_NEAR(actual[k], expected[k], 1e-5f) << mesh.name << " " << k;
  };
  expectNear(model->meshes[0], {10, 20, 30, 10.28f, 20.96f, 30, 9.04f, 20.28f, 30});
  // gun: scaled by (2, 3, 4), moved by (1, 0, 0), then turned and moved as body.
  expectNear(model->meshes[1], {10.28f, 20.96f, 30, 10.84f, 22.88f, 30, 7.4f, 21.8f, 30});
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
  EXPECT_NE(Refuse((folder_ / "absent.obj").string()).find("cannot be read"), std::string::npos);
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

// Meshes past 16-bit indices are cmptool's to simplify or refuse.
TEST_F(AssimpLoader, AMeshKeepsVerticesPast65535) {
  HostModelPtr large = Load(Write("large.obj", ObjWithSeparateTriangles(21846)));
  ASSERT_NE(large, nullptr);
  EXPECT_EQ(large->meshes.at(0).vertices.size(), 65538u);
  EXPECT_EQ(large->meshes.at(0).triangles.back().indices[2], 65537u);
}

// A box around the origin as an OBJ: with flat normals, one per face, as a
// hard-edged solid is written; otherwise each corner's own direction, as a
// smooth surface is written.
std::string ObjBox(bool flat) {
  std::string text =
      "o box\nv -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\n"
      "v -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\n";
  if (flat) {
    text += "vn 0 0 -1\nvn 0 0 1\nvn 0 -1 0\nvn 0 1 0\nvn -1 0 0\nvn 1 0 0\n";
  } else {
    for (const char* corner :
         {"-1 -1 -1", "1 -1 -1", "1 1 -1", "-1 1 -1", "-1 -1 1", "1 -1 1", "1 1 1", "-1 1 1"}) {
      text += std::string("vn ") + corner + "\n";
    }
  }
  const int faces[6][4] = {{1, 4, 3, 2}, {5, 6, 7, 8}, {1, 2, 6, 5},
                           {4, 8, 7, 3}, {1, 5, 8, 4}, {2, 3, 7, 6}};
  for (int f = 0; f < 6; ++f) {
    text += "f";
    for (int corner : faces[f]) {
      text += " " + std::to_string(corner) + "//" + std::to_string(flat ? f + 1 : corner);
    }
    text += "\n";
  }
  return text;
}

// The normals the export computes, as it captures the model unscaled.
std::vector<MeshVertex> CapturedVertices(msModel& model, std::size_t meshIndex) {
  return CaptureModel(&model, 1, OrientationSignOf(kOrientationBackToFront)).at(meshIndex).vertices;
}

TEST_F(AssimpLoader, FlatShadedFacesKeepTheirCornersAndSmoothOnesJoin) {
  HostModelPtr flat = Load(Write("flat.obj", ObjBox(true)));
  ASSERT_NE(flat, nullptr);
  const std::vector<MeshVertex> flatVertices = CapturedVertices(*flat, 0);
  ASSERT_EQ(flatVertices.size(), 24u);
  for (const MeshVertex& v : flatVertices) {
    // One axis, pointing out of the box.
    const float length = std::fabs(v.normal[0]) + std::fabs(v.normal[1]) + std::fabs(v.normal[2]);
    EXPECT_NEAR(length, 1.0f, 1e-6f);
    EXPECT_GT(
        v.normal[0] * v.position[0] + v.normal[1] * v.position[1] + v.normal[2] * v.position[2],
        0.99f);
  }

  HostModelPtr smooth = Load(Write("smooth.obj", ObjBox(false)));
  ASSERT_NE(smooth, nullptr);
  EXPECT_EQ(smooth->meshes.at(0).vertices.size(), 8u);
}

TEST_F(AssimpLoader, MirroringTransformsKeepFacesPointingOut) {
  // Each corner of a box is its own outward direction, so a vertex normal
  // points out when its dot product with the corner's offset is positive.
  // The box hangs under a parent: what mirrors is the two scales together,
  // so a mirrored parent over an unmirrored child mirrors, and two mirrors
  // cancel out.
  using Scale = std::array<float, 3>;
  const struct {
    Scale parent, child;
  } cases[] = {
      {{1, 1, 1}, {1, 1, 1}},          {{1, 1, 1}, {-1, 1, 1}},
      {{1, 1, 1}, {0.1f, -0.1f, 0.1f}}, {{1, 1, 1}, {-1, -1, 1}},
      {{1, 1, 1}, {-2, -2, -2}},        {{-1, 1, 1}, {1, 1, 1}},
      {{1, 2, -3}, {1, 1, 1}},          {{-1, 1, 1}, {1, -1, 1}},
      {{1, -1, 1}, {1, 1, -0.5f}},
  };
  for (const auto& [parentScale, childScale] : cases) {
    std::vector<GltfNode> nodes(2);
    nodes[0] = {"mount", -1, {5, 0, 0}, parentScale, {1}};
    nodes[1] = {"box", 0, {0, 2, 0}, childScale, {}};
    HostModelPtr model = Load(Write("mirror.gltf", MakeGltf({{testing::Box()}}, nodes, {0})));
    ASSERT_NE(model, nullptr);
    const float centre[3] = {5, 2 * parentScale[1], 0};
    int outward = 0;
    for (const MeshVertex& v : CapturedVertices(*model, 0)) {
      float dot = 0;
      for (int axis = 0; axis < 3; ++axis) dot += v.normal[axis] * (v.position[axis] - centre[axis]);
      outward += dot > 0;
    }
    EXPECT_EQ(outward, 8) << "parent " << parentScale[0] << " " << parentScale[1] << " "
                          << parentScale[2] << ", child " << childScale[0] << " "
                          << childScale[1] << " " << childScale[2];
  }
}

TEST_F(AssimpLoader, EmptyNodesNamedLikeHardpointsBecomeHardpointMeshesInNodeOrder) {
  std::vector<GltfNode> nodes(7);
  nodes[0] = {"body", 0, {10, 0, 0}, {1, 1, 1}, {1, 2}};
  nodes[1] = {"Hp_Fixed_HpGun01", -1, {0.5f, 2, -3}, {2, 2, 2}, {}};
  nodes[2] = {"", -1, {0, 1, 0}, {1, 1, 1}, {}};  // empty and unnamed: nothing
  nodes[3] = {"hpanel_left", -1, {0, 0, 7}, {1, 1, 1}, {}};
  nodes[4] = {"wing", 0, {0, 0, 0}, {1, 1, 1}, {}};
  // A mount drawn as a mesh under an empty node of its name is that mesh.
  nodes[5] = {"Hp_Fixed_HpLamp01", -1, {0, 0, 0}, {1, 1, 1}, {6}};
  nodes[6] = {"lamp", 0, {0, 0, 0}, {1, 1, 1}, {}};
  HostModelPtr model =
      Load(Write("mounts.gltf", MakeGltf({{testing::Box()}}, nodes, {0, 3, 4, 5})));
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(Names(*model),
            (std::vector<std::string>{"body", "Hp_Fixed_HpGun01", "hpanel_left", "wing", "lamp"}));
  const msMesh& gun = model->meshes[1];
  ASSERT_EQ(gun.vertices.size(), 3u);
  ASSERT_EQ(gun.triangles.size(), 1u);
  EXPECT_EQ(gun.materialIndex, -1);
  const std::array<float, 3> expected = {10.5f, 2, -3};
  for (int axis = 0; axis < 3; ++axis) {
    float sum = 0;
    for (const msVertex& v : gun.vertices) sum += v.position[axis];
    EXPECT_EQ(sum / 3, expected[axis]) << axis;
  }
}

TEST_F(AssimpLoader, KeepsTheNodeTreeWithTransformsAndCustomProperties) {
  std::vector<GltfNode> nodes(4);
  nodes[0] = {"ship", 0, {0, 0, 0}, {1, 1, 1}, {1, 3}};
  nodes[1] = {"pivot", -1, {1, 2, 3}, {1, 1, 1}, {2}, {0, 0.70710677f, 0, 0.70710677f}};
  nodes[2] = {"turret", 0, {0, 0, 4}, {2, 2, 2}, {}, {0, 0, 0, 1},
              {{"construct", "rev"}, {"axis_rotation", {0, 0.5, -1}}, {"min", -45}, {"max", 2.5},
               {"hull", false}, {"nested", {{"a", 1}}}, {"texts", {"a", "b"}}}};
  nodes[3] = {"HpGun01", -1, {0, 5, 0}, {1, 1, 1}, {}, {0, 0, 0, 1}, {{"hptype", "rev"}}};
  const std::string path = Write("tree.gltf", MakeGltf({{testing::Box()}}, nodes, {0}));
  ModelLoadResult loaded = LoadAssimpModel(path, ModelFormat::Gltf);
  ASSERT_NE(loaded.model, nullptr) << loaded.error;
  const std::vector<msNode>& tree = loaded.model->nodes;
  ASSERT_EQ(tree.size(), 4u);
  // Depth first, every node after its parent, holding the meshes made from it.
  const struct {
    const char* name;
    int parent;
    std::vector<int> meshes;
    std::array<float, 3> translation;
    std::array<float, 3> scale;
  } expected[] = {{"ship", -1, {0}, {0, 0, 0}, {1, 1, 1}},
                  {"pivot", 0, {}, {1, 2, 3}, {1, 1, 1}},
                  {"turret", 1, {1}, {0, 0, 4}, {2, 2, 2}},
                  {"HpGun01", 0, {2}, {0, 5, 0}, {1, 1, 1}}};
  for (std::size_t i = 0; i < tree.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(tree[i].name, expected[i].name);
    EXPECT_EQ(tree[i].parent, expected[i].parent);
    EXPECT_EQ(tree[i].meshes, expected[i].meshes);
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(tree[i].translation[k], expected[i].translation[k], 1e-6);
      EXPECT_NEAR(tree[i].scale[k], expected[i].scale[k], 1e-6);
    }
  }
  EXPECT_NEAR(tree[1].rotation[1], 0.70710677f, 1e-6);
  EXPECT_NEAR(tree[1].rotation[3], 0.70710677f, 1e-6);
  // The mesh keeps its world place: turned a quarter about Y at (1, 2, 3),
  // the turret's (0, 0, 4) lands at (5, 2, 3).
  EXPECT_NEAR(loaded.model->meshes[1].vertices[0].position[0], 5 - 2, 1e-5);
  const std::vector<msNodeProperty>& properties = tree[2].properties;
  // In the file's order, which the test's JSON writer sorts by name.
  ASSERT_EQ(properties.size(), 5u);
  EXPECT_EQ(properties[0].value, msNodePropertyValue(std::vector<double>{0, 0.5, -1}));
  EXPECT_EQ(properties[1].value, msNodePropertyValue(std::string("rev")));
  EXPECT_EQ(properties[2].value, msNodePropertyValue(false));
  EXPECT_EQ(properties[3].value, msNodePropertyValue(2.5));
  EXPECT_EQ(properties[4].value, msNodePropertyValue(-45.0));
  EXPECT_EQ(tree[3].properties[0].name, "hptype");
  EXPECT_EQ(loaded.warnings.back(),
            "\"" + path +
                "\": 2 node properties left out (only text, numbers, true, false and lists of "
                "numbers are kept): node \"turret\"");

  // OBJ groups are a flat list, no tree.
  EXPECT_TRUE(Load(Write("flat.obj", "o a\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"))->nodes.empty());
}

TEST_F(AssimpLoader, SaysWhatItLeavesOutAndStillLoads) {
  // A second texture-coordinate set and a morph target.
  GltfPrimitive panel = testing::Triangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
  panel.texCoords = {{0, 0}, {1, 0}, {0, 1}};
  panel.secondTexCoords = panel.texCoords;
  panel.morphOffsets = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
  // A texture point that is no number, which becomes 0.
  GltfPrimitive stained = testing::Triangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
  stained.texCoords = {{0.5f, 0.5f}, {std::numeric_limits<float>::quiet_NaN(), 0.5f}, {1, 1}};
  // Two triangles with a corner past the mesh's vertices, which the reader drops.
  GltfPrimitive torn = testing::Triangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
  torn.indices = {0, 1, 2, 0, 1, 3, 2, 1, 9, 2, 1, 0};
  const struct {
    std::string name;
    std::string text;
    ModelFormat format;
    std::vector<std::string> warnings;  // each after the file's quoted path
  } cases[] = {
      // Vertex colours, lines and points beside the triangle, no material.
      {"wire.obj",
       "o wire\nv 0 0 0 1 0 0\nv 1 0 0 1 0 0\nv 0 1 0 1 0 0\nf 1 2 3\nl 1 2\nl 2 3\np 1\np 2\n",
       ModelFormat::Obj,
       {"4 lines and points left out (only triangles are exported): mesh \"wire\"",
        "1 vertex colour set left out: mesh \"wire\"",
        "1 geometry mesh without a material (material id 0 is written): \"wire\""}},
      {"panel.gltf",
       MakeGltf({{panel}}, {{"panel", 0, {0, 0, 0}, {1, 1, 1}, {}}}, {0}),
       ModelFormat::Gltf,
       {"1 texture-coordinate set after the first left out: mesh \"panel\"",
        "1 morph target left out (the base shape is exported): mesh \"panel\"",
        "1 geometry mesh without a material (material id 0 is written): \"panel\""}},
      {"torn.gltf",
       MakeGltf({{torn}, {testing::Triangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0})}},
                {{"torn", 0, {0, 0, 0}, {1, 1, 1}, {}}, {"whole", 1, {0, 0, 0}, {1, 1, 1}, {}}},
                {0, 1}),
       ModelFormat::Gltf,
       {"2 geometry meshes without a material (material id 0 is written): \"torn\", "
        "\"whole\"",
        "2 triangles left out (a corner is no vertex of the mesh): mesh \"torn\""}},
      {"stained.gltf",
       MakeGltf({{stained}}, {{"stained", 0, {0, 0, 0}, {1, 1, 1}, {}}}, {0}),
       ModelFormat::Gltf,
       {"1 geometry mesh without a material (material id 0 is written): \"stained\"",
        "1 texture coordinate that is not a finite number set to 0: mesh \"stained\""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Write(c.name, c.text);
    ModelLoadResult loaded = LoadAssimpModel(path, c.format);
    ASSERT_NE(loaded.model, nullptr) << loaded.error;
    std::vector<std::string> expected;
    for (const std::string& warning : c.warnings)
      expected.push_back("\"" + path + "\": " + warning);
    EXPECT_EQ(loaded.warnings, expected);
    if (c.name == "stained.gltf") {
      // Only the corner that had no number moves; the others keep theirs.
      const std::vector<msVertex>& vertices = loaded.model->meshes.at(0).vertices;
      ASSERT_EQ(vertices.size(), 3u);
      const float texture[3][2] = {{0.5f, 0.5f}, {0, 0}, {1, 1}};
      for (std::size_t v = 0; v < 3; ++v) {
        EXPECT_EQ(vertices[v].texCoords[0], texture[v][0]) << v;
        EXPECT_NEAR(vertices[v].texCoords[1], texture[v][1], 1e-7f) << v;
      }
    }
  }
}

// The flat export knows hardpoints by their meshes' names: an empty node
// marked with the "hardpoint" property (as convert writes them) gets a
// name that says its kind, whatever its own name says.
TEST_F(AssimpLoader, EmptyNodesMarkedAsHardpointsAreNamedByTheirKind) {
  const struct {
    const char* name;
    nlohmann::json extras;
    const char* meshName;  // empty: no mesh
  } cases[] = {
      {"HpGun", {{"hardpoint", true}}, "Hp_Fixed_HpGun"},
      {"HpTurret", {{"hardpoint", true}, {"hptype", "rev"}}, "Hp_Revolute_HpTurret"},
      {"HpBay", {{"hardpoint", true}, {"hptype", "fix"}}, "Hp_Fixed_HpBay"},
      {"DpConnect", {{"hardpoint", 1}}, "Hp_Fixed_DpConnect"},
      {"Hp_Fixed_HpMount", {{"hardpoint", true}, {"hptype", "rev"}}, "Hp_Fixed_HpMount"},
      {"HpPlain", {}, "HpPlain"},
      {"marker", {{"hardpoint", false}}, ""},
      {"HpOff", {{"hardpoint", false}}, "HpOff"},
  };
  std::vector<GltfNode> nodes = {{"body", 0, {0, 0, 0}, {1, 1, 1}, {}}};
  std::vector<std::string> expected = {"body"};
  std::vector<int> roots = {0};
  for (const auto& c : cases) {
    GltfNode& node = nodes.emplace_back();
    node.name = c.name;
    node.translation = {static_cast<float>(nodes.size()), 2, -3};
    node.extras = c.extras;
    roots.push_back(static_cast<int>(nodes.size() - 1));
    if (*c.meshName != '\0') expected.push_back(c.meshName);
  }
  HostModelPtr model = Load(Write("marked.gltf", MakeGltf({{testing::Box()}}, nodes, roots)));
  ASSERT_NE(model, nullptr);
  EXPECT_EQ(Names(*model), expected);
  // Placed where its node is: the turret, the third node.
  const msMesh& turret = model->meshes.at(2);
  ASSERT_EQ(turret.vertices.size(), 3u);
  const std::array<float, 3> at = {3, 2, -3};
  for (int axis = 0; axis < 3; ++axis) {
    float sum = 0;
    for (const msVertex& v : turret.vertices) sum += v.position[axis];
    EXPECT_NEAR(sum / 3, at[axis], 1e-5f) << axis;
  }
}

}  // namespace
}  // namespace svcmp
