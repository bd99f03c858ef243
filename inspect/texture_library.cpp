#include "inspect/texture_library.h"

#include <utility>

#include "format/material_node_names.h"
#include "inspect/node_lookup.h"

namespace svcmp {

std::vector<TextureEntry> DecodeTextureLibrary(const UtfTree& tree) {
  std::vector<TextureEntry> textures;
  UtfNode library = FindChildNoCase(tree, tree.Root(), kNodeTextureLibrary);
  for (UtfNode texture = library ? tree.FirstChild(library) : nullptr; texture;
       texture = tree.NextSibling(texture)) {
    TextureEntry entry;
    entry.name = tree.Name(texture);
    // Textures of other tools may keep their levels in leaves of their own.
    if (UtfNode mips = FindChildNoCase(tree, texture, kNodeMips)) {
      entry.mipsPath = NodePath(tree, mips);
      entry.header = ReadDdsHeader(LeafBytes(tree, mips));
    }
    textures.push_back(std::move(entry));
  }
  return textures;
}

}  // namespace svcmp
