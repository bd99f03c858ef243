#include "utf/utf_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/utf/utf_test_files.h"

namespace svcmp {
namespace {

// FindNode as the format defines it: a walk over the registry, oldest first.
UtfNode FindByRegistryWalk(const UtfTree& tree, UtfNode parent, const std::string& name) {
  for (UtfNode node : testing::RegisteredNodes(tree)) {
    if (tree.Name(node) != name) continue;
    if (parent == nullptr || tree.Parent(node) == parent) return node;
  }
  return nullptr;
}

TEST(UtfTree, FindsDeepNodeWithoutParent) {
  UtfTree tree;
  UtfNode root = tree.AddNode(nullptr, "\\");
  UtfNode lib = tree.AddNode(root, "VMeshLibrary");
  UtfNode entry = tree.AddNode(lib, "hull.lod0.vms");
  UtfNode data = tree.AddNode(entry, "VMeshData");
  EXPECT_EQ(tree.FindNode(nullptr, "VMeshData"), data);
  EXPECT_EQ(tree.FindNode(root, "VMeshData"), nullptr);
  EXPECT_EQ(tree.FindNode(entry, "VMeshData"), data);
}

TEST(UtfTree, SameNameUnderDifferentParents) {
  UtfTree tree;
  UtfNode root = tree.AddNode(nullptr, "\\");
  UtfNode a = tree.AddNode(root, "A");
  UtfNode b = tree.AddNode(root, "B");
  UtfNode firstRoot = tree.AddNode(a, "Root");
  UtfNode secondRoot = tree.AddNode(b, "Root");
  EXPECT_EQ(tree.FindNode(b, "Root"), secondRoot);
  EXPECT_EQ(tree.FindNode(nullptr, "Root"), firstRoot);
  EXPECT_EQ(tree.FindNode(nullptr, "root"), nullptr);
  UtfNode lower = tree.AddNode(root, "root");
  EXPECT_EQ(tree.FindNode(nullptr, "root"), lower);
}

TEST(UtfTree, ChildrenKeepOrderOfAddition) {
  UtfTree tree;
  UtfNode root = tree.AddNode(nullptr, "\\");
  UtfNode first = tree.AddNode(root, "X");
  UtfNode second = tree.AddNode(root, "X");
  EXPECT_EQ(tree.FirstChild(root), first);
  EXPECT_EQ(tree.NextSibling(first), second);
  EXPECT_EQ(tree.NextSibling(second), nullptr);
  EXPECT_EQ(tree.FindNode(root, "X"), first);
}

TEST(UtfTree, DataDistinguishesNoneFromEmpty) {
  UtfTree tree;
  UtfNode node = tree.AddNode(nullptr, "\\");
  EXPECT_FALSE(tree.Data(node).has_value());
  tree.SetData(node, {});
  ASSERT_TRUE(tree.Data(node).has_value());
  EXPECT_TRUE(tree.Data(node)->empty());
  tree.SetData(node, {1, 2, 3});
  EXPECT_EQ(tree.Data(node)->size(), 3u);
  tree.ClearData(node);
  EXPECT_FALSE(tree.Data(node).has_value());
}

TEST(UtfTree, RemoveSubtreeKeepsSiblingsAndForgetsRemovedNodes) {
  UtfTree tree;
  UtfNode root = tree.AddNode(nullptr, "\\");
  UtfNode left = tree.AddNode(root, "Left");
  UtfNode hp = tree.AddNode(root, "Hardpoints");
  UtfNode right = tree.AddNode(root, "Right");
  tree.AddNode(hp, "Fixed");
  UtfNode leftFixed = tree.AddNode(left, "Fixed");
  tree.SetData(tree.AddNode(hp, "Only"), {9});
  UtfNode keep = tree.AddNode(right, "Leaf");
  tree.SetData(keep, {7});

  tree.RemoveSubtree(hp);
  EXPECT_EQ(tree.NodeCount(), 5u);
  EXPECT_EQ(tree.NextSibling(left), right);
  EXPECT_EQ(tree.FindNode(nullptr, "Hardpoints"), nullptr);
  EXPECT_EQ(tree.FindNode(nullptr, "Only"), nullptr);
  EXPECT_EQ(tree.FindNode(nullptr, "Fixed"), leftFixed);
  EXPECT_EQ((*tree.Data(keep))[0], 7);

  // A name re-added after removal is found again, now as the newest node.
  UtfNode again = tree.AddNode(root, "Hardpoints");
  EXPECT_EQ(tree.FindNode(root, "Hardpoints"), again);
  EXPECT_EQ(tree.NextSibling(right), again);
}

TEST(UtfTree, ReleaseAllEmptiesTheTree) {
  UtfTree tree;
  UtfNode root = tree.AddNode(nullptr, "\\");
  tree.AddNode(root, "A");
  tree.ReleaseAll();
  EXPECT_TRUE(tree.Empty());
  EXPECT_EQ(tree.Root(), nullptr);
  EXPECT_EQ(tree.FindNode(nullptr, "A"), nullptr);
}

// The index must give exactly the registry walk's answer through any mix of
// additions and removals, for parents with few children and for parents
// with so many that their children are indexed; with a lookup after every
// edit, and with runs of edits between lookups (nodes added and removed
// before any lookup indexed them).
TEST(UtfTree, IndexAgreesWithRegistryWalkUnderRandomEdits) {
  for (const auto& [crowdedParents, lookupOneIn] :
       {std::pair<std::size_t, std::size_t>{0, 1}, {3, 1}, {0, 6}, {3, 6}}) {
    std::mt19937 random(12345);
    UtfTree tree;
    std::vector<UtfNode> live{tree.AddNode(nullptr, "\\")};
    const std::vector<std::string> names{"A", "a", "B", "Root", "Fixed"};
    for (int step = 0; step < 3000; ++step) {
      const auto pick = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
      };
      const auto anyNode = [&] {
        return crowdedParents ? live[pick(std::min(crowdedParents, live.size()))]
                              : live[pick(live.size())];
      };
      if (live.size() > 2 && pick(crowdedParents ? 8 : 4) == 0) {
        UtfNode victim = live[1 + pick(live.size() - 1)];
        tree.RemoveSubtree(victim);
        live = testing::RegisteredNodes(tree);
      } else {
        live.push_back(tree.AddNode(pick(5) == 0 ? live[pick(live.size())] : anyNode(),
                                    names[pick(names.size())]));
      }
      if (pick(lookupOneIn) != 0) continue;
      UtfNode parent = pick(3) == 0 ? nullptr : anyNode();
      const std::string& name = names[pick(names.size())];
      ASSERT_EQ(tree.FindNode(parent, name), FindByRegistryWalk(tree, parent, name))
          << "step " << step << ", crowded " << crowdedParents << ", lookup 1 in "
          << lookupOneIn;
    }
    ASSERT_EQ(tree.NodeCount(), live.size());
  }
}

}  // namespace
}  // namespace svcmp
