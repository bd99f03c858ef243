#pragma once

#include <cstdint>
#include <string_view>

// The node names and fixed values of material and texture libraries, spelled
// once.
namespace svcmp {

inline constexpr std::string_view kNodeMaterialLibrary = "material library";
inline constexpr std::string_view kNodeTextureLibrary = "texture library";
inline constexpr std::string_view kNodeType = "Type";
inline constexpr std::string_view kNodeDiffuseColour = "Dc";
inline constexpr std::string_view kNodeOpacity = "Oc";
inline constexpr std::string_view kNodeDiffuseTextureName = "Dt_name";
inline constexpr std::string_view kNodeDiffuseTextureFlags = "Dt_flags";
inline constexpr std::string_view kNodeEmissiveColour = "Ec";
inline constexpr std::string_view kNodeEmissiveTextureName = "Et_name";
inline constexpr std::string_view kNodeEmissiveTextureFlags = "Et_flags";
inline constexpr std::string_view kNodeSecondTextureName = "Bt_name";
// The number of material folders, a u32 leaf first in the libraries the game
// ships.
inline constexpr std::string_view kNodeMaterialCount = "Material count";
inline constexpr std::string_view kNodeMips = "MIPS";
// The largest of a texture kept as TGA levels ("MIP0", "MIP1", ...).
inline constexpr std::string_view kNodeTopTgaMip = "MIP0";

// Material types: diffuse colour and texture, and with opacity.
inline constexpr std::string_view kTypeOpaque = "DcDt";
inline constexpr std::string_view kTypeTransparent = "DcDtOcOt";

// "Dt_flags" of every diffuse texture in the game's own files.
inline constexpr std::uint32_t kDiffuseTextureFlags = 64;

}  // namespace svcmp
