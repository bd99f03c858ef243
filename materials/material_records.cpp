#include "materials/material_records.h"

#include <algorithm>
#include <bit>
#include <string_view>
#include <type_traits>

#include "format/material_node_names.h"

namespace svcmp {
namespace {

constexpr std::string_view kRootName = "\\";

void AppendWord(std::vector<std::uint8_t>& bytes, std::uint32_t word) {
  for (int shift = 0; shift < 32; shift += 8)
    bytes.push_back(static_cast<std::uint8_t>(word >> shift));
}

std::vector<std::uint8_t> TextBytes(std::string_view text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

// The library's material folders: its children without data but the count.
std::uint32_t FolderCount(const UtfTree& tree, UtfNode library, UtfNode countLeaf) {
  std::uint32_t count = 0;
  for (UtfNode child = tree.FirstChild(library); child; child = tree.NextSibling(child)) {
    if (child != countLeaf && !tree.Data(child)) ++count;
  }
  return count;
}

// The child named `name` in any letter case: released libraries spell the
// library's node three ways.
UtfNode FindChildNoCase(const UtfTree& tree, UtfNode parent, std::string_view name) {
  const auto lower = [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  };
  for (UtfNode child = tree.FirstChild(parent); child; child = tree.NextSibling(child)) {
    const std::string& own = tree.Name(child);
    if (std::ranges::equal(own, name, {}, lower, lower)) return child;
  }
  return nullptr;
}

}  // namespace

std::vector<std::uint8_t> MaterialLeafBytes(const MaterialLeafValue& value) {
  return std::visit(
      [](const auto& held) -> std::vector<std::uint8_t> {
        using Held = std::decay_t<decltype(held)>;
        std::vector<std::uint8_t> bytes;
        if constexpr (std::is_same_v<Held, std::string>) {
          bytes = TextBytes(held);
        } else if constexpr (std::is_same_v<Held, MaterialColour>) {
          for (float channel : held) AppendWord(bytes, std::bit_cast<std::uint32_t>(channel));
        } else if constexpr (std::is_same_v<Held, float>) {
          AppendWord(bytes, std::bit_cast<std::uint32_t>(held));
        } else if constexpr (std::is_same_v<Held, std::uint32_t>) {
          AppendWord(bytes, held);
        } else {
          bytes = held;
        }
        return bytes;
      },
      value);
}

void AddMaterialRecords(UtfTree& tree, const std::vector<MaterialRecord>& materials) {
  if (materials.empty()) return;
  UtfNode root = tree.Root() ? tree.Root() : tree.AddNode(nullptr, kRootName);
  UtfNode library = FindChildNoCase(tree, root, kNodeMaterialLibrary);
  UtfNode count = nullptr;
  if (!library) {
    library = tree.AddNode(root, kNodeMaterialLibrary);
    count = tree.AddNode(library, kNodeMaterialCount);
  } else {
    count = FindChildNoCase(tree, library, kNodeMaterialCount);
  }
  for (const MaterialRecord& material : materials) {
    UtfNode node = tree.FindNode(library, material.name);
    if (node) {
      while (UtfNode child = tree.FirstChild(node)) tree.RemoveSubtree(child);
      tree.ClearData(node);
    } else {
      node = tree.AddNode(library, material.name);
    }
    tree.SetData(tree.AddNode(node, kNodeType), TextBytes(material.type));
    for (const MaterialLeaf& leaf : material.leaves) {
      tree.SetData(tree.AddNode(node, leaf.name), MaterialLeafBytes(leaf.value));
    }
  }
  if (!count) count = tree.AddNode(library, kNodeMaterialCount);
  std::vector<std::uint8_t> word;
  AppendWord(word, FolderCount(tree, library, count));
  tree.SetData(count, std::move(word));
}

}  // namespace svcmp
