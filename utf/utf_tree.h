#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "utf/byte_block.h"

namespace svcmp {

class UtfNodeRecord;

// Handle of one node of a UtfTree; nullptr means "no node". A handle stays
// valid while other nodes are added or removed, until its own node is removed
// or the tree released.
using UtfNode = UtfNodeRecord*;

// A leaf's payload exactly as it goes into the file. "No data" (std::nullopt)
// and "a block of 0 bytes" are different states, though both are written as
// an empty leaf.
using DataBlock = std::optional<ByteBlock>;

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
  // Null when there is none. O(1) on average: the first lookup after nodes
  // were added indexes those nodes, so a tree that is only built and written
  // never pays for the index. Not to be called from two threads at once.
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
  // Replaces the node's data; the old block is released. A large vector
  // handed over becomes the block without a copy.
  void SetData(UtfNode node, ByteBlock bytes);
  void ClearData(UtfNode node);

  std::size_t NodeCount() const { return nodeCount_; }
  bool Empty() const { return nodeCount_ == 0; }
  // Every node in registry (creation) order, one at a time: the oldest
  // node, and the node registered after `node` (null after the newest).
  UtfNode OldestNode() const;
  UtfNode NewerNode(UtfNode node) const;

 private:
  // The oldest and the newest node of one name (or one name under one
  // parent); the nodes between are linked in creation order through the
  // records, so that finding the oldest and dropping any node are O(1).
  struct Chain {
    UtfNode oldest = nullptr;
    UtfNode newest = nullptr;
  };
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const noexcept;
  };
  struct ParentAndName {
    UtfNode parent;
    std::string name;
  };
  struct ParentAndNameView {
    UtfNode parent;
    std::string_view name;
  };
  struct ParentAndNameHash {
    using is_transparent = void;
    std::size_t operator()(const ParentAndName& key) const noexcept;
    std::size_t operator()(const ParentAndNameView& key) const noexcept;
  };
  struct ParentAndNameEqual {
    using is_transparent = void;
    template <typename A, typename B>
    bool operator()(const A& a, const B& b) const noexcept {
      return a.parent == b.parent && std::string_view(a.name) == std::string_view(b.name);
    }
  };

  UtfNode NewRecord();
  void IndexNewNodes() const;
  void IndexName(UtfNode node) const;
  void IndexChild(UtfNode node) const;
  void IndexChildren(UtfNode parent) const;
  void Unregister(UtfNode node);
  void Swap(UtfTree& other) noexcept;

  // Records live in blocks, each block twice the size of the one before,
  // and are constructed one by one as AddNode takes them, so a block is
  // written while it is filled rather than all at once; removed records wait
  // in a free list for the next AddNode. ReleaseAll destroys and frees them.
  struct RecordBlock {
    UtfNodeRecord* records;
    std::size_t size;
  };
  std::vector<RecordBlock> blocks_;
  std::size_t usedInLastBlock_ = 0;
  UtfNode freeRecords_ = nullptr;
  Chain registry_;
  std::size_t nodeCount_ = 0;
  // The indexes cover the registry up to this node; the newer nodes wait for
  // the next lookup that needs them.
  mutable UtfNode newestIndexed_ = nullptr;
  mutable std::unordered_map<std::string, Chain, NameHash, std::equal_to<>> byName_;
  // Only children of parents with many children: a child lookup under any
  // other parent walks its few children, which are in creation order.
  mutable std::unordered_map<ParentAndName, Chain, ParentAndNameHash, ParentAndNameEqual>
      byParentAndName_;
  UtfNode firstTop_ = nullptr;
  UtfNode lastTop_ = nullptr;
};

}  // namespace svcmp
