#pragma once

#include <array>
#include <optional>
#include <string>

#include "format/material_record.h"

// A material as glTF says it (metallic-roughness with emission), and the way
// between it and the game's material types. What glTF cannot say (the type's
// name, flags, second textures, detail maps, atmosphere values) travels
// beside it as the whole material, so it comes back unchanged.
namespace svcmp {

struct GltfMaterial {
  std::string name;
  std::array<float, 4> baseColour{1, 1, 1, 1};  // "Dc" and, when blended, "Oc"
  std::array<float, 3> emissive{0, 0, 0};       // "Ec"
  std::string baseTexture;                      // "Dt_name": the texture library's name
  std::string emissiveTexture;                  // "Et_name"
  bool blend = false;                           // alpha mode BLEND: the type's "OcOt"
  bool doubleSided = false;                     // the type's "Two"
};

// The glTF properties of a material; colours it lacks are glTF's defaults.
GltfMaterial GltfMaterialOf(const MaterialRecord& material);

// The material to write for `gltf`. With the material it was converted from
// (`original`, as it travelled beside), the type and every leaf come back,
// the glTF's colours, opacity and textures taking the place of theirs; a
// changed look (emission added, two-sidedness or blending switched) picks
// the released type that says it. Without one, the released "Dc..." type of
// the look, with "Dc" always and flags of 64 for each texture.
MaterialRecord MaterialOfGltf(const GltfMaterial& gltf,
                              const std::optional<MaterialRecord>& original);

// The name a converted model's files take for the library's texture
// `texture`: what file systems may refuse in it made '_' ("texture" for
// none), without an extension; the picture beside the model is that with
// ".png".
std::string TextureFileStem(const std::string& texture);
std::string PictureFileName(const std::string& texture);

}  // namespace svcmp
