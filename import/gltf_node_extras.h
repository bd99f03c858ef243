#pragma once

#include <string>

#include "import/scene_document.h"

namespace svcmp {

// Writes each scene node's properties into the glTF or GLB file (`format`
// "gltf2" or "glb2") that assimp made of the scene at `path`, as that node's
// extras: assimp's exporter leaves node metadata out; and each material's
// look (AddGltfMaterialLooks). Other formats, and scenes without properties
// or looks, are left as they are. The file's nodes are
// matched to the scene's by the tree's shape and names; a file that does not
// match is not changed and the message says so. Returns the message, empty on
// success.
[[nodiscard]] std::string AddGltfNodeExtras(const SceneDocument& scene, const std::string& format,
                                            const std::string& path);

}  // namespace svcmp
