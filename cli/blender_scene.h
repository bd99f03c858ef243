#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "import/limited_process.h"
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

// Saves the GLB model at `glb` as the .blend file `blend`: runs Blender
// headless with cmptool's import script, under `limits`, which imports it
// with Blender's glTF importer (numpy's old bool alias put back where
// Blender 3.4's importer needs it) and saves it. Empty when written, else
// why, with Blender's last lines where it failed. Never throws.
[[nodiscard]] std::string SaveAsBlendFile(const std::filesystem::path& glb,
                                          const std::filesystem::path& blend,
                                          const std::optional<std::string>& program,
                                          const ProcessLimits& limits);

}  // namespace svcmp::cli
