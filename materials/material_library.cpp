#include "materials/material_library.h"

#include <bit>
#include <string_view>

#include "format/material_node_names.h"

namespace svcmp {
namespace {

constexpr std::string_view kRootName = "\\";

std::vector<std::uint8_t> TextLeaf(std::string_view text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

std::vector<std::uint8_t> WordsLeaf(std::initializer_list<std::uint32_t> words) {
  std::vector<std::uint8_t> bytes;
  for (std::uint32_t word : words)
    for (int shift = 0; shift < 32; shift += 8)
      bytes.push_back(static_cast<std::uint8_t>(word >> shift));
  return bytes;
}

std::uint32_t Bits(float value) { return std::bit_cast<std::uint32_t>(value); }

// The node named `name` under `parent`, emptied of its children and data,
// or a new last child.
UtfNode EmptyChild(UtfTree& tree, UtfNode parent, std::string_view name) {
  UtfNode node = tree.FindNode(parent, name);
  if (!node) return tree.AddNode(parent, name);
  while (UtfNode child = tree.FirstChild(node)) tree.RemoveSubtree(child);
  tree.ClearData(node);
  return node;
}

UtfNode FindOrAddChild(UtfTree& tree, UtfNode parent, std::string_view name) {
  UtfNode node = tree.FindNode(parent, name);
  return node ? node : tree.AddNode(parent, name);
}

void AddLeaf(UtfTree& tree, UtfNode parent, std::string_view name,
             std::vector<std::uint8_t> bytes) {
  tree.SetData(tree.AddNode(parent, name), std::move(bytes));
}

}  // namespace

void AddMaterialLibrary(UtfTree& tree, const std::vector<LibraryMaterial>& materials,
                        const std::vector<LibraryTexture>& textures) {
  UtfNode root = tree.Root() ? tree.Root() : tree.AddNode(nullptr, kRootName);
  if (!materials.empty()) {
    UtfNode library = FindOrAddChild(tree, root, kNodeMaterialLibrary);
    for (const LibraryMaterial& material : materials) {
      UtfNode node = EmptyChild(tree, library, material.name);
      const bool transparent = material.opacity < 1 || material.textureHasAlpha;
      AddLeaf(tree, node, kNodeType, TextLeaf(transparent ? kTypeTransparent : kTypeOpaque));
      const auto& dc = material.diffuse;
      AddLeaf(tree, node, kNodeDiffuseColour, WordsLeaf({Bits(dc[0]), Bits(dc[1]), Bits(dc[2])}));
      if (transparent) AddLeaf(tree, node, kNodeOpacity, WordsLeaf({Bits(material.opacity)}));
      if (!material.textureName.empty()) {
        AddLeaf(tree, node, kNodeDiffuseTextureName, TextLeaf(material.textureName));
        AddLeaf(tree, node, kNodeDiffuseTextureFlags, WordsLeaf({kDiffuseTextureFlags}));
      }
    }
  }
  if (!textures.empty()) {
    UtfNode library = FindOrAddChild(tree, root, kNodeTextureLibrary);
    for (const LibraryTexture& texture : textures)
      AddLeaf(tree, EmptyChild(tree, library, texture.name), kNodeMips, texture.dds);
  }
}

}  // namespace svcmp
