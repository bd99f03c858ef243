#include "import/gltf_material_looks.h"

#include <map>
#include <string>

#include "import/material_extras.h"

namespace svcmp {
namespace {

using Json = nlohmann::ordered_json;

template <std::size_t N>
Json Numbers(const std::array<float, N>& values) {
  Json array = Json::array();
  for (float value : values) array.push_back(static_cast<double>(value));
  return array;
}

// The images and textures the looks refer to, one of each per file.
class TextureIndex {
 public:
  explicit TextureIndex(Json& gltf) : gltf_(gltf) {}

  std::size_t Of(const std::string& file) {
    const auto known = textures_.find(file);
    if (known != textures_.end()) return known->second;
    Json& images = gltf_["images"];
    Json& textures = gltf_["textures"];
    if (!images.is_array()) images = Json::array();
    if (!textures.is_array()) textures = Json::array();
    images.push_back({{"uri", file}});
    textures.push_back({{"source", images.size() - 1}});
    return textures_[file] = textures.size() - 1;
  }

 private:
  Json& gltf_;
  std::map<std::string, std::size_t> textures_;
};

void SetLook(const SceneMaterialLook& look, Json& material, TextureIndex& textures) {
  Json& pbr = material["pbrMetallicRoughness"];
  if (!pbr.is_object()) pbr = Json::object();
  pbr["baseColorFactor"] = Numbers(look.baseColour);
  // The game's surfaces are not metal.
  pbr["metallicFactor"] = 0.0;
  pbr["roughnessFactor"] = 1.0;
  pbr.erase("baseColorTexture");
  if (!look.baseTexture.empty()) {
    pbr["baseColorTexture"] = {{"index", textures.Of(look.baseTexture)}};
  }
  material["emissiveFactor"] = Numbers(look.emissive);
  material.erase("emissiveTexture");
  if (!look.emissiveTexture.empty()) {
    material["emissiveTexture"] = {{"index", textures.Of(look.emissiveTexture)}};
  }
  material.erase("alphaMode");
  if (look.blend) material["alphaMode"] = "BLEND";
  material.erase("doubleSided");
  if (look.doubleSided) material["doubleSided"] = true;
  if (look.original) {
    const Json original = MaterialRecordJson(*look.original);
    if (!original.is_null()) material["extras"][kMaterialExtrasKey] = original;
  }
}

}  // namespace

void AddGltfMaterialLooks(const SceneDocument& scene, Json& gltf) {
  if (scene.looks.size() != scene.materials.size() || !gltf.contains("materials") ||
      !gltf["materials"].is_array()) {
    return;
  }
  std::map<std::string, std::size_t> byName;
  for (std::size_t i = scene.materials.size(); i-- > 0;) byName[scene.materials[i]] = i;
  TextureIndex textures(gltf);
  for (Json& material : gltf["materials"]) {
    if (!material.is_object()) continue;
    const auto found = byName.find(material.value("name", std::string()));
    if (found != byName.end()) SetLook(scene.looks[found->second], material, textures);
  }
}

}  // namespace svcmp
