#include "utf/utf_tree.h"

#include <algorithm>
#include <cassert>
#include <memory>
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
  // 32 bits, so that the count and the flags share one word of the record:
  // four billion records would not fit in memory anyway.
  std::uint32_t childCount = 0;
  bool named = false;            // in byName_
  bool namedHere = false;        // in byParentAndName_
  bool childrenIndexed = false;  // lookups under it go through byParentAndName_
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
  std::swap(usedInLastBlock_, other.usedInLastBlock_);
  std::swap(freeRecords_, other.freeRecords_);
  std::swap(registry_, other.registry_);
  std::swap(nodeCount_, other.nodeCount_);
  std::swap(newestIndexed_, other.newestIndexed_);
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
  if (blocks_.empty() || usedInLastBlock_ == blocks_.back().size) {
    const std::size_t size =
        blocks_.empty() ? kFirstBlock : std::min(blocks_.back().size * 2, kLargestBlock);
    // Room first, so that the block, once allocated, is always recorded.
    blocks_.reserve(blocks_.size() + 1);
    blocks_.push_back({std::allocator<UtfNodeRecord>().allocate(size), size});
    usedInLastBlock_ = 0;
  }
  return std::construct_at(blocks_.back().records + usedInLastBlock_++);
}

UtfNode UtfTree::AddNode(UtfNode parent, std::string_view name) {
  // Whatever may throw comes before the first link, so a failure leaves no
  // record half linked.
  std::string ownName(name);
  UtfNode node = NewRecord();
  node->name = std::move(ownName);
  node->parent = parent;

  UtfNode& first = parent ? parent->firstChild : firstTop_;
  UtfNode& last = parent ? parent->lastChild : lastTop_;
  Append(node, first, last, &UtfNodeRecord::previousSibling, &UtfNodeRecord::nextSibling);
  Append(node, registry_.oldest, registry_.newest, &UtfNodeRecord::olderNode,
         &UtfNodeRecord::newerNode);
  ++nodeCount_;
  if (parent != nullptr) ++parent->childCount;
  return node;
}

// Indexing follows the registry, so every chain stays in creation order and
// its first node is the oldest. Each step may throw before its links and
// flags change; a later lookup finishes what a failed one left.
void UtfTree::IndexNewNodes() const {
  for (UtfNode node = newestIndexed_ ? newestIndexed_->newerNode : registry_.oldest; node;
       node = node->newerNode) {
    if (!node->named) IndexName(node);
    if (node->parent && node->parent->childrenIndexed && !node->namedHere) IndexChild(node);
    newestIndexed_ = node;
  }
}

void UtfTree::IndexName(UtfNode node) const {
  auto chain = byName_.find(node->name);
  if (chain == byName_.end()) chain = byName_.emplace(node->name, Chain{}).first;
  Append(node, chain->second.oldest, chain->second.newest, &UtfNodeRecord::olderOfName,
         &UtfNodeRecord::newerOfName);
  node->named = true;
}

void UtfTree::IndexChild(UtfNode node) const {
  auto chain = byParentAndName_.find(ParentAndNameView{node->parent, node->name});
  if (chain == byParentAndName_.end()) {
    chain = byParentAndName_.emplace(ParentAndName{node->parent, node->name}, Chain{}).first;
  }
  Append(node, chain->second.oldest, chain->second.newest, &UtfNodeRecord::olderOfNameHere,
         &UtfNodeRecord::newerOfNameHere);
  node->namedHere = true;
}

// Children are in creation order, so walking them keeps the chains in order.
void UtfTree::IndexChildren(UtfNode parent) const {
  for (UtfNode child = parent->firstChild; child; child = child->nextSibling) {
    if (!child->namedHere) IndexChild(child);
  }
  parent->childrenIndexed = true;
}

UtfNode UtfTree::FindNode(UtfNode parent, std::string_view name) const {
  if (parent != nullptr && !parent->childrenIndexed && parent->childCount < kIndexedChildren) {
    for (UtfNode child = parent->firstChild; child; child = child->nextSibling) {
      if (child->name == name) return child;
    }
    return nullptr;
  }
  IndexNewNodes();
  if (parent == nullptr) {
    const auto found = byName_.find(name);
    return found == byName_.end() ? nullptr : found->second.oldest;
  }
  if (!parent->childrenIndexed) IndexChildren(parent);
  const auto found = byParentAndName_.find(ParentAndNameView{parent, name});
  return found == byParentAndName_.end() ? nullptr : found->second.oldest;
}

void UtfTree::Unregister(UtfNode node) {
  // An emptied chain is erased, so that a lookup of its key answers "none".
  // A node no lookup has indexed yet is in no chain.
  if (node->named) {
    const auto sameName = byName_.find(node->name);
    assert(sameName != byName_.end());
    Unlink(node, sameName->second.oldest, sameName->second.newest, &UtfNodeRecord::olderOfName,
           &UtfNodeRecord::newerOfName);
    if (sameName->second.oldest == nullptr) byName_.erase(sameName);
  }
  if (node->namedHere) {
    const auto sameNameHere = byParentAndName_.find(ParentAndNameView{node->parent, node->name});
    assert(sameNameHere != byParentAndName_.end());
    Unlink(node, sameNameHere->second.oldest, sameNameHere->second.newest,
           &UtfNodeRecord::olderOfNameHere, &UtfNodeRecord::newerOfNameHere);
    if (sameNameHere->second.oldest == nullptr) byParentAndName_.erase(sameNameHere);
  }
  if (node->parent != nullptr) --node->parent->childCount;

  if (node == newestIndexed_) newestIndexed_ = node->olderNode;
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
  for (const RecordBlock& block : blocks_) {
    // Only the last block has records not yet constructed.
    std::destroy_n(block.records, &block == &blocks_.back() ? usedInLastBlock_ : block.size);
    std::allocator<UtfNodeRecord>().deallocate(block.records, block.size);
  }
  blocks_.clear();
  usedInLastBlock_ = 0;
  freeRecords_ = nullptr;
  registry_ = {};
  nodeCount_ = 0;
  newestIndexed_ = nullptr;
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

UtfNode UtfTree::OldestNode() const { return registry_.oldest; }
UtfNode UtfTree::NewerNode(UtfNode node) const { return node->newerNode; }

}  // namespace svcmp
