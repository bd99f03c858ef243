#pragma once

#include <string>

#include "host/host_model.h"
#include "import/model_format.h"

namespace svcmp {

// Adds to each material of `model` what the glTF or GLB file at `path` says
// of the material of that name beyond what assimp gives: the emissive colour
// and texture (an image file the file refers to), blending, sides, and the
// game's material a converted model keeps in the material's extras. Other
// formats and files whose JSON cannot be read are left as they are.
void AddGltfMaterialFacts(const std::string& path, ModelFormat format, msModel& model);

}  // namespace svcmp
