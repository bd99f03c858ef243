#include "cli/convert_materials.h"

#include <cmath>
#include <map>
#include <optional>

#include "format/name_crc.h"
#include "materials/gltf_material.h"
#include "render/png_encoder.h"
#include "render/texture_decoder.h"

namespace svcmp::cli {
namespace {

// Each texture once, under the picture's file name; empty when it could not
// be written.
class TextureFiles {
 public:
  TextureFiles(const SurfaceLibrary& library, ConvertedMaterials& out)
      : library_(library), out_(out) {}

  std::string Picture(const std::string& texture, const std::string& material) {
    const auto known = done_.find(texture);
    if (known != done_.end()) return known->second;
    std::string& file = done_[texture];
    const TextureImageBytes* stored = library_.FindTexture(texture);
    if (!stored) {
      out_.warnings.push_back("texture " + texture + " of material " + material +
                              " is in no texture library read; the material is written without it");
      return file;
    }
    const render::DecodedTexture decoded = render::DecodeTexture(*stored);
    std::vector<std::uint8_t> png;
    if (decoded.image) png = render::EncodePng(*decoded.image);
    if (png.empty()) {
      out_.warnings.push_back("texture " + texture + " of material " + material +
                              " cannot be decoded" +
                              (decoded.reason.empty() ? "" : " (" + decoded.reason + ")") +
                              "; the material is written without it");
      return file;
    }
    const std::string picture = PictureFileName(texture);
    if (!taken_.emplace(picture, texture).second) {
      out_.warnings.push_back("textures " + taken_[picture] + " and " + texture +
                              " would both be written as " + picture + "; " + texture +
                              " is left out");
      return file;
    }
    out_.files.push_back({picture, std::move(png)});
    out_.files.push_back({KeptFileName(texture, stored->kind), stored->bytes});
    return file = picture;
  }

 private:
  const SurfaceLibrary& library_;
  ConvertedMaterials& out_;
  std::map<std::string, std::string> done_;   // texture name -> picture file
  std::map<std::string, std::string> taken_;  // picture file -> texture name
};

// JSON, and so glTF, holds no infinite or undefined number.
bool Finite(const MaterialRecord& material) {
  for (const MaterialLeaf& leaf : material.leaves) {
    if (const auto* number = std::get_if<float>(&leaf.value); number && !std::isfinite(*number)) {
      return false;
    }
    if (const auto* colour = std::get_if<MaterialColour>(&leaf.value)) {
      for (float channel : *colour) {
        if (!std::isfinite(channel)) return false;
      }
    }
  }
  return true;
}

}  // namespace

std::string KeptFileName(const std::string& texture, TextureImageKind kind) {
  return TextureFileStem(texture) + (kind == TextureImageKind::Tga ? ".tga" : ".dds");
}

ConvertedMaterials ConvertMaterials(const std::vector<std::string>& materials,
                                    const std::vector<MaterialRecord>& records,
                                    const SurfaceLibrary& textures) {
  ConvertedMaterials out;
  std::map<std::uint32_t, const MaterialRecord*> byId;
  for (const MaterialRecord& record : records) byId.emplace(NameCrc(record.name), &record);
  TextureFiles files(textures, out);
  bool anyKnown = false;
  for (const std::string& name : materials) {
    SceneMaterialLook& look = out.looks.emplace_back();
    const auto found = byId.find(NameCrc(name));
    if (found == byId.end()) continue;
    anyKnown = true;
    const MaterialRecord& record = *found->second;
    if (!Finite(record)) {
      out.warnings.push_back("material " + name +
                             " has a number that is not finite; it is written without its look");
      continue;
    }
    const GltfMaterial gltf = GltfMaterialOf(record);
    look.baseColour = gltf.baseColour;
    look.emissive = gltf.emissive;
    look.blend = gltf.blend;
    look.doubleSided = gltf.doubleSided;
    if (!gltf.baseTexture.empty()) look.baseTexture = files.Picture(gltf.baseTexture, name);
    if (!gltf.emissiveTexture.empty()) {
      look.emissiveTexture = files.Picture(gltf.emissiveTexture, name);
    }
    look.original = record;
    look.original->name = name;
  }
  if (!anyKnown) out.looks.clear();
  return out;
}

}  // namespace svcmp::cli
