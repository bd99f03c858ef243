#include "import/scene_document.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

namespace svcmp {
namespace {

// Floats that a decimal round trip often gets wrong.
SceneDocument AwkwardScene() {
  const float tiny = std::numeric_limits<float>::denorm_min();
  const float largest = std::numeric_limits<float>::max();
  SceneDocument scene;
  scene.name = "Cmpnd";
  scene.materials = {"hull_metal", "material_0xEBB055C2"};
  SceneMesh& mesh = scene.meshes.emplace_back();
  mesh.name = "hull";
  mesh.material = 1;
  mesh.positions = {{0.1f, -0.0f, tiny}, {largest, -largest, 1e-38f}, {1.0f / 3, 92.0f, -7.5f}};
  mesh.normals = {{0, 1, 0}, {0.57735026f, 0.57735026f, -0.57735026f}, {1, 0, 0}};
  mesh.texture = {{0.5f, 0}, {1, 1}, {0.1f, 0.9f}};
  mesh.indices = {0, 1, 2, 2, 1, 0};
  scene.nodes.resize(3);
  scene.nodes[0].name = "Root";
  scene.nodes[1] = {"hull", 0, {0, -1, 0, 1, 0, 0, 0, 0, 1}, {1.5f, -2, 3}, {0}};
  scene.nodes[2] = {"Hp_Fixed_HpMount01", 0, {1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 23, 0}, {}};
  scene.nodes[1].properties = {{"construct", std::string("rev")},
                               {"min", -85.943665},
                               {"hardpoint", false},
                               {"axis_rotation", std::vector<double>{0, -1, 1e-300}}};
  return scene;
}

template <std::size_t N>
bool SameBits(const std::array<float, N>& a, const std::array<float, N>& b) {
  for (std::size_t i = 0; i < N; ++i) {
    if (std::bit_cast<std::uint32_t>(a[i]) != std::bit_cast<std::uint32_t>(b[i])) return false;
  }
  return true;
}

TEST(SceneDocument, ReadsBackWhatItWroteBitForBit) {
  const SceneDocument scene = AwkwardScene();
  const SceneDocumentText text = WriteSceneDocument(scene);
  ASSERT_EQ(text.error, "");
  const SceneDocumentResult read = ParseSceneDocument(text.text);
  ASSERT_TRUE(read.scene) << read.error;
  EXPECT_EQ(read.scene->name, scene.name);
  EXPECT_EQ(read.scene->materials, scene.materials);
  ASSERT_EQ(read.scene->meshes.size(), 1u);
  const SceneMesh& mesh = read.scene->meshes[0];
  EXPECT_EQ(mesh.name, "hull");
  EXPECT_EQ(mesh.material, 1u);
  EXPECT_EQ(mesh.indices, scene.meshes[0].indices);
  for (std::size_t v = 0; v < 3; ++v) {
    EXPECT_TRUE(SameBits(mesh.positions[v], scene.meshes[0].positions[v])) << v;
    EXPECT_TRUE(SameBits(mesh.normals[v], scene.meshes[0].normals[v])) << v;
    EXPECT_TRUE(SameBits(mesh.texture[v], scene.meshes[0].texture[v])) << v;
  }
  ASSERT_EQ(read.scene->nodes.size(), 3u);
  for (std::size_t n = 0; n < 3; ++n) {
    EXPECT_EQ(read.scene->nodes[n].name, scene.nodes[n].name);
    EXPECT_EQ(read.scene->nodes[n].parent, scene.nodes[n].parent);
    EXPECT_EQ(read.scene->nodes[n].meshes, scene.nodes[n].meshes);
    EXPECT_TRUE(SameBits(read.scene->nodes[n].rotation, scene.nodes[n].rotation));
    EXPECT_TRUE(SameBits(read.scene->nodes[n].translation, scene.nodes[n].translation));
    ASSERT_EQ(read.scene->nodes[n].properties.size(), scene.nodes[n].properties.size());
    for (std::size_t p = 0; p < scene.nodes[n].properties.size(); ++p) {
      EXPECT_EQ(read.scene->nodes[n].properties[p].name, scene.nodes[n].properties[p].name);
      EXPECT_EQ(read.scene->nodes[n].properties[p].value, scene.nodes[n].properties[p].value);
    }
  }
}

// Six indices are two triangles or three segments: the flag tells them apart.
TEST(SceneDocument, LineMeshesReadBackAsLines) {
  for (bool lines : {true, false}) {
    SceneDocument scene = AwkwardScene();
    scene.meshes[0].lines = lines;
    const SceneDocumentText text = WriteSceneDocument(scene);
    EXPECT_EQ(text.text.find("\"lines\"") != std::string::npos, lines);
    const SceneDocumentResult read = ParseSceneDocument(text.text);
    ASSERT_TRUE(read.scene) << read.error;
    EXPECT_EQ(read.scene->meshes[0].lines, lines);
    EXPECT_EQ(read.scene->meshes[0].indices, scene.meshes[0].indices);
  }
}

TEST(SceneDocument, NumbersJsonCannotHoldAreRefusedWhenWriting) {
  for (float bad :
       {std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()}) {
    SceneDocument mesh = AwkwardScene();
    mesh.meshes[0].normals[1][2] = bad;
    EXPECT_EQ(WriteSceneDocument(mesh).error, "mesh hull has a number that is not finite");
    SceneDocument node = AwkwardScene();
    node.nodes[2].translation[0] = bad;
    EXPECT_EQ(WriteSceneDocument(node).error,
              "node Hp_Fixed_HpMount01 has a number that is not finite");
    SceneDocument property = AwkwardScene();
    property.nodes[1].properties.push_back({"max", std::vector<double>{1, bad}});
    EXPECT_EQ(WriteSceneDocument(property).error, "node hull has a number that is not finite");
  }
}

TEST(SceneDocument, RefusesDocumentsThatPointOutsideThemselves) {
  struct Case {
    void (*breakIt)(SceneDocument&);
    const char* error;
  };
  const Case cases[] = {
      {[](SceneDocument& s) { s.meshes[0].indices[4] = 3; },
       "meshes[0].indices[4]: expected a number below 3"},
      {[](SceneDocument& s) { s.meshes[0].indices.pop_back(); },
       "meshes[0]: expected whole triangles"},
      {[](SceneDocument& s) {
         s.meshes[0].lines = true;
         s.meshes[0].indices.pop_back();
       },
       "meshes[0]: expected whole segments"},
      {[](SceneDocument& s) { s.meshes[0].material = 2; },
       "meshes[0].material[0]: expected a number below 2"},
      {[](SceneDocument& s) { s.meshes[0].normals.pop_back(); },
       "meshes[0]: expected one normal and one texture point per position"},
      {[](SceneDocument& s) { s.nodes[1].parent = 1; },
       "nodes[1].parent: expected -1 or an earlier node"},
      {[](SceneDocument& s) { s.nodes[1].meshes = {1}; },
       "nodes[1].meshes[0]: expected a number below 1"},
  };
  for (const Case& c : cases) {
    SceneDocument scene = AwkwardScene();
    c.breakIt(scene);
    const SceneDocumentResult read = ParseSceneDocument(WriteSceneDocument(scene).text);
    EXPECT_FALSE(read.scene);
    EXPECT_EQ(read.error, c.error);
  }
  EXPECT_EQ(ParseSceneDocument("{\"name\": ").error, "the scene is not JSON");
  EXPECT_EQ(ParseSceneDocument("{\"name\": \"x\", \"materials\": []}").error,
            "scene: expected \"meshes\"");
  EXPECT_EQ(ParseSceneDocument("[1, 2]").error, "scene: expected \"name\"");
  EXPECT_EQ(ParseSceneDocument(R"({"name": "x", "materials": [], "meshes": [], "nodes": [
                {"name": "a", "parent": -1, "rotation": [1, 0, 0, 0, 1, 0, 0, 0, 1],
                 "translation": [0, 0, 0], "meshes": [], "properties": {"min": [1, "2"]}}]})")
                .error,
            "nodes[0].properties.min: expected a text, a number, true or false, or a list of "
            "numbers");
}

// A converted material's look and the game's material read back whole.
TEST(SceneDocument, LooksComeBackWithTheGameMaterial) {
  SceneDocument scene = AwkwardScene();
  SceneMaterialLook glow;
  glow.baseColour = {0.25f, 0.5f, 0.75f, 0.3f};
  glow.emissive = {1.0f / 3, 0, 1};
  glow.baseTexture = "hull.tga.png";
  glow.emissiveTexture = "lights.png";
  glow.blend = true;
  glow.original = MaterialRecord{"hull_metal",
                                 "DcDtEcOcOt",
                                 {{"Dc", MaterialColour{0.25f, 0.5f, 0.75f}},
                                  {"Dt_name", std::string("hull.tga")},
                                  {"Dt_flags", std::uint32_t{74}},
                                  {"Oc", 0.3f},
                                  {"odd", std::vector<std::uint8_t>{0, 255, 7}}}};
  SceneMaterialLook plain;
  plain.doubleSided = true;
  scene.looks = {glow, plain};
  const SceneDocumentText text = WriteSceneDocument(scene);
  ASSERT_EQ(text.error, "");
  const SceneDocumentResult read = ParseSceneDocument(text.text);
  ASSERT_TRUE(read.scene) << read.error;
  ASSERT_EQ(read.scene->looks.size(), 2u);
  const SceneMaterialLook& back = read.scene->looks[0];
  EXPECT_TRUE(SameBits(back.baseColour, glow.baseColour));
  EXPECT_TRUE(SameBits(back.emissive, glow.emissive));
  EXPECT_EQ(back.baseTexture, glow.baseTexture);
  EXPECT_EQ(back.emissiveTexture, glow.emissiveTexture);
  EXPECT_TRUE(back.blend);
  EXPECT_FALSE(back.doubleSided);
  EXPECT_EQ(back.original, glow.original);
  EXPECT_TRUE(read.scene->looks[1].doubleSided);
  EXPECT_FALSE(read.scene->looks[1].original);

  // One look per material, or none.
  scene.looks.pop_back();
  const SceneDocumentResult short_ = ParseSceneDocument(WriteSceneDocument(scene).text);
  EXPECT_FALSE(short_.scene);
  EXPECT_EQ(short_.error, "looks: expected one per material");
  // A number JSON cannot hold is refused by name.
  scene.looks.push_back(plain);
  scene.looks[0].original->leaves[3].value = std::numeric_limits<float>::infinity();
  EXPECT_EQ(WriteSceneDocument(scene).error, "material hull_metal has a number that is not finite");
}

}  // namespace
}  // namespace svcmp

namespace svcmp {
namespace {

TEST(SceneDocument, AnimationsReadBackBitForBitAndPointInsideTheScene) {
  SceneDocument scene = AwkwardScene();
  scene.animations = {{"Sc_open",
                       {{1,
                         msAnimationPath::Translation,
                         msInterpolation::Linear,
                         {0, 1.0f / 3},
                         {1.5f, -2, 3, 1.5f, -2.1f, 3}},
                        {2,
                         msAnimationPath::Rotation,
                         msInterpolation::Linear,
                         {0.25f},
                         {0, 0.70710677f, 0, 0.70710677f}}}}};
  const SceneDocumentResult read = ParseSceneDocument(WriteSceneDocument(scene).text);
  ASSERT_TRUE(read.scene) << read.error;
  ASSERT_EQ(read.scene->animations.size(), 1u);
  const msAnimation& animation = read.scene->animations[0];
  EXPECT_EQ(animation.name, "Sc_open");
  ASSERT_EQ(animation.channels.size(), 2u);
  EXPECT_EQ(animation.channels[0].node, 1);
  EXPECT_EQ(animation.channels[0].path, msAnimationPath::Translation);
  EXPECT_EQ(animation.channels[0].times, scene.animations[0].channels[0].times);
  EXPECT_EQ(animation.channels[0].values, scene.animations[0].channels[0].values);
  EXPECT_EQ(animation.channels[1].node, 2);
  EXPECT_EQ(animation.channels[1].path, msAnimationPath::Rotation);
  EXPECT_EQ(animation.channels[1].values, scene.animations[0].channels[1].values);

  const struct {
    void (*breakIt)(msAnimationChannel&);
    const char* error;
  } cases[] = {
      {[](msAnimationChannel& c) { c.node = 3; },
       "animations[0].channels[0].node[0]: expected a number below 3"},
      {[](msAnimationChannel& c) { c.values.pop_back(); },
       "animations[0].channels[0]: expected rising times and 3 values a time"},
      {[](msAnimationChannel& c) {
         c.times = {1, 1};
       },
       "animations[0].channels[0]: expected rising times and 3 values a time"},
  };
  for (const auto& c : cases) {
    SceneDocument broken = scene;
    c.breakIt(broken.animations[0].channels[0]);
    const SceneDocumentResult refused = ParseSceneDocument(WriteSceneDocument(broken).text);
    EXPECT_FALSE(refused.scene);
    EXPECT_EQ(refused.error, c.error);
  }
}

}  // namespace
}  // namespace svcmp
