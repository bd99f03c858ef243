#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "utf/utf_tree.h"

namespace svcmp::testing {

// Every node of `tree` in registry (creation) order.
inline std::vector<UtfNode> RegisteredNodes(const UtfTree& tree) {
  std::vector<UtfNode> nodes;
  for (UtfNode node = tree.OldestNode(); node != nullptr; node = tree.NewerNode(node))
    nodes.push_back(node);
  return nodes;
}

// One node entry of a hand-made file, word by word.
struct HandEntry {
  std::uint32_t sibling = 0;
  std::uint32_t name = 0;
  std::uint32_t flags = 0x10;
  std::uint32_t childOrData = 0;
  std::uint32_t dataSize = 0;
  std::uint32_t storedSize = 0;
  std::uint32_t unpackedSize = 0;
};

inline void PutWord(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline std::uint32_t GetWord(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | bytes[at + i];
  return value;
}

// A file laid out as the format prescribes, with the entries, name table
// (including its leading zero byte) and data area given.
inline std::vector<std::uint8_t> HandMadeUtf(const std::vector<HandEntry>& entries,
                                             std::string_view names,
                                             const std::vector<std::uint8_t>& data) {
  const std::uint32_t nodeTableSize = static_cast<std::uint32_t>(entries.size() * 44);
  const std::uint32_t nameSize = static_cast<std::uint32_t>(names.size());
  std::vector<std::uint8_t> bytes(56 + nodeTableSize + nameSize, 0);
  const std::uint32_t header[] = {0x20465455, 0x101, 56, nodeTableSize, 0, 44,
                                  56 + nodeTableSize, nameSize, nameSize,
                                  56 + nodeTableSize + nameSize};
  for (std::size_t i = 0; i < std::size(header); ++i) PutWord(bytes, i * 4, header[i]);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const HandEntry& e = entries[i];
    const std::uint32_t words[] = {e.sibling, e.name,     e.flags,      0,
                                   e.childOrData, e.dataSize, e.storedSize, e.unpackedSize};
    for (std::size_t w = 0; w < std::size(words); ++w) PutWord(bytes, 56 + i * 44 + w * 4, words[w]);
  }
  std::copy(names.begin(), names.end(), bytes.begin() + 56 + nodeTableSize);
  bytes.insert(bytes.end(), data.begin(), data.end());
  return bytes;
}

// The four-node example: "\" with folder A (leaf B, 4 bytes) and leaf C (2
// bytes), as the writer lays it out; 247 bytes.
inline std::vector<std::uint8_t> FourNodeExample() {
  using namespace std::string_view_literals;
  return HandMadeUtf({{0, 1, 0x10, 44, 0, 0, 0},
                      {132, 3, 0x10, 88, 0, 0, 0},
                      {0, 5, 0x80, 0, 4, 4, 4},
                      {0, 7, 0x80, 4, 2, 2, 2}},
                     "\0\\\0A\0B\0C\0"sv, {0xB0, 0xB1, 0xB2, 0xB3, 0xC0, 0xC1});
}

// The tree the four-node example holds, built in the same creation order.
inline void BuildFourNodeTree(UtfTree& tree) {
  UtfNode top = tree.AddNode(nullptr, "\\");
  UtfNode a = tree.AddNode(top, "A");
  tree.SetData(tree.AddNode(a, "B"), {0xB0, 0xB1, 0xB2, 0xB3});
  tree.SetData(tree.AddNode(top, "C"), {0xC0, 0xC1});
}

// One line per node in pre-order: depth, name and the data state, so that
// two trees compare with one EXPECT_EQ.
inline std::vector<std::string> Describe(const UtfTree& tree) {
  std::vector<std::string> lines;
  std::vector<std::pair<UtfNode, int>> pending;
  for (UtfNode top = tree.Root(); top; top = tree.NextSibling(top)) pending.emplace_back(top, 0);
  std::reverse(pending.begin(), pending.end());
  while (!pending.empty()) {
    auto [node, depth] = pending.back();
    pending.pop_back();
    std::string line = std::to_string(depth) + " " + tree.Name(node);
    if (const DataBlock& data = tree.Data(node)) {
      line += " [";
      for (std::uint8_t byte : *data) line += std::to_string(byte) + ",";
      line += "]";
    }
    lines.push_back(line);
    std::vector<std::pair<UtfNode, int>> children;
    for (UtfNode c = tree.FirstChild(node); c; c = tree.NextSibling(c)) children.emplace_back(c, depth + 1);
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
  return lines;
}

}  // namespace svcmp::testing
