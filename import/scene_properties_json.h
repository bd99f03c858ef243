#pragma once

#include <nlohmann/json.hpp>
#include <vector>

#include "import/scene_document.h"

namespace svcmp {

// A node's custom properties as one JSON object, the form both the scene
// document and a glTF node's extras give them. `finite` turns false when a
// number is not finite, which JSON cannot hold.
nlohmann::ordered_json ScenePropertiesJson(const std::vector<SceneProperty>& properties,
                                           bool& finite);

}  // namespace svcmp
