#include "cmp/cmp_tree_dialog.h"

#include <gtest/gtest.h>

#include <string_view>

#include "tests/cmp/cmp_test_fixtures.h"
#include "utf/utf_reader.h"
#include "utf/utf_writer.h"

namespace svcmp {
namespace {

using namespace std::string_view_literals;
using testing::At;
using testing::DataAt;
using testing::ExportScene;
using testing::Outline;
using testing::ReadBytes;
using testing::Text;
using testing::WriteBytes;

struct Shown {
  std::string text;
  std::string caption;
  MessageIcon icon;
};

// Runs one export's result window and keeps what it showed.
struct DialogRun {
  std::vector<Shown> shown;
  CmpAssemblyStatus status = CmpAssemblyStatus::NotRun;
  bool hasTree = false;
  std::vector<std::string> outline;

  DialogRun(ExportScene& scene, int levelOfDetail, ExportMode mode) {
    CmpTreeDialog dialog(
        scene.Inputs(levelOfDetail, mode),
        [this](const std::string& text, const std::string& caption, MessageIcon icon) {
          shown.push_back({text, caption, icon});
        });
    status = dialog.Initialise();
    hasTree = dialog.HasTree();
    outline = Outline(dialog.Tree());
    dialog.Close();
    EXPECT_EQ(dialog.Tree().NodeCount(), 0u);
  }
};

UtfTree ReadBack(const std::filesystem::path& path) {
  UtfTree tree;
  const UtfReadResult read = ReadUtfFile(path, tree, [](const std::string&) {});
  EXPECT_TRUE(read.ok()) << read.reason;
  return tree;
}

TEST(CmpTreeDialog, BuildsUpLevels0To2OfOneFile) {
  ExportScene scene;
  for (int level : {0, 1, 2}) {
    const DialogRun run(scene, level, UpdateExisting);
    EXPECT_EQ(run.status, CmpAssemblyStatus::Written);
    EXPECT_TRUE(run.shown.empty());
  }
  const UtfTree tree = ReadBack(scene.CmpPath());
  const std::vector<std::string> expected = {
      "0 \\",         "1 VMeshLibrary",  "2 hull.lod0.vms", "3 VMeshData", "2 hull.lod1.vms",
      "3 VMeshData",  "2 hull.lod2.vms", "3 VMeshData",     "1 Cmpnd",     "2 Root",
      "3 File name",  "3 Index",         "3 Object name",   "1 hull.3db",  "2 Hardpoints",
      "3 Fixed",      "4 HpMount01",     "5 Orientation",   "5 Position",  "3 Revolute",
      "4 HpTurret01", "5 Axis",          "5 Max",           "5 Min",       "5 Orientation",
      "5 Position",   "2 MultiLevel",    "3 Level0",        "4 VMeshPart", "5 VMeshRef",
      "3 Level1",     "4 VMeshPart",     "5 VMeshRef",      "3 Level2",    "4 VMeshPart",
      "5 VMeshRef",   "3 Switch2"};
  EXPECT_EQ(Outline(tree), expected);
  EXPECT_FALSE(std::filesystem::exists(scene.BufferPath()));

  // Repeating level 1 adds nothing.
  const DialogRun again(scene, 1, UpdateExisting);
  EXPECT_EQ(Outline(ReadBack(scene.CmpPath())), expected);
}

TEST(CmpTreeDialog, BuildsUpAMultiPartFile) {
  ExportScene scene;
  scene.meshes.push_back(testing::Plate("wing", {7, 0, 0}, {0, 1, 0}));
  scene.AddGroup("hull", Bounds{1, -1, 0.5f, -0.5f, 0.5f, -0.5f});
  scene.AddGroup("wing", Bounds{10, 5, 1, -1, 1, -1});
  for (int level : {0, 1, 2})
    EXPECT_EQ(DialogRun(scene, level, UpdateExisting).status, CmpAssemblyStatus::Written);
  const UtfTree tree = ReadBack(scene.CmpPath());
  for (std::string_view model : {"hull_lod1.3db"sv, "wing_lod1.3db"sv}) {
    UtfNode multiLevel = At(tree, {model, "MultiLevel"});
    ASSERT_NE(multiLevel, nullptr) << model;
    std::vector<std::string> levels;
    for (UtfNode c = tree.FirstChild(multiLevel); c; c = tree.NextSibling(c))
      levels.push_back(tree.Name(c));
    EXPECT_EQ(levels, (std::vector<std::string>{"Level0", "Level1", "Level2", "Switch2"}));
  }
  EXPECT_NE(At(tree, {"Cmpnd", "Cons", "Fix"}), nullptr);
  EXPECT_NE(At(tree, {"hull_lod1.3db", "Hardpoints", "Fixed", "HpMount01"}), nullptr);
  EXPECT_EQ(At(tree, {"wing_lod1.3db", "Hardpoints"}), nullptr);
}

// "\" holding a folder with a leaf, a leaf padded by another tool (8 bytes
// allocated, 4 used) and one whose stored and unpacked sizes differ.
std::vector<std::uint8_t> UnusualFile() {
  return testing::HandMadeUtf(
      {{0, 1, 0x10, 44, 0, 0, 0},
       {132, 3, 0x10, 88, 0, 0, 0},
       {0, 9, 0x80, 0, 4, 4, 4},
       {176, 14, 0x80, 4, 8, 4, 4},
       {0, 18, 0x80, 12, 4, 4, 10}},
      "\0\\\0Extra\0Note\0Pad\0Packed\0"sv,
      {'a', 'b', 'c', 0, 1, 2, 3, 4, 0xEE, 0xEE, 0xEE, 0xEE, 0x50, 0x51, 0x52, 0x53});
}

TEST(CmpTreeDialog, NodesTheUpdateDoesNotNameComeBackAsTheyWere) {
  ExportScene scene;
  WriteBytes(scene.CmpPath(), UnusualFile());
  const DialogRun run(scene, 1, UpdateExisting);
  EXPECT_EQ(run.status, CmpAssemblyStatus::Written);
  ASSERT_EQ(run.shown.size(), 1u);
  EXPECT_EQ(run.shown[0].text, "Possible compression being used on this chunk");
  EXPECT_EQ(run.shown[0].caption, "Packed");
  EXPECT_EQ(run.shown[0].icon, MessageIcon::None);

  const UtfTree tree = ReadBack(scene.CmpPath());
  EXPECT_EQ(DataAt(tree, {"Extra", "Note"}), Text("abc"));
  EXPECT_EQ(DataAt(tree, {"Pad"}), testing::Bytes({1, 2, 3, 4}));
  EXPECT_EQ(DataAt(tree, {"Packed"}), testing::Bytes({0x50, 0x51, 0x52, 0x53}));
  EXPECT_NE(At(tree, {"hull.3db", "MultiLevel", "Level1", "VMeshPart", "VMeshRef"}), nullptr);
}

void ExpectRefused(ExportScene& scene, const std::vector<std::uint8_t>& before) {
  const DialogRun run(scene, 0, UpdateExisting);
  EXPECT_EQ(run.status, CmpAssemblyStatus::UpdateRefused);
  EXPECT_FALSE(run.hasTree);
  EXPECT_TRUE(run.outline.empty());
  ASSERT_EQ(run.shown.size(), 1u);
  EXPECT_EQ(run.shown[0].caption, "Warning");
  EXPECT_EQ(run.shown[0].icon, MessageIcon::Exclamation);
  EXPECT_NE(run.shown[0].text.find(scene.CmpPath().string()), std::string::npos)
      << run.shown[0].text;
  EXPECT_NE(run.shown[0].text.find("left unchanged"), std::string::npos) << run.shown[0].text;
  EXPECT_FALSE(std::filesystem::exists(scene.BufferPath()));
  if (std::filesystem::is_regular_file(scene.CmpPath())) {
    EXPECT_EQ(ReadBytes(scene.CmpPath()), before);
  }
}

TEST(CmpTreeDialog, RefusesToUpdateAFileItCannotReadAndLeavesItAlone) {
  ExportScene notUtf;
  const auto text = Text("my notes, not a model");
  WriteBytes(notUtf.CmpPath(), text);
  ExpectRefused(notUtf, text);

  ExportScene damaged;
  auto cut = UnusualFile();
  cut.resize(cut.size() - 3);  // the last leaf's data runs past the end
  WriteBytes(damaged.CmpPath(), cut);
  ExpectRefused(damaged, cut);

  ExportScene unreadable;
  std::filesystem::create_directory(unreadable.CmpPath());
  ExpectRefused(unreadable, {});
  EXPECT_TRUE(std::filesystem::is_directory(unreadable.CmpPath()));
}

TEST(CmpTreeDialog, AnEmptyFileIsBuiltAnew) {
  ExportScene scene;
  WriteBytes(scene.CmpPath(), {});
  const DialogRun run(scene, 0, UpdateExisting);
  EXPECT_EQ(run.status, CmpAssemblyStatus::Written);
  EXPECT_TRUE(run.shown.empty());
  EXPECT_EQ(Outline(ReadBack(scene.CmpPath())), run.outline);
}

TEST(CmpTreeDialog, AnyModeButUpdateBuildsNewWithoutReadingThePath) {
  for (ExportMode mode : {CreateNew, kNoExportMode, static_cast<ExportMode>(21)}) {
    ExportScene scene;
    WriteBytes(scene.CmpPath(), UnusualFile());
    const DialogRun run(scene, 0, mode);
    EXPECT_EQ(run.status, CmpAssemblyStatus::Written);
    EXPECT_TRUE(run.shown.empty());  // the compression note would show a read
    const UtfTree tree = ReadBack(scene.CmpPath());
    EXPECT_EQ(At(tree, {"Extra"}), nullptr);
    EXPECT_EQ(Outline(tree), run.outline);
  }
}

TEST(CmpTreeDialog, AFailedWriteIsReportedAndKeepsWhatWasThere) {
  ExportScene scene;
  std::filesystem::create_directory(scene.CmpPath());
  WriteBytes(scene.CmpPath() / "inside", Text("kept"));
  const DialogRun run(scene, 0, CreateNew);
  EXPECT_EQ(run.status, CmpAssemblyStatus::WriteFailed);
  EXPECT_TRUE(run.hasTree);
  EXPECT_FALSE(run.outline.empty());
  ASSERT_EQ(run.shown.size(), 1u);
  EXPECT_EQ(run.shown[0].caption, "Error writing CMP file");
  EXPECT_EQ(run.shown[0].icon, MessageIcon::Error);
  EXPECT_NE(run.shown[0].text.find(scene.CmpPath().string()), std::string::npos);
  EXPECT_EQ(ReadBytes(scene.CmpPath() / "inside"), Text("kept"));
  EXPECT_FALSE(std::filesystem::exists(scene.BufferPath()));
}

}  // namespace
}  // namespace svcmp
