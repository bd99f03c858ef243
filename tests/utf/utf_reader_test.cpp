#include "utf/utf_reader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/utf/folder_test.h"
#include "tests/utf/utf_test_files.h"
#include "utf/utf_writer.h"

namespace svcmp {
namespace {

using namespace std::string_literals;
using namespace std::string_view_literals;
using testing::Describe;
using testing::HandEntry;
using testing::HandMadeUtf;
using testing::PutWord;
using Lines = std::vector<std::string>;

struct Loaded {
  UtfReadResult result;
  UtfTree tree;
  std::vector<std::string> warnings;
};

Loaded Load(const std::vector<std::uint8_t>& bytes) {
  Loaded loaded;
  loaded.result = ReadUtfBytes(bytes, loaded.tree,
                               [&](const std::string& name) { loaded.warnings.push_back(name); });
  return loaded;
}

TEST(UtfReader, ReadsFourNodeExampleInPreOrder) {
  const Loaded loaded = Load(testing::FourNodeExample());
  ASSERT_TRUE(loaded.result.ok()) << loaded.result.reason;
  EXPECT_EQ(Describe(loaded.tree), (Lines{"0 \\", "1 A", "2 B [176,177,178,179,]", "1 C [192,193,]"}));
  std::vector<std::string> registry;
  for (UtfNode node : testing::RegisteredNodes(loaded.tree))
    registry.push_back(loaded.tree.Name(node));
  EXPECT_EQ(registry, (Lines{"\\", "A", "B", "C"}));
  EXPECT_TRUE(loaded.warnings.empty());
}

TEST(UtfReader, AddsAfterTopLevelNodesAlreadyThere) {
  Loaded loaded;
  loaded.tree.AddNode(nullptr, "existing");
  ASSERT_TRUE(ReadUtfBytes(testing::FourNodeExample(), loaded.tree, nullptr).ok());
  EXPECT_EQ(Describe(loaded.tree).front(), "0 existing");
  EXPECT_EQ(loaded.tree.NodeCount(), 5u);
}

TEST(UtfReader, FollowsLinksWhateverTheEntryOrder) {
  // The example's entries stored as \, C, B, A.
  const auto bytes = HandMadeUtf({{0, 1, 0x10, 132, 0, 0, 0},
                                  {0, 7, 0x80, 4, 2, 2, 2},
                                  {0, 5, 0x80, 0, 4, 4, 4},
                                  {44, 3, 0x10, 88, 0, 0, 0}},
                                 "\0\\\0A\0B\0C\0"sv, {0xB0, 0xB1, 0xB2, 0xB3, 0xC0, 0xC1});
  Loaded loaded = Load(bytes);
  ASSERT_TRUE(loaded.result.ok()) << loaded.result.reason;
  EXPECT_EQ(WriteUtfBytes(loaded.tree), testing::FourNodeExample());
}

// Hand-made files whose entries bend the layout, read as the game reads them.
TEST(UtfReader, ReadsHandMadeFilesAsDescribed) {
  const struct {
    const char* what;
    std::vector<HandEntry> entries;
    std::string_view names;
    std::vector<std::uint8_t> data;
    Lines described;
  } cases[] = {
      {"lone top node", {{0, 1, 0x80, 0, 0, 0, 0}}, "\0\\\0"sv, {}, {"0 \\"}},
      {"entry offsets rounded down, the top node's sibling ignored",
       {{44, 1, 0x80, 44 + 43, 0, 0, 0}, {88 + 5, 3, 0x80, 0, 0, 0, 0}, {0, 5, 0x80, 0, 0, 0, 0}},
       "\0\\\0A\0B\0"sv,
       {},
       {"0 \\", "1 A", "1 B"}},
      {"leaf without a positive size has no data",
       {{0, 1, 0x10, 44, 0, 0, 0}, {88, 3, 0x80, 0, 0, 0, 0}, {0, 3, 0x80, 0, 0xFFFFFFFC, 4, 4}},
       "\0\\\0A\0"sv,
       {1, 2, 3, 4},
       {"0 \\", "1 A", "1 A"}},
      {"padded leaf keeps only its used bytes",
       {{0, 1, 0x10, 44, 0, 0, 0}, {0, 3, 0x80, 0, 8, 5, 5}},
       "\0\\\0A\0"sv,
       {1, 2, 3, 4, 5, 0, 0, 0},
       {"0 \\", "1 A [1,2,3,4,5,]"}},
      {"padded leaf with no used bytes has an empty block",
       {{0, 1, 0x10, 44, 0, 0, 0}, {0, 3, 0x80, 0, 8, 0, 0}},
       "\0\\\0A\0"sv,
       {1, 2, 3, 4, 5, 6, 7, 8},
       {"0 \\", "1 A []"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Loaded loaded = Load(HandMadeUtf(c.entries, c.names, c.data));
    ASSERT_TRUE(loaded.result.ok()) << loaded.result.reason;
    EXPECT_EQ(Describe(loaded.tree), c.described);
  }
}

TEST(UtfReader, WarnsOnceAboutCompressionAndKeepsStoredBytes) {
  std::vector<std::uint8_t> stored(100);
  for (std::size_t i = 0; i < stored.size(); ++i) stored[i] = static_cast<std::uint8_t>(i);
  const auto bytes = HandMadeUtf({{0, 1, 0x10, 44, 0, 0, 0}, {0, 3, 0x80, 0, 100, 100, 200}},
                                 "\0\\\0Packed\0"sv, stored);
  const Loaded loaded = Load(bytes);
  ASSERT_TRUE(loaded.result.ok()) << loaded.result.reason;
  EXPECT_EQ(loaded.warnings, (Lines{"Packed"}));
  EXPECT_EQ(loaded.tree.Data(loaded.tree.FindNode(nullptr, "Packed")), stored);
}

TEST(UtfReader, RefusesFilesThatAreNotUtf) {
  auto wrongVersion = testing::FourNodeExample();
  PutWord(wrongVersion, 4, 0x100);
  auto wrongSignature = testing::FourNodeExample();
  wrongSignature[3] = 'X';
  for (const auto& bytes : {wrongVersion, wrongSignature, std::vector<std::uint8_t>{'U', 'T', 'F'}}) {
    const Loaded loaded = Load(bytes);
    EXPECT_EQ(loaded.result.status, UtfReadStatus::NotUtf);
    EXPECT_TRUE(loaded.tree.Empty());
  }
}

// One damaged file per reason, each made from the example by changing one
// word, and the start of the reason that names what is wrong.
struct Damage {
  const char* what;
  std::size_t at;
  std::uint32_t value;
  const char* reason;
};

class UtfReaderRefuses : public ::testing::TestWithParam<Damage> {};

TEST_P(UtfReaderRefuses, DamagedFileAndLeavesTreeAsItWas) {
  auto bytes = testing::FourNodeExample();
  PutWord(bytes, GetParam().at, GetParam().value);
  UtfTree tree;
  UtfNode kept = tree.AddNode(nullptr, "kept");
  bool warned = false;
  const UtfReadResult result = ReadUtfBytes(bytes, tree, [&](const std::string&) { warned = true; });
  EXPECT_EQ(result.status, UtfReadStatus::Damaged);
  EXPECT_EQ(result.reason, GetParam().reason);
  EXPECT_EQ(tree.NodeCount(), 1u);
  EXPECT_EQ(tree.Root(), kept);
  EXPECT_EQ(tree.NextSibling(kept), nullptr);
  EXPECT_FALSE(warned);
}

constexpr std::size_t E(std::size_t entry, std::size_t field) { return 56 + entry * 44 + field; }

INSTANTIATE_TEST_SUITE_P(
    EachReason, UtfReaderRefuses,
    ::testing::Values(
        Damage{"NodeTablePastEnd", 12, 247, "the node table runs past the end of the file"},
        Damage{"NegativeNodeTableOffset", 8, 0xFFFFFFF0, "the node table runs past the end of the file"},
        Damage{"NameTablePastEnd", 28, 200, "the name table runs past the end of the file"},
        Damage{"DataAreaPastEnd", 36, 248, "the data area starts past the end of the file"},
        Damage{"NoWholeEntry", 12, 43, "the node table holds no node"},
        Damage{"SiblingOutside", E(1, 0), 176, "node 1: its next sibling lies outside the node table"},
        Damage{"ChildOutside", E(1, 16), 0x7FFFFFFF, "node 1: its first child lies outside the node table"},
        Damage{"SiblingLoop", E(3, 0), 132,
               "node 3: its next sibling, node 3, is already loaded (the node links form a loop)"},
        Damage{"ChildIsItself", E(1, 16), 44,
               "node 1: its first child, node 1, is already loaded (the node links form a loop)"},
        Damage{"EntryReachedTwice", E(1, 0), 88,
               "node 1: its next sibling, node 2, is already loaded (the node links form a loop)"},
        Damage{"NameOutside", E(2, 4), 9, "node 2: its name lies outside the name table"},
        Damage{"NameOfTopOutside", E(0, 4), 0xFFFFFFFF, "node 0: its name lies outside the name table"},
        // The name table ends right after "C", without its zero byte.
        Damage{"NameWithoutEnd", 28, 8, "node 3: its name does not end inside the name table"},
        Damage{"DataPastEnd", E(3, 16), 5, "node 3: data runs past the end of the file"},
        Damage{"DataOffsetHuge", E(2, 16), 0xFFFFFFFE, "node 2: data runs past the end of the file"}),
    [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.what); });

TEST(UtfReader, RefusesHeaderCutShort) {
  const auto whole = testing::FourNodeExample();
  const Loaded loaded = Load({whole.begin(), whole.begin() + 40});
  EXPECT_EQ(loaded.result.status, UtfReadStatus::Damaged);
  EXPECT_EQ(loaded.result.reason, "the header is cut short");
}

TEST(UtfReader, RefusesNamesRepeatedFarBeyondTheFileSize) {
  // 2,000 leaves sharing one 4,000-byte name would load 8 MB from 100 KB.
  const std::string longName(4000, 'n');
  std::vector<HandEntry> entries{{0, 1, 0x10, 44, 0, 0, 0}};
  for (std::uint32_t i = 1; i <= 2000; ++i) {
    entries.push_back({i == 2000 ? 0 : (i + 1) * 44, 3, 0x80, 0, 0, 0, 0});
  }
  const Loaded loaded = Load(HandMadeUtf(entries, "\0\\\0"s + longName + '\0', {}));
  EXPECT_EQ(loaded.result.status, UtfReadStatus::Damaged);
  EXPECT_NE(loaded.result.reason.find("repeat the same names or data"), std::string::npos);
}

TEST(UtfReader, EveryPrefixOfAFileFailsCleanly) {
  UtfTree source;
  testing::BuildFourNodeTree(source);
  UtfNode extra = source.AddNode(source.Root(), "Hardpoints");
  source.SetData(source.AddNode(extra, "HpMount"), std::vector<std::uint8_t>(30, 0x5A));
  const std::vector<std::uint8_t> whole = WriteUtfBytes(source);
  for (std::size_t length = 0; length < whole.size(); ++length) {
    const Loaded loaded = Load({whole.begin(), whole.begin() + length});
    EXPECT_FALSE(loaded.result.ok()) << length;
    EXPECT_TRUE(loaded.tree.Empty()) << length;
  }
  EXPECT_TRUE(Load(whole).result.ok());
}

TEST(UtfReader, ReportsFileThatCannotBeOpened) {
  UtfTree tree;
  const UtfReadResult result = ReadUtfFile("/nonexistent/folder/ship.cmp", tree, nullptr);
  EXPECT_EQ(result.status, UtfReadStatus::CannotOpen);
  EXPECT_NE(result.reason.find("/nonexistent/folder/ship.cmp"), std::string::npos);
}

using UtfReaderFile = testing::FolderTest;

// The leaves are views into what was read, never into the file.
TEST_F(UtfReaderFile, TreeOutlivesItsFileAndLeavesOutliveTheTree) {
  UtfTree source;
  testing::BuildFourNodeTree(source);
  source.SetData(source.AddNode(source.Root(), "VMeshData"),
                 std::vector<std::uint8_t>(20000, 0x5A));
  const std::vector<std::uint8_t> bytes = WriteUtfBytes(source);
  const std::filesystem::path path = folder_ / "ship.cmp";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));

  UtfTree tree;
  ASSERT_TRUE(ReadUtfFile(path, tree, nullptr).ok());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << std::string(bytes.size(), '\xEE');
  std::filesystem::remove(path);
  EXPECT_EQ(testing::Describe(tree), testing::Describe(source));
  EXPECT_EQ(WriteUtfBytes(tree), bytes);

  const DataBlock kept = tree.Data(tree.FindNode(nullptr, "VMeshData"));
  tree.ReleaseAll();
  EXPECT_EQ(kept, std::vector<std::uint8_t>(20000, 0x5A));
}

}  // namespace
}  // namespace svcmp
