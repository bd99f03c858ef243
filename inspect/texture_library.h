#pragma once

#include <optional>
#include <string>
#include <vector>

#include "inspect/dds_header_decoder.h"
#include "utf/utf_tree.h"

namespace svcmp {

// One texture of a "texture library" and what its DDS file says of itself.
struct TextureEntry {
  std::string name;
  std::string mipsPath;                   // the node path of its "MIPS" leaf
  std::optional<DdsHeaderResult> header;  // none when it has no "MIPS" leaf
};

// The textures of the tree's "texture library", in the file's order; none
// without one. Never reads outside a leaf.
std::vector<TextureEntry> DecodeTextureLibrary(const UtfTree& tree);

}  // namespace svcmp
