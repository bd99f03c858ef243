#pragma once

#include <filesystem>
#include <string>

#include "import/model_file.h"
#include "import/scene_document.h"

namespace svcmp {

// Writes the scene as the model file `outputPath` (its format by extension,
// see export_formats.h) through the importer program, in a process of its
// own under the limits: the model-file library's exporter shares the risks
// of its importer. The scene travels through the file `scenePath`. Returns
// the message for the user, empty on success. Never throws.
[[nodiscard]] std::string ExportSceneThroughImporter(const SceneDocument& scene,
                                                     const std::filesystem::path& scenePath,
                                                     const std::filesystem::path& outputPath,
                                                     const ModelImport& import);

}  // namespace svcmp
