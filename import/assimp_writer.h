#pragma once

#include <string>

#include "import/scene_document.h"

namespace svcmp {

// Writes the scene through assimp's exporter in `format` (as ExportFormatFor
// in import/export_formats.h gives it) to `path`; formats with side files (.bin, .mtl) put them
// beside it. Returns the message, empty on success. Throws std::bad_alloc when memory runs out, so
// that the program can say so; nothing else.
[[nodiscard]] std::string WriteAssimpScene(const SceneDocument& scene, const std::string& format,
                                           const std::string& path);

}  // namespace svcmp
