#include "utf/utf_tree.h"

#include <cassert>
#include <functional>

namespace svcmp {

class UtfNodeRecord {
 public:
  std::string name;
  DataBlock data;
  std::uint64_t serial = 0;
  UtfNode parent = nullptr;
  UtfNode firstChild = nullptr;
  UtfNode lastChild = nullptr;
  UtfNode previousSibling = nullptr;
  UtfNode nextSibling = nullptr;
};

std::size_t UtfTree::ParentAndNameHash::operator()(const ParentAndName& key) const noexcept {
  const std::size_t h = std::hash<std::string>{}(key.name);
  return h ^ (std::hash<const void*>{}(key.parent) + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2));
}

UtfTree::UtfTree() = default;
UtfTree::~UtfTree() = default;
UtfTree::UtfTree(UtfTree&&) noexcept = default;
UtfTree& UtfTree::operator=(UtfTree&&) noexcept = default;

UtfNode UtfTree::AddNode(UtfNode parent, std::string_view name) {
  auto owned = std::make_unique<UtfNodeRecord>();
  UtfNode node = owned.get();
  node->name = std::string(name);
  node->serial = nextSerial_++;
  node->parent = parent;

  UtfNode& first = parent ? parent->firstChild : firstTop_;
  UtfNode& last = parent ? parent->lastChild : lastTop_;
  node->previousSibling = last;
  if (last) {
    last->nextSibling = node;
  } else {
    first = node;
  }
  last = node;

  // A new node is the newest of its name, so each insertion goes at the end.
  auto& sameName = byName_[node->name];
  sameName.emplace_hint(sameName.end(), node->serial, node);
  auto& sameNameAndParent = byParentAndName_[ParentAndName{parent, node->name}];
  sameNameAndParent.emplace_hint(sameNameAndParent.end(), node->serial, node);
  registry_.emplace_hint(registry_.end(), node->serial, std::move(owned));
  return node;
}

UtfNode UtfTree::FindNode(UtfNode parent, std::string_view name) const {
  if (parent == nullptr) {
    const auto found = byName_.find(std::string(name));
    return found == byName_.end() ? nullptr : found->second.begin()->second;
  }
  const auto found = byParentAndName_.find(ParentAndName{parent, std::string(name)});
  return found == byParentAndName_.end() ? nullptr : found->second.begin()->second;
}

void UtfTree::Unregister(UtfNode node) {
  // Each index entry holds at least one node; an emptied entry is erased so
  // that a lookup of its key answers "none" in O(1).
  const auto eraseFrom = [node](auto& index, const auto& key) {
    auto entry = index.find(key);
    assert(entry != index.end());
    entry->second.erase(node->serial);
    if (entry->second.empty()) index.erase(entry);
  };
  eraseFrom(byName_, node->name);
  eraseFrom(byParentAndName_, ParentAndName{node->parent, node->name});
  registry_.erase(node->serial);
}

void UtfTree::RemoveSubtree(UtfNode node) {
  assert(node != nullptr);
  // Unlink from the siblings first; then free the subtree without recursion,
  // so that a deep tree cannot exhaust the stack.
  UtfNode& first = node->parent ? node->parent->firstChild : firstTop_;
  UtfNode& last = node->parent ? node->parent->lastChild : lastTop_;
  (node->previousSibling ? node->previousSibling->nextSibling : first) = node->nextSibling;
  (node->nextSibling ? node->nextSibling->previousSibling : last) = node->previousSibling;

  std::vector<UtfNode> pending{node};
  while (!pending.empty()) {
    UtfNode current = pending.back();
    pending.pop_back();
    for (UtfNode child = current->firstChild; child; child = child->nextSibling) {
      pending.push_back(child);
    }
    Unregister(current);  // frees the record and its data
  }
}

void UtfTree::ReleaseAll() {
  byName_.clear();
  byParentAndName_.clear();
  registry_.clear();
  firstTop_ = nullptr;
  lastTop_ = nullptr;
}

UtfNode UtfTree::Root() const { return firstTop_; }
UtfNode UtfTree::Parent(UtfNode node) const { return node->parent; }
UtfNode UtfTree::FirstChild(UtfNode node) const { return node->firstChild; }
UtfNode UtfTree::NextSibling(UtfNode node) const { return node->nextSibling; }
const std::string& UtfTree::Name(UtfNode node) const { return node->name; }
const DataBlock& UtfTree::Data(UtfNode node) const { return node->data; }

void UtfTree::SetData(UtfNode node, std::vector<std::uint8_t> bytes) {
  node->data = std::move(bytes);
}

void UtfTree::ClearData(UtfNode node) { node->data.reset(); }

std::vector<UtfNode> UtfTree::RegisteredNodes() const {
  std::vector<UtfNode> nodes;
  nodes.reserve(registry_.size());
  for (const auto& [serial, record] : registry_) nodes.push_back(record.get());
  return nodes;
}

}  // namespace svcmp
