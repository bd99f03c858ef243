// Scenes written as model files by the importer program, read back through
// it as cmptool export reads them.
#include "import/scene_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "assimp_test_files.h"
#include "import/assimp_writer.h"
#include "import/gltf_node_extras.h"
#include "utf/file_io.h"

namespace svcmp {
namespace {

using SceneExport = testing::ModelFileTest;

// A tetrahedron named "hull" under a part turned a quarter about y and moved,
// and a hardpoint node beside it.
SceneDocument PlacedTetrahedron() {
  SceneDocument scene;
  scene.name = "Cmpnd";
  scene.materials = {"hull_metal"};
  SceneMesh& mesh = scene.meshes.emplace_back();
  mesh.name = "hull";
  mesh.positions = {{0, 0, 0}, {92, 0, 0}, {0, 92, 0}, {0, 0, 92}};
  mesh.normals = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  mesh.texture = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
  mesh.indices = {0, 1, 2, 0, 3, 1, 0, 2, 3, 1, 3, 2};  // vertices in order of first use
  scene.nodes.resize(3);
  scene.nodes[0] = {"Root", -1, {0, 0, 1, 0, 1, 0, -1, 0, 0}, {10, 20, 30}, {}};
  scene.nodes[1] = {"hull", 0, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 0}, {0}};
  scene.nodes[2] = {"Hp_Fixed_HpMount01", 0, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 46, 0}, {}};
  return scene;
}

TEST_F(SceneExport, EveryFormatReadsBackWithItsPlacedMesh) {
  // Root's turn takes (x, y, z) to (z, y, -x), then the move adds (10, 20, 30).
  const std::array<std::array<float, 3>, 4> placed{
      {{10, 20, 30}, {10, 20, -62}, {10, 112, 30}, {102, 20, 30}}};
  for (const char* name : {"ship.glb", "ship.gltf", "ship.obj", "ship.dae"}) {
    SCOPED_TRACE(name);
    const std::string failure = ExportSceneThroughImporter(
        PlacedTetrahedron(), folder_ / "scene.json", folder_ / name, {SVCMP_IMPORTER, {}});
    ASSERT_EQ(failure, "");
    const ModelLoadResult back = LoadModelFile((folder_ / name).string(), {SVCMP_IMPORTER, {}});
    ASSERT_NE(back.model, nullptr) << back.error;
    // The empty hardpoint node comes back as a hardpoint mesh where the
    // format keeps empty nodes (all but OBJ), centred where it was placed.
    const bool keepsEmptyNodes = std::string(name) != "ship.obj";
    ASSERT_EQ(back.model->meshes.size(), keepsEmptyNodes ? 2u : 1u);
    if (keepsEmptyNodes) {
      const msMesh& mount = back.model->meshes[1];
      EXPECT_EQ(mount.name, "Hp_Fixed_HpMount01");
      ASSERT_EQ(mount.vertices.size(), 3u);
      const std::array<float, 3> mountAt = {10, 66, 30};
      for (std::size_t axis = 0; axis < 3; ++axis) {
        float sum = 0;
        for (const msVertex& v : mount.vertices) sum += v.position[axis];
        EXPECT_NEAR(sum / 3, mountAt[axis], 1e-4) << axis;
      }
    }
    const msMesh& mesh = back.model->meshes[0];
    EXPECT_EQ(mesh.triangles.size(), 4u);
    ASSERT_EQ(mesh.vertices.size(), 4u);
    // Texture points come back as sent, not turned upside down.
    const std::array<std::array<float, 2>, 4> texture{{{0, 0}, {1, 0}, {0, 1}, {1, 1}}};
    for (std::size_t v = 0; v < 4; ++v) {
      for (std::size_t axis = 0; axis < 3; ++axis) {
        EXPECT_NEAR(mesh.vertices[v].position[axis], placed[v][axis], 1e-4) << v;
      }
      EXPECT_EQ(mesh.vertices[v].texCoords[0], texture[v][0]) << v;
      EXPECT_EQ(mesh.vertices[v].texCoords[1], texture[v][1]) << v;
    }
  }
  EXPECT_TRUE(std::filesystem::exists(folder_ / "ship.bin"));
  EXPECT_TRUE(std::filesystem::exists(folder_ / "ship.mtl"));
}

// glTF and GLB carry the nodes' properties as extras, which the importer
// reads back as the model document's node properties, every kind of value.
TEST_F(SceneExport, GltfNodesKeepTheirProperties) {
  SceneDocument scene = PlacedTetrahedron();
  scene.nodes[0].properties = {{"construct", std::string("rev")},
                               {"axis_rotation", std::vector<double>{0, -1, 0}},
                               {"min", -85.5}};
  scene.nodes[2].properties = {{"hardpoint", true}};
  for (const char* name : {"ship.glb", "ship.gltf"}) {
    SCOPED_TRACE(name);
    ASSERT_EQ(ExportSceneThroughImporter(scene, folder_ / "scene.json", folder_ / name,
                                         {SVCMP_IMPORTER, {}}),
              "");
    const ModelLoadResult back = LoadModelFile((folder_ / name).string(), {SVCMP_IMPORTER, {}});
    ASSERT_NE(back.model, nullptr) << back.error;
    for (const SceneNode& sent : scene.nodes) {
      const auto node = std::find_if(back.model->nodes.begin(), back.model->nodes.end(),
                                     [&](const msNode& n) { return n.name == sent.name; });
      ASSERT_NE(node, back.model->nodes.end()) << sent.name;
      ASSERT_EQ(node->properties.size(), sent.properties.size()) << sent.name;
      for (std::size_t p = 0; p < sent.properties.size(); ++p) {
        EXPECT_EQ(node->properties[p].name, sent.properties[p].name);
        EXPECT_EQ(node->properties[p].value, sent.properties[p].value);
      }
    }
  }
}

// A written file whose nodes are not the scene's (here: named otherwise) is
// left as it is, with a message.
TEST_F(SceneExport, ExtrasGoOnlyIntoTheNodesTheyWereMeantFor) {
  SceneDocument scene = PlacedTetrahedron();
  scene.nodes[1].properties = {{"hardpoint", true}};
  for (const char* format : {"glb2", "gltf2"}) {
    const std::string path = (folder_ / "ship").string();
    ASSERT_EQ(WriteAssimpScene(PlacedTetrahedron(), format, path), "");
    const auto before = ReadWholeFile(path);
    scene.nodes[2].name = "HpOther";
    EXPECT_EQ(AddGltfNodeExtras(scene, format, path),
              "\"" + path + "\": the written nodes are not the scene's");
    const auto after = ReadWholeFile(path);
    EXPECT_TRUE(std::ranges::equal(*before.bytes, *after.bytes)) << format;
  }
}

TEST_F(SceneExport, FailuresComeBackAsMessages) {
  const auto failure = [&](const SceneDocument& scene, const std::string& name,
                           const std::filesystem::path& program) {
    return ExportSceneThroughImporter(scene, folder_ / "scene.json", folder_ / name, {program, {}});
  };
  EXPECT_EQ(failure(PlacedTetrahedron(), "ship.fbx", SVCMP_IMPORTER),
            "\"" + (folder_ / "ship.fbx").string() +
                "\": models are written as .gltf, .glb, .obj or .dae files");
  SceneDocument broken = PlacedTetrahedron();
  broken.meshes[0].positions[2][1] = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(failure(broken, "ship.glb", SVCMP_IMPORTER),
            "\"ship.glb\": mesh hull has a number that is not finite");
  EXPECT_EQ(failure(PlacedTetrahedron(), "ship.glb", folder_ / "no-such-importer")
                .rfind("\"ship.glb\": the importer cannot be started: ", 0),
            0u);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "ship.glb"));
}

}  // namespace
}  // namespace svcmp
