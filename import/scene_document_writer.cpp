#include <cmath>
#include <nlohmann/json.hpp>

#include "import/material_extras.h"
#include "import/scene_document.h"
#include "import/scene_properties_json.h"

namespace svcmp {
namespace {

using Json = nlohmann::ordered_json;
namespace keys = scene_keys;

// Floats go in as doubles: the library writes a double with enough digits
// to read back the same double, and so the same float.
template <std::size_t N>
Json Numbers(const std::array<float, N>& values, bool& finite) {
  Json array = Json::array();
  for (float value : values) {
    finite = finite && std::isfinite(value);
    array.push_back(static_cast<double>(value));
  }
  return array;
}

template <std::size_t N>
Json Rows(const std::vector<std::array<float, N>>& rows, bool& finite) {
  Json array = Json::array();
  for (const auto& row : rows) array.push_back(Numbers(row, finite));
  return array;
}

Json LookJson(const SceneMaterialLook& look, bool& finite) {
  Json json{{keys::kBaseColour, Numbers(look.baseColour, finite)},
            {keys::kEmissive, Numbers(look.emissive, finite)},
            {keys::kBaseTexture, look.baseTexture},
            {keys::kEmissiveTexture, look.emissiveTexture},
            {keys::kBlend, look.blend},
            {keys::kDoubleSided, look.doubleSided}};
  if (look.original) {
    json[keys::kOriginal] = MaterialRecordJson(*look.original);
    finite = finite && !json[keys::kOriginal].is_null();
  }
  return json;
}

}  // namespace

SceneDocumentText WriteSceneDocument(const SceneDocument& scene) {
  bool finite = true;
  Json meshes = Json::array();
  for (const SceneMesh& mesh : scene.meshes) {
    meshes.push_back({{keys::kName, mesh.name},
                      {keys::kMaterial, mesh.material},
                      {keys::kPositions, Rows(mesh.positions, finite)},
                      {keys::kNormals, Rows(mesh.normals, finite)},
                      {keys::kTexture, Rows(mesh.texture, finite)},
                      {keys::kIndices, mesh.indices}});
    // Only on line meshes, so that documents of triangles read as before.
    if (mesh.lines) meshes.back()[keys::kLines] = true;
    if (!finite) return {"", "mesh " + mesh.name + " has a number that is not finite"};
  }
  Json nodes = Json::array();
  for (const SceneNode& node : scene.nodes) {
    nodes.push_back({{keys::kName, node.name},
                     {keys::kParent, node.parent},
                     {keys::kRotation, Numbers(node.rotation, finite)},
                     {keys::kTranslation, Numbers(node.translation, finite)},
                     {keys::kMeshes, node.meshes}});
    if (!node.properties.empty()) {
      nodes.back()[keys::kProperties] = ScenePropertiesJson(node.properties, finite);
    }
    if (!finite) return {"", "node " + node.name + " has a number that is not finite"};
  }
  Json document{{keys::kName, scene.name},
                {keys::kMaterials, scene.materials},
                {keys::kMeshes, std::move(meshes)},
                {keys::kNodes, std::move(nodes)}};
  if (!scene.animations.empty()) {
    Json animations = Json::array();
    for (const msAnimation& animation : scene.animations) {
      Json channels = Json::array();
      for (const msAnimationChannel& channel : animation.channels) {
        Json values = Json::array();
        for (float value : channel.values) {
          finite = finite && std::isfinite(value);
          values.push_back(static_cast<double>(value));
        }
        Json times = Json::array();
        for (float time : channel.times) times.push_back(static_cast<double>(time));
        channels.push_back(
            {{keys::kNode, channel.node},
             {keys::kPath,
              channel.path == msAnimationPath::Rotation ? keys::kRotation : keys::kTranslation},
             {keys::kTimes, std::move(times)},
             {keys::kValues, std::move(values)}});
      }
      animations.push_back({{keys::kName, animation.name}, {keys::kChannels, std::move(channels)}});
      if (!finite) return {"", "animation " + animation.name + " has a number that is not finite"};
    }
    document[keys::kAnimations] = std::move(animations);
  }
  if (!scene.looks.empty()) {
    Json looks = Json::array();
    for (std::size_t i = 0; i < scene.looks.size(); ++i) {
      looks.push_back(LookJson(scene.looks[i], finite));
      if (!finite) {
        return {"", "material " + (i < scene.materials.size() ? scene.materials[i] : "") +
                        " has a number that is not finite"};
      }
    }
    document[keys::kLooks] = std::move(looks);
  }
  // Names from a file need not be UTF-8; replacing such bytes keeps the
  // document writable.
  return {document.dump(-1, ' ', false, Json::error_handler_t::replace), ""};
}

}  // namespace svcmp
