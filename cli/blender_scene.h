#pragma once

#include <optional>
#include <string>

#include "import/model_file.h"
#include "job/export_options.h"

// .blend files in: the Blender the user has installed exports the scene as
// GLB, which is then imported as any model file.
namespace svcmp::cli {

// Loads the .blend file at `path`: runs Blender headless with cmptool's
// export script (custom properties, node tree, modifiers applied, images
// inside) into a scratch folder, under the importer's limits, and imports
// the GLB it writes. Messages name the .blend file; when Blender fails, its
// last lines of output follow. Never throws.
[[nodiscard]] ModelLoadResult LoadBlendFile(const std::string& path, const BlenderChoice& blender,
                                            const ModelImport& import);

}  // namespace svcmp::cli
