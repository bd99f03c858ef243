#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "assimp_test_files.h"
#include "host/base64.h"
#include "import/assimp_loader.h"

namespace svcmp {
namespace {

using testing::MakeGltf;
using testing::Triangle;

class MaterialLook : public testing::ModelFileTest {
 protected:
  HostModelPtr Load(const std::string& path, ModelFormat format) {
    ModelLoadResult result = LoadAssimpModel(path, format);
    EXPECT_EQ(result.error, "");
    return std::move(result.model);
  }
};

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST_F(MaterialLook, ObjMaterialsGiveColourOpacityAndTexturePathAsWritten) {
  Write("ship.mtl",
        "newmtl hull\nKd 0.25 0.5 0.75\nmap_Kd textures\\hull.png\n"
        "newmtl glass\nKd 2 -1 0.5\nd 0.5\n");
  const std::string path = Write("ship.obj",
                                 "mtllib ship.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\n"
                                 "o hull\nusemtl hull\nf 1 2 3\no canopy\nusemtl glass\nf 1 3 2\n");
  HostModelPtr model = Load(path, ModelFormat::Obj);
  ASSERT_NE(model, nullptr);
  ASSERT_EQ(model->materials.size(), 2u);
  const msMaterial& hull = model->materials[0];
  EXPECT_EQ(hull.diffuse, (std::array<float, 3>{0.25f, 0.5f, 0.75f}));
  EXPECT_FALSE(hull.opacity);  // opaque: nothing to say
  EXPECT_EQ(hull.diffuseTexture, "textures\\hull.png");
  EXPECT_TRUE(hull.embeddedTexture.empty());
  const msMaterial& glass = model->materials[1];
  EXPECT_EQ(glass.diffuse, (std::array<float, 3>{1, 0, 0.5f}));  // clamped to 0 to 1
  EXPECT_EQ(glass.opacity, 0.5f);
  EXPECT_EQ(glass.diffuseTexture, "");
}

TEST_F(MaterialLook, GltfImagesInsideTheFileTravelAsTheirBytes) {
  const std::vector<std::uint8_t> png = ReadBytes(SVCMP_TEST_DATA "/materials/opaque.png");
  ASSERT_FALSE(png.empty());
  nlohmann::json gltf = nlohmann::json::parse(MakeGltf(
      {{Triangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0})}}, {{"hull", 0, {0, 0, 0}, {1, 1, 1}, {}}}, {0}));
  gltf["meshes"][0]["primitives"][0]["material"] = 0;
  gltf["materials"] = {
      {{"name", "painted"},
       {"pbrMetallicRoughness",
        {{"baseColorFactor", {0.5, 0.25, 1, 1}}, {"baseColorTexture", {{"index", 0}}}}}}};
  gltf["textures"] = {{{"source", 0}}};
  gltf["images"] = {{{"uri", "data:image/png;base64," + EncodeBase64(png)}}};
  HostModelPtr model = Load(Write("ship.gltf", gltf.dump()), ModelFormat::Gltf);
  ASSERT_NE(model, nullptr);
  ASSERT_EQ(model->materials.size(), 1u);
  const msMaterial& painted = model->materials[0];
  EXPECT_EQ(painted.diffuse, (std::array<float, 3>{0.5f, 0.25f, 1}));
  EXPECT_EQ(painted.embeddedTexture, png);
  EXPECT_EQ(painted.diffuseTexture.substr(painted.diffuseTexture.size() - 4), ".png");
}

}  // namespace
}  // namespace svcmp
