#include "inspect/node_lookup.h"

#include <algorithm>
#include <vector>

namespace svcmp {
namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool SameNameNoCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

std::string NameKey(std::string_view name) {
  std::string key(name);
  for (char& c : key) c = AsciiLower(c);
  return key;
}

UtfNode FindChildNoCase(const UtfTree& tree, UtfNode parent, std::string_view name) {
  if (parent == nullptr) return nullptr;
  for (UtfNode child = tree.FirstChild(parent); child; child = tree.NextSibling(child)) {
    if (SameNameNoCase(tree.Name(child), name)) return child;
  }
  return nullptr;
}

std::string NodePath(const UtfTree& tree, UtfNode node) {
  std::vector<UtfNode> chain;
  for (UtfNode at = node; at && tree.Parent(at); at = tree.Parent(at)) chain.push_back(at);
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) path += "/" + tree.Name(*it);
  return path.empty() ? "/" : path;
}

std::span<const std::uint8_t> LeafBytes(const UtfTree& tree, UtfNode node) {
  const DataBlock& data = tree.Data(node);
  if (!data) return {};
  return {data->data(), data->size()};
}

}  // namespace svcmp
