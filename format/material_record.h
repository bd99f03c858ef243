#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// A material as a material library keeps it: its name, its type and every
// leaf of its folder in the file's order, each read by the meaning its name
// gives it. The read side and the write side share it, so that a material
// read and written again keeps its leaves.
namespace svcmp {

using MaterialColour = std::array<float, 3>;
// A leaf whose name we do not know keeps its bytes as they were.
using MaterialLeafValue =
    std::variant<std::string, MaterialColour, float, std::uint32_t, std::vector<std::uint8_t>>;

struct MaterialLeaf {
  std::string name;
  MaterialLeafValue value;
  bool operator==(const MaterialLeaf&) const = default;
};

struct MaterialRecord {
  std::string name;
  std::string type;                  // the "Type" leaf
  std::vector<MaterialLeaf> leaves;  // every other leaf, in the folder's order
  bool operator==(const MaterialRecord&) const = default;

  const MaterialLeaf* Find(std::string_view leaf) const {
    for (const MaterialLeaf& own : leaves) {
      if (own.name == leaf) return &own;
    }
    return nullptr;
  }
};

enum class MaterialLeafKind { Text, Colour, Number, Flags, Bytes };

// What a leaf of this name holds: names of textures are text, "Dc", "Ec" and
// "Ac" colours, "*_flags" words, the known scalars floats; anything else is
// kept as bytes.
inline MaterialLeafKind MaterialLeafKindOf(std::string_view name) {
  const auto endsWith = [name](std::string_view end) {
    return name.size() >= end.size() && name.substr(name.size() - end.size()) == end;
  };
  if (endsWith("_name")) return MaterialLeafKind::Text;
  if (endsWith("_flags")) return MaterialLeafKind::Flags;
  if (name == "Dc" || name == "Ec" || name == "Ac") return MaterialLeafKind::Colour;
  for (std::string_view scalar :
       {"Oc", "Alpha", "Fade", "Scale", "TileRate", "TileRate0", "TileRate1", "flip u", "flip v"}) {
    if (name == scalar) return MaterialLeafKind::Number;
  }
  return MaterialLeafKind::Bytes;
}

}  // namespace svcmp
