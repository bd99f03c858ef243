#pragma once

#include <string>

#include "import/model_file.h"
#include "import/model_format.h"

namespace svcmp {

// Reads a model file through assimp, with the reader of the supported
// formats only, into the host model structure: meshes in depth-first node
// order with world-space positions, first texture channel, triangles only,
// and vertices with equal position and texture coordinates joined (hardpoint
// meshes are kept vertex for vertex, since their position is read from their
// first three vertices). On failure the result holds no model and a message
// naming the file and the reason; format names the format in that message.
// Throws std::bad_alloc when memory runs out, so that the program can say so;
// nothing else.
[[nodiscard]] ModelLoadResult LoadAssimpModel(const std::string& path, ModelFormat format);

}  // namespace svcmp
