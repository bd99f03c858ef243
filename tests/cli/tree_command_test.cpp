#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/cli/cmptool_runner.h"
#include "utf/utf_writer.h"

namespace svcmp {
namespace {

namespace fs = std::filesystem;
using testing::RunCmptool;

const std::string kData = SVCMP_TEST_DATA "/utf/";

testing::CmptoolRun Tree(const std::string& path) {
  return RunCmptool("tree '" + path + "'", fs::temp_directory_path());
}

TEST(TreeCommand, PrintsTreeWithIndentAndByteCounts) {
  const auto run = Tree(kData + "four_nodes.utf");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out, "\\\n  A\n    B  (4 bytes)\n  C  (2 bytes)\n");
  EXPECT_EQ(run.err, "");

  const auto sample = Tree(kData + "sample.cmp");
  EXPECT_EQ(sample.exitStatus, 0);
  EXPECT_EQ(sample.out,
            "\\\n"
            "  VMeshLibrary\n"
            "    ship.lod0.vms\n"
            "      VMeshData  (96 bytes)\n"
            "  Cmpnd\n"
            "    Root\n"
            "      File name  (9 bytes)\n"
            "      Object name  (5 bytes)\n"
            "      Index  (4 bytes)\n"
            "  ship.3db\n"
            "    MultiLevel\n"
            "      Level0\n"
            "        VMeshPart\n"
            "          VMeshRef  (60 bytes)\n"
            "    Hardpoints\n"
            "      Fixed\n"
            "      Revolute\n");
}

TEST(TreeCommand, ShowsUsedBytesOfPaddedLeafAndWarnsAboutCompression) {
  EXPECT_EQ(Tree(kData + "padded_leaf.utf").out, "\\\n  Padded  (5 bytes)\n");
  const auto run = Tree(kData + "compressed_leaf.utf");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out, "\\\n  Packed  (100 bytes)\n");
  EXPECT_EQ(run.err, "warning: Packed: Possible compression being used on this chunk\n");
}

TEST(TreeCommand, EscapesNameBytesOutsidePrintableAscii) {
  UtfTree tree;
  UtfNode top = tree.AddNode(nullptr, "\\");
  tree.SetData(tree.AddNode(top, "a\x01" "b\\c\xE9~"), {1});
  const fs::path file = fs::temp_directory_path() / "svcmp-tree-escape.utf";
  ASSERT_TRUE(WriteUtfFile(tree, file).written);
  const auto run = Tree(file.string());
  fs::remove(file);
  EXPECT_EQ(run.out, "\\\n  a\\x01b\\c\\xE9~  (1 byte)\n");
}

TEST(TreeCommand, RefusesBadFilesWithOneLineNamingFileAndReason) {
  const struct {
    const char* file;
    std::string message;
  } cases[] = {
      {"truncated.cmp", "the node table runs past the end of the file"},
      {"cycle.utf", "node 3: its next sibling, node 1, is already loaded (the node links form a loop)"},
      {"name_past_table.utf", "node 2: its name lies outside the name table"},
      {"../utf/missing.cmp", ""},
  };
  for (const auto& bad : cases) {
    SCOPED_TRACE(bad.file);
    const auto run = Tree(kData + bad.file);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, "");
    const std::string expected =
        bad.message.empty()
            ? "error: cannot open " + kData + bad.file + ": No such file or directory\n"
            : "error: " + kData + bad.file + ": " + bad.message + "\n";
    EXPECT_EQ(run.err, expected);
  }
  EXPECT_EQ(Tree(SVCMP_TEST_DATA "/../CMakeLists.txt").err,
            "error: " SVCMP_TEST_DATA "/../CMakeLists.txt: not a UTF file (it does not start with \"UTF \")\n");
}

TEST(TreeCommand, WrongUsageExitsWithTwo) {
  EXPECT_EQ(RunCmptool("tree", fs::temp_directory_path()).exitStatus, 2);
  EXPECT_EQ(RunCmptool("tree a b", fs::temp_directory_path()).exitStatus, 2);
}

}  // namespace
}  // namespace svcmp
