#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "utf/utf_tree.h"

namespace svcmp {

// One material as the library stores it.
struct LibraryMaterial {
  std::string name;  // its id is what the mesh buffer's entries hold
  std::array<float, 3> diffuse = {1, 1, 1};
  float opacity = 1;
  std::string textureName;  // empty: no diffuse texture
  // The texture has alpha: the material is then drawn as transparent.
  bool textureHasAlpha = false;
};

// One texture: its DDS file with the mip chain.
struct LibraryTexture {
  std::string name;
  std::vector<std::uint8_t> dds;
};

// Adds "material library" and "texture library" under the first top-level
// node of `tree` ("\" is made when the tree is empty), finding each before it
// creates it. A material or texture already there is replaced in place, so
// an update leaves no stale leaf behind; others stay as they were.
void AddMaterialLibrary(UtfTree& tree, const std::vector<LibraryMaterial>& materials,
                        const std::vector<LibraryTexture>& textures);

}  // namespace svcmp
