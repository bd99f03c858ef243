#pragma once

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "format/material_record.h"
#include "host/host_model.h"
#include "job/step_result.h"
#include "materials/material_library.h"
#include "plugin/mesh_records.h"
#include "utf/utf_tree.h"

namespace svcmp {

// The material library of one export: the materials its geometry meshes
// use, with their textures read, decoded and compressed. A texture that
// cannot be read or decoded is named in a warning; its material keeps its
// colour without a texture.
class MaterialExport {
 public:
  // Copies the model's materials, which the export destroys with the model.
  // Relative texture paths are relative to the folder of `modelPath`.
  MaterialExport(const std::vector<msMaterial>& materials, std::filesystem::path modelPath,
                 int maxTextureSide, std::function<void(const std::string&)> warn);

  // Builds the libraries for the geometry meshes of `meshList`.
  void Collect(const MeshList& meshList);

  // Adds what Collect built to `tree`.
  void AddTo(UtfTree& tree) const;

  // What Collect built as a material file of its own: added to the file at
  // `path` when `update` (and it exists), else a new one. A file there that
  // cannot be read is an error, so that its materials are not lost.
  StepResult<std::vector<std::uint8_t>> MaterialFileBytes(const std::filesystem::path& path,
                                                          bool update) const;

 private:
  // The texture's name in the library, its image read and compressed; empty
  // after a warning when it cannot be.
  std::string AddTexture(const msMaterial& material, bool& hasAlpha);
  // The same for the image file `file` of a material written leaf by leaf,
  // named `wanted` where it was converted from that texture, with the bytes
  // kept beside it where the picture still shows them.
  std::string AddGameTexture(const std::string& file, const std::string& wanted,
                             const std::string& material);

  // Tells `warning` about the texture from `source` the first time only:
  // materials that share it and the levels of --auto-lod collect it again.
  void WarnOnce(const std::string& source, const std::string& warning);

  std::vector<msMaterial> sources_;
  std::filesystem::path modelFolder_;
  int maxTextureSide_;
  std::function<void(const std::string&)> warn_;
  std::vector<LibraryMaterial> materials_;
  // Every material leaf by leaf, written instead of materials_ when one of
  // them says more than they can (a converted model's).
  std::vector<MaterialRecord> records_;
  bool gameLook_ = false;
  std::vector<LibraryTexture> textures_;
  // Each texture made, by where its image came from, so materials share it.
  struct KnownTexture {
    std::string source;
    std::string name;
    bool hasAlpha = false;
  };
  std::vector<KnownTexture> known_;
  std::set<std::string> unusable_;  // sources already warned about
};

}  // namespace svcmp
