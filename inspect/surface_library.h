#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "utf/utf_tree.h"

// What a model's surfaces look like, as its material and texture libraries
// say: the material's diffuse colour and texture, and each texture's image
// as stored. Released models keep these libraries in files of their own.
namespace svcmp {

struct MaterialLook {
  std::string name;
  std::optional<std::array<float, 3>> diffuse;  // "Dc": red, green, blue from 0 to 1
  std::string textureName;                      // "Dt_name"; empty without a texture
};

enum class TextureImageKind { Dds, Tga };

// The largest level of a texture as the library keeps it: a DDS file with
// its mip levels ("MIPS"), or the first of the TGA levels ("MIP0").
struct TextureImageBytes {
  TextureImageKind kind = TextureImageKind::Dds;
  std::vector<std::uint8_t> bytes;
};

struct SurfaceLibrary {
  std::map<std::uint32_t, MaterialLook> materials;      // by the name id mesh records use
  std::map<std::string, TextureImageBytes> textures;  // by name in lower case

  // The texture named `name` in any letter case, or null.
  const TextureImageBytes* FindTexture(std::string_view name) const;
};

// Adds the materials and textures of the tree's libraries to `library`;
// names already present stay. Never reads outside a leaf.
void AddSurfaces(const UtfTree& tree, SurfaceLibrary& library);

}  // namespace svcmp
