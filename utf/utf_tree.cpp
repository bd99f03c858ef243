#include "utf/utf_tree.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace svcmp {

class UtfNodeRecord {
 public:
  std::string name;
  DataBlock data;
  UtfNode parent = nullptr;
  UtfNode firstChild = nullptr;
  UtfNode lastChild = nullptr;
  UtfNode previousSibling = nullptr;
  UtfNode nextSibling = nullptr;
  // Creation order: among all nodes, among nodes of this name, and among
  // nodes of this name under this parent.
  UtfNode olderNode = nullptr;
  UtfNode newerNode = nullptr;
  UtfNode olderOfName = nullptr;
  UtfNode newerOfName = nullptr;
  UtfNode olderOfNameHere = nullptr;
  UtfNode newerOfNameHere = nullptr;
  std::size_t childCount = 0;
  bool childrenIndexed = false;  // its children are in byParentAndName_
};

namespace {

// From this many children on, a parent's children are found through the index.
constexpr std::size_t kIndexedChildren = 16;
constexpr std::size_t kFirstBlock = 16;
constexpr std::size_t kLargestBlock = 4096;

// Links `node` as the newest of `chain`; `older` and `newer` pick the links
// of the chain's kind.
void Append(UtfNode node, UtfNode& oldest, UtfNode& newest, UtfNode UtfNodeRecord::*older,
            UtfNode UtfNodeRecord::*newer) {
  node->*older = newest;
  (newest ? newest->*newer : oldest) = node;
  newest = node;
}

void Unlink(UtfNode node, UtfNode& oldest, UtfNode& newest, UtfNode UtfNodeRecord::*older,
            UtfNode UtfNodeRecord::*newer) {
  (node->*older ? node->*older->*newer : oldest) = node->*newer;
  (node->*newer ? node->*newer->*older : newest) = node->*older;
}

}  // namespace

std::size_t UtfTree::NameHash::operator()(std::string_view name) const noexcept {
  return std::hash<std::string_view>{}(name);
}

std::size_t UtfTree::ParentAndNameHash::operator()(const ParentAndNameView& key) const noexcept {
  const std::size_t h = std::hash<std::string_view>{}(key.name);
  return h ^ (std::hash<const void*>{}(key.parent) + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2));
}

std::size_t UtfTree::ParentAndNameHash::operator()(const ParentAndName& key) const noexcept {
  return (*this)(ParentAndNameView{key.parent, key.name});
}

UtfTree::UtfTree() = default;
UtfTree::~UtfTree() { ReleaseAll(); }
UtfTree::UtfTree(UtfTree&& other) noexcept { Swap(other); }
UtfTree& UtfTree::operator=(UtfTree&& other) noexcept {
  if (this != &other) {
    ReleaseAll();
    Swap(other);
  }
  return *this;
}

void UtfTree::Swap(UtfTree& other) noexcept {
  blocks_.swap(other.blocks_);
  std::swap(lastBlockSize_, other.lastBlockSize_);
  std::swap(usedInLastBlock_, other.usedInLastBlock_);
  std::swap(freeRecords_, other.freeRecords_);
  std::swap(registry_, other.registry_);
  std::swap(nodeCount_, other.nodeCount_);
  byName_.swap(other.byName_);
  byParentAndName_.swap(other.byParentAndName_);
  std::swap(firstTop_, other.firstTop_);
  std::swap(lastTop_, other.lastTop_);
}

UtfNode UtfTree::NewRecord() {
  if (freeRecords_ != nullptr) {
    UtfNode node = freeRecords_;
    freeRecords_ = node->newerNode;
    node->newerNode = nullptr;
    return node;
  }
  if (usedInLastBlock_ == lastBlockSize_) {
    const std::size_t size =
        blocks_.empty() ? kFirstBlock : std::min(lastBlockSize_ * 2, kLargestBlock);
    blocks_.push_back(std::make_unique<UtfNodeRecord[]>(size));
    lastBlockSize_ = size;
    usedInLastBlock_ = 0;
  }
  return &blocks_.back()[usedInLastBlock_++];
}

void UtfTree::IndexChild(UtfNode node) {
  auto chain = byParentAndName_.find(ParentAndNameView{node->parent, node->name});
  if (chain == byParentAndName_.end()) {
    chain = byParentAndName_.emplace(ParentAndName{node->parent, node->name}, Chain{}).first;
  }
  Append(node, chain->second.oldest, chain->second.newest, &UtfNodeRecord::olderOfNameHere,
         &UtfNodeRecord::newerOfNameHere);
}

UtfNode UtfTree::AddNode(UtfNode parent, std::string_view name) {
  // Whatever may throw comes before the first link, so a failure leaves no
  // record half linked.
  auto sameName = byName_.find(name);
  if (sameName == byName_.end()) sameName = byName_.emplace(std::string(name), Chain{}).first;
  UtfNode node = NewRecord();
  node->name = name;
  node->parent = parent;

  UtfNode& first = parent ? parent->firstChild : firstTop_;
  UtfNode& last = parent ? parent->lastChild : lastTop_;
  Append(node, first, last, &UtfNodeRecord::previousSibling, &UtfNodeRecord::nextSibling);
  // A new node is the newest of its name, so each goes at the end of its chains.
  Append(node, registry_.oldest, registry_.newest, &UtfNodeRecord::olderNode,
         &UtfNodeRecord::newerNode);
  Append(node, sameName->second.oldest, sameName->second.newest, &UtfNodeRecord::olderOfName,
         &UtfNodeRecord::newerOfName);
  ++nodeCount_;
  if (parent != nullptr) {
    ++parent->childCount;
    if (parent->childrenIndexed) {
      IndexChild(node);
    } else if (parent->childCount == kIndexedChildren) {
      for (UtfNode child = parent->firstChild; child; child = child->nextSibling) IndexChild(child);
      parent->childrenIndexed = true;
    }
  }
  return node;
}

UtfNode UtfTree::FindNode(UtfNode parent, std::string_view name) const {
  if (parent == nullptr) {
    const auto found = byName_.find(name);
    return found == byName_.end() ? nullptr : found->second.oldest;
  }
  if (!parent->childrenIndexed) {
    for (UtfNode child = parent->firstChild; child; child = child->nextSibling) {
      if (child->name == name) return child;
    }
    return nullptr;
  }
  const auto found = byParentAndName_.find(ParentAndNameView{parent, name});
  return found == byParentAndName_.end() ? nullptr : found->second.oldest;
}

void UtfTree::Unregister(UtfNode node) {
  // An emptied chain is erased, so that a lookup of its key answers "none".
  const auto sameName = byName_.find(node->name);
  assert(sameName != byName_.end());
  Unlink(node, sameName->second.oldest, sameName->second.newest, &UtfNodeRecord::olderOfName,
         &UtfNodeRecord::newerOfName);
  if (sameName->second.oldest == nullptr) byName_.erase(sameName);

  if (node->parent != nullptr) {
    --node->parent->childCount;
    if (node->parent->childrenIndexed) {
      const auto sameNameHere = byParentAndName_.find(ParentAndNameView{node->parent, node->name});
      assert(sameNameHere != byParentAndName_.end());
      Unlink(node, sameNameHere->second.oldest, sameNameHere->second.newest,
             &UtfNodeRecord::olderOfNameHere, &UtfNodeRecord::newerOfNameHere);
      if (sameNameHere->second.oldest == nullptr) byParentAndName_.erase(sameNameHere);
    }
  }

  Unlink(node, registry_.oldest, registry_.newest, &UtfNodeRecord::olderNode,
         &UtfNodeRecord::newerNode);
  --nodeCount_;
  // The record goes to the free list with its data released.
  *node = UtfNodeRecord();
  node->newerNode = freeRecords_;
  freeRecords_ = node;
}

void UtfTree::RemoveSubtree(UtfNode node) {
  assert(node != nullptr);
  // Unlink from the siblings first; then free the subtree without recursion,
  // so that a deep tree cannot exhaust the stack.
  UtfNode& first = node->parent ? node->parent->firstChild : firstTop_;
  UtfNode& last = node->parent ? node->parent->lastChild : lastTop_;
  Unlink(node, first, last, &UtfNodeRecord::previousSibling, &UtfNodeRecord::nextSibling);

  // Children before their parents, since each still looks at its parent.
  std::vector<UtfNode> subtree;
  std::vector<UtfNode> pending{node};
  while (!pending.empty()) {
    UtfNode current = pending.back();
    pending.pop_back();
    subtree.push_back(current);
    for (UtfNode child = current->firstChild; child; child = child->nextSibling) {
      pending.push_back(child);
    }
  }
  for (auto it = subtree.rbegin(); it != subtree.rend(); ++it) Unregister(*it);
}

void UtfTree::ReleaseAll() {
  blocks_.clear();
  lastBlockSize_ = 0;
  usedInLastBlock_ = 0;
  freeRecords_ = nullptr;
  registry_ = {};
  nodeCount_ = 0;
  byName_.clear();
  byParentAndName_.clear();
  firstTop_ = nullptr;
  lastTop_ = nullptr;
}

UtfNode UtfTree::Root() const { return firstTop_; }
UtfNode UtfTree::Parent(UtfNode node) const { return node->parent; }
UtfNode UtfTree::FirstChild(UtfNode node) const { return node->firstChild; }
UtfNode UtfTree::NextSibling(UtfNode node) const { return node->nextSibling; }
const std::string& UtfTree::Name(UtfNode node) const { return node->name; }
const DataBlock& UtfTree::Data(UtfNode node) const { return node->data; }

void UtfTree::SetData(UtfNode node, ByteBlock bytes) { node->data = std::move(bytes); }

void UtfTree::ClearData(UtfNode node) { node->data.reset(); }

std::vector<UtfNode> UtfTree::RegisteredNodes() const {
  std::vector<UtfNode> nodes;
  nodes.reserve(nodeCount_);
  for (UtfNode node = registry_.oldest; node != nullptr; node = node->newerNode) {
    nodes.push_back(node);
  }
  return nodes;
}

}  // namespace svcmp
