#pragma once

#include <string>

#include "host/model_file.h"

namespace svcmp {

// Reads a model file through assimp into the host model structure: meshes in
// depth-first node order with world-space positions, first texture channel,
// triangles only, and vertices with equal position and texture coordinates
// joined (hardpoint meshes are kept vertex for vertex, since their position is
// read from their first three vertices). Never throws; on failure the result
// holds no model and a message naming the file and the reason.
[[nodiscard]] ModelLoadResult LoadAssimpModel(const std::string& path);

}  // namespace svcmp
