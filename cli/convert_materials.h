#pragma once

#include "materials/gltf_material.h"

#include <cstdint>
#include <string>
#include <vector>

#include "format/material_record.h"
#include "import/scene_document.h"
#include "inspect/surface_library.h"

namespace svcmp::cli {

// A file to write beside the converted model.
struct SideFile {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

struct ConvertedMaterials {
  std::vector<SceneMaterialLook> looks;  // one per material; none when no material is known
  std::vector<SideFile> files;           // each texture as PNG, and as the library stored it
  std::vector<std::string> warnings;
};

std::string KeptFileName(const std::string& texture, TextureImageKind kind);

// The glTF look of each of the scene's materials (by name, matched to
// `records` by name id), with the diffuse and emissive textures of
// `textures` decoded to PNG and kept as they were stored. A texture that is
// missing or cannot be decoded is left out of the look with a warning that
// names it and its material; a material with a number that is not finite
// keeps glTF's default look, with a warning.
ConvertedMaterials ConvertMaterials(const std::vector<std::string>& materials,
                                    const std::vector<MaterialRecord>& records,
                                    const SurfaceLibrary& textures);

}  // namespace svcmp::cli
