#include "utf/utf_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "tests/utf/utf_test_files.h"

namespace svcmp {
namespace {

using namespace std::string_view_literals;
using testing::GetWord;

constexpr std::size_t kEntry = 56;  // the first entry's offset in a written file

std::uint32_t EntryWord(const std::vector<std::uint8_t>& bytes, std::size_t entry,
                        std::size_t field) {
  return GetWord(bytes, kEntry + entry * 44 + field);
}

TEST(UtfWriter, WritesFourNodeExampleByteForByte) {
  UtfTree tree;
  testing::BuildFourNodeTree(tree);
  const std::vector<std::uint8_t> bytes = WriteUtfBytes(tree);
  ASSERT_EQ(bytes.size(), 247u);
  EXPECT_EQ(bytes, testing::FourNodeExample());
}

TEST(UtfWriter, WritesLoneTopNodeAsEmptyLeaf) {
  UtfTree tree;
  tree.AddNode(nullptr, "\\");
  const std::vector<std::uint8_t> expected =
      testing::HandMadeUtf({{0, 1, 0x80, 0, 0, 0, 0}}, "\0\\\0"sv, {});
  ASSERT_EQ(expected.size(), 103u);
  EXPECT_EQ(GetWord(expected, 24), 100u);
  EXPECT_EQ(GetWord(expected, 36), 103u);
  EXPECT_EQ(WriteUtfBytes(tree), expected);
}

TEST(UtfWriter, NameTableFollowsRegistryAndSharesExactNamesOnly) {
  UtfTree tree;
  UtfNode top = tree.AddNode(nullptr, "\\");
  UtfNode first = tree.AddNode(top, "Root");
  tree.AddNode(top, "root");
  tree.AddNode(first, "Root");  // created last, emitted second
  const std::vector<std::uint8_t> bytes = WriteUtfBytes(tree);

  const std::size_t nameTable = GetWord(bytes, 24);
  ASSERT_EQ(GetWord(bytes, 28), 13u);
  EXPECT_EQ(std::string(bytes.begin() + nameTable, bytes.begin() + nameTable + 13),
            "\0\\\0Root\0root\0"sv);
  // Pre-order: \, Root, Root (child), root.
  EXPECT_EQ(EntryWord(bytes, 1, 4), 3u);
  EXPECT_EQ(EntryWord(bytes, 2, 4), 3u);
  EXPECT_EQ(EntryWord(bytes, 3, 4), 8u);
}

TEST(UtfWriter, EmptyLeavesTakeTheRunningDataOffset) {
  UtfTree tree;
  UtfNode top = tree.AddNode(nullptr, "\\");
  tree.SetData(tree.AddNode(top, "a"), {1, 2, 3});
  tree.SetData(tree.AddNode(top, "b"), {});
  tree.AddNode(top, "c");
  tree.SetData(tree.AddNode(top, "d"), {4, 5});
  const std::vector<std::uint8_t> bytes = WriteUtfBytes(tree);

  const std::uint32_t expectedOffsets[] = {0, 3, 3, 3};
  const std::uint32_t expectedSizes[] = {3, 0, 0, 2};
  for (std::size_t leaf = 0; leaf < 4; ++leaf) {
    SCOPED_TRACE(leaf);
    EXPECT_EQ(EntryWord(bytes, leaf + 1, 8), 0x80u);
    EXPECT_EQ(EntryWord(bytes, leaf + 1, 16), expectedOffsets[leaf]);
    for (std::size_t field : {20u, 24u, 28u}) {
      EXPECT_EQ(EntryWord(bytes, leaf + 1, field), expectedSizes[leaf]);
    }
  }
  const std::size_t dataOffset = GetWord(bytes, 36);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + dataOffset, bytes.end()),
            (std::vector<std::uint8_t>{1, 2, 3, 4, 5}));
}

TEST(UtfWriter, FolderWhoseChildrenWereRemovedBecomesEmptyLeaf) {
  UtfTree tree;
  UtfNode top = tree.AddNode(nullptr, "\\");
  UtfNode folder = tree.AddNode(top, "Revolute");
  tree.SetData(tree.AddNode(folder, "HpGun01"), {9, 9});
  tree.RemoveSubtree(tree.FirstChild(folder));
  const std::vector<std::uint8_t> bytes = WriteUtfBytes(tree);

  EXPECT_EQ(GetWord(bytes, 12), 88u);
  EXPECT_EQ(EntryWord(bytes, 1, 8), 0x80u);
  EXPECT_EQ(EntryWord(bytes, 1, 20), 0u);
  // The removed node's name is gone from the name table.
  EXPECT_EQ(GetWord(bytes, 28), 1u + 2u + 9u);
  EXPECT_EQ(bytes.size(), 56u + 88u + 12u);
}

TEST(UtfWriter, BlockOnFolderCountsInDataAreaButIsNotWritten) {
  UtfTree tree;
  UtfNode top = tree.AddNode(nullptr, "\\");
  UtfNode folder = tree.AddNode(top, "F");
  tree.SetData(folder, {7, 7, 7, 7, 7});
  tree.SetData(tree.AddNode(folder, "L"), {1, 2});
  const std::vector<std::uint8_t> bytes = WriteUtfBytes(tree);

  EXPECT_EQ(EntryWord(bytes, 1, 8), 0x10u);
  EXPECT_EQ(EntryWord(bytes, 1, 20), 0u);
  const std::size_t dataOffset = GetWord(bytes, 36);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + dataOffset, bytes.end()),
            (std::vector<std::uint8_t>{1, 2, 0, 0, 0, 0, 0}));
}

TEST(UtfWriter, LaterTopLevelNodesFollowAsSiblingsOfTheFirst) {
  UtfTree tree;
  UtfNode first = tree.AddNode(nullptr, "\\");
  tree.AddNode(first, "child");
  tree.AddNode(nullptr, "second");
  const std::vector<std::uint8_t> bytes = WriteUtfBytes(tree);

  EXPECT_EQ(GetWord(bytes, 12), 3u * 44u);
  EXPECT_EQ(EntryWord(bytes, 0, 0), 88u);  // \ -> second
  EXPECT_EQ(EntryWord(bytes, 1, 0), 0u);   // child ends its chain
}

TEST(UtfWriter, EmptyTreeIsHeaderAndOneZeroByte) {
  const UtfTree tree;
  const std::vector<std::uint8_t> bytes = WriteUtfBytes(tree);
  ASSERT_EQ(bytes.size(), 57u);
  EXPECT_EQ(GetWord(bytes, 12), 0u);
  EXPECT_EQ(GetWord(bytes, 28), 1u);
}

}  // namespace
}  // namespace svcmp
