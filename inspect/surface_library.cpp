#include "inspect/surface_library.h"

#include <utility>

#include "format/material_node_names.h"
#include "format/name_crc.h"
#include "inspect/leaf_reader.h"
#include "inspect/node_lookup.h"

namespace svcmp {
namespace {

std::string LowerCase(std::string_view name) {
  std::string lower(name);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

MaterialLook ReadMaterial(const UtfTree& tree, UtfNode material) {
  MaterialLook look;
  look.name = tree.Name(material);
  if (UtfNode colour = FindChildNoCase(tree, material, kNodeDiffuseColour)) {
    const LeafReader reader(LeafBytes(tree, colour));
    if (reader.Holds(0, 12)) look.diffuse = reader.Floats<3>(0);
  }
  if (UtfNode texture = FindChildNoCase(tree, material, kNodeDiffuseTextureName)) {
    const LeafReader reader(LeafBytes(tree, texture));
    look.textureName = reader.Text(0, reader.Size());
  }
  return look;
}

}  // namespace

const TextureImageBytes* SurfaceLibrary::FindTexture(std::string_view name) const {
  const auto found = textures.find(LowerCase(name));
  return found == textures.end() ? nullptr : &found->second;
}

void AddSurfaces(const UtfTree& tree, SurfaceLibrary& library) {
  UtfNode materials = FindChildNoCase(tree, tree.Root(), kNodeMaterialLibrary);
  for (UtfNode material = materials ? tree.FirstChild(materials) : nullptr; material;
       material = tree.NextSibling(material)) {
    if (tree.Data(material)) continue;  // "Material count", beside the materials
    library.materials.emplace(NameCrc(tree.Name(material)), ReadMaterial(tree, material));
  }
  UtfNode textures = FindChildNoCase(tree, tree.Root(), kNodeTextureLibrary);
  for (UtfNode texture = textures ? tree.FirstChild(textures) : nullptr; texture;
       texture = tree.NextSibling(texture)) {
    TextureImageBytes image;
    if (UtfNode mips = FindChildNoCase(tree, texture, kNodeMips)) {
      const auto bytes = LeafBytes(tree, mips);
      image.bytes.assign(bytes.begin(), bytes.end());
    } else if (UtfNode top = FindChildNoCase(tree, texture, kNodeTopTgaMip)) {
      const auto bytes = LeafBytes(tree, top);
      image = {TextureImageKind::Tga, {bytes.begin(), bytes.end()}};
    } else {
      continue;
    }
    library.textures.emplace(LowerCase(tree.Name(texture)), std::move(image));
  }
}

}  // namespace svcmp
