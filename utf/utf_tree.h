#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace svcmp {

class UtfNodeRecord;

// Handle of one node of a UtfTree; nullptr means "no node". A handle stays
// valid while other nodes are added or removed, until its own node is removed
// or the tree released.
using UtfNode = UtfNodeRecord*;

// A leaf's payload exactly as it goes into the file. "No data" (std::nullopt)
// and "a block of 0 bytes" are different states, though both are written as
// an empty leaf.
using DataBlock = std::optional<std::vector<std::uint8_t>>;

// The in-memory node tree of a UTF file: named nodes with optional data, in a
// registry kept in creation order. Registry order decides which node FindNode
// returns among equal names and the order of the written name table.
class UtfTree {
 public:
  UtfTree();
  ~UtfTree();
  UtfTree(const UtfTree&) = delete;
  UtfTree& operator=(const UtfTree&) = delete;
  UtfTree(UtfTree&&) noexcept;
  UtfTree& operator=(UtfTree&&) noexcept;

  // Adds a node named `name` as the last child of `parent` (top level when
  // null), without data, at the end of the registry.
  UtfNode AddNode(UtfNode parent, std::string_view name);

  // The oldest registered node named exactly `name` (bytes, case-sensitive):
  // anywhere in the tree when `parent` is null, else among parent's children.
  // Null when there is none. O(1) on average.
  UtfNode FindNode(UtfNode parent, std::string_view name) const;

  // Removes `node` with all its descendants and their data; its siblings stay.
  void RemoveSubtree(UtfNode node);

  // Removes every node and its data; the tree is empty afterwards.
  void ReleaseAll();

  // Navigation; each gives null where there is no such node.
  UtfNode Root() const;  // the first top-level node
  UtfNode Parent(UtfNode node) const;
  UtfNode FirstChild(UtfNode node) const;
  UtfNode NextSibling(UtfNode node) const;

  const std::string& Name(UtfNode node) const;
  const DataBlock& Data(UtfNode node) const;
  // Replaces the node's data; the old block is released.
  void SetData(UtfNode node, std::vector<std::uint8_t> bytes);
  void ClearData(UtfNode node);

  std::size_t NodeCount() const { return registry_.size(); }
  bool Empty() const { return registry_.empty(); }
  // Every node in registry (creation) order.
  std::vector<UtfNode> RegisteredNodes() const;

 private:
  struct ParentAndName {
    UtfNode parent;
    std::string name;
    bool operator==(const ParentAndName&) const = default;
  };
  struct ParentAndNameHash {
    std::size_t operator()(const ParentAndName& key) const noexcept;
  };
  // Nodes of one name (or one name under one parent) by creation serial, so
  // the first entry is the one the registry walk would meet first.
  using NodesBySerial = std::map<std::uint64_t, UtfNode>;

  void Unregister(UtfNode node);

  std::map<std::uint64_t, std::unique_ptr<UtfNodeRecord>> registry_;
  std::unordered_map<std::string, NodesBySerial> byName_;
  std::unordered_map<ParentAndName, NodesBySerial, ParentAndNameHash> byParentAndName_;
  UtfNode firstTop_ = nullptr;
  UtfNode lastTop_ = nullptr;
  std::uint64_t nextSerial_ = 0;
};

}  // namespace svcmp
