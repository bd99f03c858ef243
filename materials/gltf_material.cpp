#include "materials/gltf_material.h"

#include <algorithm>
#include <string_view>
#include <tuple>

#include "format/material_node_names.h"

namespace svcmp {
namespace {

// The released types that glTF can say all begin with "Dc" and name their
// parts in this order.
constexpr std::string_view kColourTypePrefix = "DcDt";
constexpr std::string_view kSecond = "Bt";
constexpr std::string_view kEmissiveColour = "Ec";
constexpr std::string_view kEmissiveTexture = "Et";
constexpr std::string_view kOpacity = "OcOt";
constexpr std::string_view kTwoSided = "Two";

constexpr std::string_view kOpacityLeaf = "Oc";

bool Names(std::string_view type, std::string_view part) {
  return type.find(part) != std::string_view::npos;
}

bool IsColourType(std::string_view type) { return type.starts_with(kColourTypePrefix); }

struct Look {
  bool second = false, emissiveColour = false, emissiveTexture = false, blend = false,
       twoSided = false;
};

Look LookOfType(std::string_view type) {
  return {Names(type, kSecond), Names(type, kEmissiveColour), Names(type, kEmissiveTexture),
          Names(type, kOpacity), type.ends_with(kTwoSided)};
}

std::string TypeOfLook(const Look& look) {
  std::string type(kColourTypePrefix);
  if (look.second) type += kSecond;
  if (look.emissiveColour) type += kEmissiveColour;
  if (look.emissiveTexture) type += kEmissiveTexture;
  if (look.blend) type += kOpacity;
  if (look.twoSided) type += kTwoSided;
  return type;
}

template <typename T>
const T* ValueOf(const MaterialRecord& material, std::string_view leaf) {
  const MaterialLeaf* found = material.Find(leaf);
  return found ? std::get_if<T>(&found->value) : nullptr;
}

// Sets the leaf's value where the material has it, else adds it after the
// leaves it has.
void Put(MaterialRecord& material, std::string_view leaf, MaterialLeafValue value) {
  for (MaterialLeaf& own : material.leaves) {
    if (own.name == leaf) {
      own.value = std::move(value);
      return;
    }
  }
  material.leaves.push_back({std::string(leaf), std::move(value)});
}

// A colour as Put does, but one beyond 0 to 1 (atmospheres glow up to 1.3)
// stays while the modelling program shows it as it shows colours: clamped.
void PutColour(MaterialRecord& material, std::string_view leaf, const MaterialColour& shown) {
  if (const auto* was = ValueOf<MaterialColour>(material, leaf)) {
    MaterialColour clamped = *was;
    for (float& channel : clamped) channel = std::clamp(channel, 0.0f, 1.0f);
    if (clamped == shown) return;
  }
  Put(material, leaf, shown);
}

void Drop(MaterialRecord& material, std::string_view leaf) {
  std::erase_if(material.leaves, [leaf](const MaterialLeaf& own) { return own.name == leaf; });
}

// A texture's name and flags: the flags kept where it had them, 64 for a new one.
void PutTexture(MaterialRecord& material, std::string_view nameLeaf, std::string_view flagsLeaf,
                const std::string& texture) {
  if (texture.empty()) {
    Drop(material, nameLeaf);
    Drop(material, flagsLeaf);
    return;
  }
  Put(material, nameLeaf, texture);
  if (!material.Find(flagsLeaf)) Put(material, flagsLeaf, kDiffuseTextureFlags);
}

}  // namespace

GltfMaterial GltfMaterialOf(const MaterialRecord& material) {
  GltfMaterial gltf;
  gltf.name = material.name;
  if (const auto* dc = ValueOf<MaterialColour>(material, kNodeDiffuseColour)) {
    std::copy(dc->begin(), dc->end(), gltf.baseColour.begin());
  }
  if (const auto* ec = ValueOf<MaterialColour>(material, kNodeEmissiveColour)) gltf.emissive = *ec;
  if (const auto* texture = ValueOf<std::string>(material, kNodeDiffuseTextureName)) {
    gltf.baseTexture = *texture;
  }
  if (const auto* texture = ValueOf<std::string>(material, kNodeEmissiveTextureName)) {
    gltf.emissiveTexture = *texture;
  }
  const Look look = LookOfType(material.type);
  gltf.blend = IsColourType(material.type) && look.blend;
  gltf.doubleSided = IsColourType(material.type) && look.twoSided;
  if (const auto* oc = ValueOf<float>(material, kOpacityLeaf)) gltf.baseColour[3] = *oc;
  return gltf;
}

MaterialRecord MaterialOfGltf(const GltfMaterial& gltf,
                              const std::optional<MaterialRecord>& original) {
  MaterialRecord material = original.value_or(MaterialRecord{});
  material.name = gltf.name;
  const std::array<float, 3> diffuse{gltf.baseColour[0], gltf.baseColour[1], gltf.baseColour[2]};
  const bool white = diffuse == std::array<float, 3>{1, 1, 1};
  // A released material without "Dc" stays without it while glTF shows white.
  if (!original || !white || material.Find(kNodeDiffuseColour)) {
    PutColour(material, kNodeDiffuseColour, diffuse);
  }
  const bool glows = gltf.emissive != std::array<float, 3>{0, 0, 0};
  if (glows || material.Find(kNodeEmissiveColour)) {
    PutColour(material, kNodeEmissiveColour, gltf.emissive);
  }
  PutTexture(material, kNodeDiffuseTextureName, kNodeDiffuseTextureFlags, gltf.baseTexture);
  PutTexture(material, kNodeEmissiveTextureName, kNodeEmissiveTextureFlags, gltf.emissiveTexture);
  const float opacity = gltf.baseColour[3];
  if ((gltf.blend && opacity < 1) || material.Find(kOpacityLeaf))
    Put(material, kOpacityLeaf, opacity);

  if (original && !IsColourType(original->type)) return material;  // planets, nebulae keep theirs
  // The type stays while the look glTF shows is the one it had: a released
  // type may name a leaf its material lacks ("DcDtOcOt" without "Oc").
  const auto shown = [](const GltfMaterial& look) {
    return std::tuple(look.emissive != std::array<float, 3>{0, 0, 0}, !look.emissiveTexture.empty(),
                      look.blend, look.doubleSided);
  };
  if (!original || shown(GltfMaterialOf(*original)) != shown(gltf)) {
    material.type = TypeOfLook({material.Find(kNodeSecondTextureName) != nullptr,
                                material.Find(kNodeEmissiveColour) != nullptr,
                                !gltf.emissiveTexture.empty(), gltf.blend, gltf.doubleSided});
  }
  return material;
}

std::string TextureFileStem(const std::string& texture) {
  std::string safe = texture.empty() ? std::string("texture") : texture;
  for (char& c : safe) {
    const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '.' || c == '-' || c == '_';
    if (!kept) c = '_';
  }
  return safe;
}

std::string PictureFileName(const std::string& texture) { return TextureFileStem(texture) + ".png"; }

}  // namespace svcmp
