#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "tests/utf/folder_test.h"
#include "tests/utf/utf_test_files.h"
#include "utf/file_io.h"
#include "utf/utf_reader.h"
#include "utf/utf_writer.h"

namespace svcmp {
namespace {

// Writes the tree, reads the bytes back and writes again: the tree and the
// bytes must survive unchanged.
void ExpectRoundTrip(const UtfTree& tree) {
  const std::vector<std::uint8_t> bytes = WriteUtfBytes(tree);
  UtfTree read;
  const UtfReadResult result = ReadUtfBytes(bytes, read, nullptr);
  ASSERT_TRUE(result.ok()) << result.reason;
  EXPECT_EQ(WriteUtfBytes(read), bytes);
}

TEST(UtfRoundTrip, RandomTreesWithEmptyLeavesAndRepeatedNames) {
  std::mt19937 random(12345);
  const char* names[] = {"Root", "root", "ROOT", "VMeshRef", "Hardpoints", "", "\\", "n\xE9"};
  for (int round = 0; round < 200; ++round) {
    SCOPED_TRACE(round);
    UtfTree tree;
    std::vector<UtfNode> nodes{tree.AddNode(nullptr, "\\")};
    const int count = 1 + static_cast<int>(random() % 40);
    for (int i = 0; i < count; ++i) {
      UtfNode parent = nodes[random() % nodes.size()];
      UtfNode node = tree.AddNode(parent, names[random() % std::size(names)]);
      nodes.push_back(node);
      switch (random() % 3) {
        case 0: break;  // no data
        case 1: tree.SetData(node, {}); break;
        default: tree.SetData(node, std::vector<std::uint8_t>(random() % 9, static_cast<std::uint8_t>(i)));
      }
    }
    // Only leaf data survives the file; drop blocks that folders hold.
    for (UtfNode node : nodes) {
      if (tree.FirstChild(node)) tree.ClearData(node);
    }
    const std::vector<std::uint8_t> bytes = WriteUtfBytes(tree);
    UtfTree read;
    ASSERT_TRUE(ReadUtfBytes(bytes, read, nullptr).ok());
    // A 0-byte block and no block are both written as an empty leaf.
    std::vector<std::string> expected = testing::Describe(tree);
    for (std::string& line : expected) {
      if (line.ends_with(" []")) line.resize(line.size() - 3);
    }
    EXPECT_EQ(testing::Describe(read), expected);
    // A read tree registers its nodes in pre-order, so its name table may be
    // ordered differently from the first write; from then on bytes are stable.
    ExpectRoundTrip(read);
  }
}

TEST(UtfRoundTrip, DeepNestingNeedsNoCallStack) {
  UtfTree tree;
  UtfNode node = tree.AddNode(nullptr, "\\");
  for (int depth = 0; depth < 200000; ++depth) node = tree.AddNode(node, "level");
  tree.SetData(node, {1, 2, 3});
  ExpectRoundTrip(tree);
}

TEST(UtfRoundTrip, LongSiblingChains) {
  UtfTree tree;
  UtfNode top = tree.AddNode(nullptr, "\\");
  for (int i = 0; i < 50000; ++i) tree.SetData(tree.AddNode(top, "leaf" + std::to_string(i % 7)), {1});
  ExpectRoundTrip(tree);
}

using UtfFileRoundTrip = testing::FolderTest;

// Blocks on both sides of the size from which the file write takes a block
// straight from the tree, between empty leaves, and a block on a folder,
// which leaves zeros at the end of the data area.
TEST_F(UtfFileRoundTrip, FileHoldsTheBytesOfTheInMemoryImage) {
  UtfTree tree;
  UtfNode top = tree.AddNode(nullptr, "\\");
  const std::size_t sizes[] = {1, 4095, 4096, 0, 70000, 3, 5000, 4097};
  for (std::size_t i = 0; i < std::size(sizes); ++i) {
    std::vector<std::uint8_t> bytes(sizes[i]);
    for (std::size_t j = 0; j < bytes.size(); ++j) bytes[j] = static_cast<std::uint8_t>(i * 37 + j);
    tree.SetData(tree.AddNode(top, "leaf" + std::to_string(i)), std::move(bytes));
    tree.AddNode(top, "empty");
  }
  UtfNode folder = tree.AddNode(top, "folder");
  tree.SetData(tree.AddNode(folder, "inside"), std::vector<std::uint8_t>(6000, 0xAB));
  tree.SetData(folder, std::vector<std::uint8_t>(5000, 0xCD));

  const std::filesystem::path path = folder_ / "ship.cmp";
  const UtfWriteResult written = WriteUtfFile(tree, path);
  ASSERT_TRUE(written.written) << written.reason;
  const FileReadResult file = ReadWholeFile(path);
  ASSERT_TRUE(file.bytes);
  const std::vector<std::uint8_t> image = WriteUtfBytes(tree);
  ASSERT_EQ(*file.bytes, image);
  EXPECT_EQ(std::vector<std::uint8_t>(image.end() - 5000, image.end()),
            std::vector<std::uint8_t>(5000, 0));

  // Written again from a tree whose leaves are views into the file.
  UtfTree read;
  ASSERT_TRUE(ReadUtfFile(path, read, nullptr).ok());
  tree.ClearData(folder);
  EXPECT_EQ(WriteUtfBytes(read), WriteUtfBytes(tree));
  ASSERT_TRUE(WriteUtfFile(read, path).written);
  EXPECT_EQ(*ReadWholeFile(path).bytes, WriteUtfBytes(read));
}

}  // namespace
}  // namespace svcmp
