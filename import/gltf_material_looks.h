#pragma once

#include <nlohmann/json.hpp>

#include "import/scene_document.h"

namespace svcmp {

// Gives each material of a glTF document (assimp's export of `scene`, which
// writes names only) the look the scene has for the material of that name:
// base colour and opacity, emission, blending, sides, the image files as
// textures (referred to by their file names, beside the model file) and the
// game's material as extras. Materials without a look stay as they are.
void AddGltfMaterialLooks(const SceneDocument& scene, nlohmann::ordered_json& gltf);

}  // namespace svcmp
