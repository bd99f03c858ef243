#include "exporter/cmp_exporter_plugin.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "exporter/export_messages.h"
#include "host/host_model.h"
#include "utf/file_io.h"
#include "utf/utf_reader.h"

namespace svcmp {
namespace {

namespace fs = std::filesystem;

struct ShownMessage {
  std::string text;
  std::string caption;
  MessageIcon icon;
};

// Plays the user: answers each question as configured and records what the
// driver showed.
class ScriptedUi final : public ExportUi {
 public:
  ExportMode modeAnswer = CreateNew;
  bool cancelPathDialog = false;
  std::string pathAnswer;
  ExportSettings settingsAnswer;

  std::vector<ShownMessage> messages;
  std::vector<std::string> steps;
  ExportMode modeReceivedByPathDialog = kNoExportMode;
  CmpAssemblyStatus resultStatus = CmpAssemblyStatus::NotRun;
  std::size_t nodesShown = 0;

  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override {
    messages.push_back({text, caption, icon});
  }
  void ChooseExportMode(ExportMode& mode) override {
    steps.push_back("file options");
    mode = modeAnswer;
  }
  bool ChooseCmpPath(ExportMode mode, std::string& path) override {
    steps.push_back("path");
    modeReceivedByPathDialog = mode;
    if (cancelPathDialog) return false;
    path = pathAnswer;
    return true;
  }
  void EditSettings(ExportSettings& settings) override {
    steps.push_back("options");
    settings = settingsAnswer;
  }
  void ShowResult(CmpTreeDialog& dialog) override {
    steps.push_back("result");
    resultStatus = dialog.Initialise();
    if (dialog.HasTree()) nodesShown = dialog.Tree().NodeCount();
    dialog.Close();
  }
};

msMesh Triangle(const std::string& name, int material) {
  msMesh mesh;
  mesh.name = name;
  mesh.materialIndex = material;
  mesh.vertices.resize(3);
  mesh.vertices[1].position[0] = 92;
  mesh.vertices[2].position[1] = 92;
  mesh.triangles.push_back(msTriangle{{0, 1, 2}});
  return mesh;
}

HostModelPtr ModelOf(std::vector<msMesh> meshes) {
  HostModelPtr model = MakeHostModel();
  model->materials.push_back(msMaterial{"hull_metal"});
  model->meshes = std::move(meshes);
  return model;
}

// Each test runs in a directory of its own, since the driver writes its
// mesh buffer file into the current directory.
class CmpExporterPlugInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    dir_ = fs::temp_directory_path() /
           ("svcmp_driver_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
    ui_.pathAnswer = (dir_ / "ship.cmp").string();
  }
  void TearDown() override {
    fs::current_path(previous_);
    fs::remove_all(dir_);
  }

  int Run(msModel* model) {
    CmpExporterPlugIn plugIn(ui_);
    return plugIn.Execute(model);
  }

  ScriptedUi ui_;
  fs::path dir_;
  fs::path previous_;
};

TEST_F(CmpExporterPlugInTest, TypeTitleAndDeletingDestructor) {
  auto* plugIn = new CmpExporterPlugIn(ui_);
  PlugInInterface* face = plugIn;
  EXPECT_EQ(face->GetType(), 2);
  EXPECT_STREQ(face->GetTitle(), "Starvane CMP V0.2.1");
  EXPECT_STREQ(face->GetTitle(), "Starvane CMP V0.2.1");
  EXPECT_EQ(face->ScalarDeletingDestructor(1), face);  // frees; the sanitizer build checks it
}

TEST_F(CmpExporterPlugInTest, NullModelReturnsMinusOneWithoutAsking) {
  EXPECT_EQ(Run(nullptr), -1);
  EXPECT_TRUE(ui_.steps.empty());
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(CmpExporterPlugInTest, EmptyModelOnlySaysSo) {
  HostModelPtr model = ModelOf({});
  EXPECT_EQ(Run(model.get()), 0);
  EXPECT_TRUE(ui_.steps.empty());
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "The model is empty!  Nothing exported!");
  EXPECT_EQ(ui_.messages[0].caption, "Ahem.. hello? :-)");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Exclamation);
}

TEST_F(CmpExporterPlugInTest, NoFileOptionEndsBeforeAnyFileDialog) {
  HostModelPtr model = ModelOf({Triangle("hull", 0)});
  ui_.modeAnswer = kNoExportMode;
  EXPECT_EQ(Run(model.get()), 0);
  EXPECT_EQ(ui_.steps, std::vector<std::string>{"file options"});
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "File option not selected - exiting");
  EXPECT_EQ(ui_.messages[0].caption, "Warning");
}

TEST_F(CmpExporterPlugInTest, CancelledPathDialogEndsSilentlyBeforeTheOptions) {
  HostModelPtr model = ModelOf({Triangle("hull", 0)});
  ui_.cancelPathDialog = true;
  EXPECT_EQ(Run(model.get()), 0);
  EXPECT_EQ(ui_.steps, (std::vector<std::string>{"file options", "path"}));
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_FALSE(fs::exists(ui_.pathAnswer));
}

TEST_F(CmpExporterPlugInTest, CompleteExportWritesTheFileAndRemovesTheBuffer) {
  HostModelPtr model = ModelOf({Triangle("hull", 0), Triangle("Hp_Fixed_HpMount01", -1)});
  EXPECT_EQ(Run(model.get()), 0);
  EXPECT_EQ(ui_.steps, (std::vector<std::string>{"file options", "path", "options", "result"}));
  EXPECT_TRUE(ui_.messages.empty());
  EXPECT_EQ(ui_.resultStatus, CmpAssemblyStatus::Written);
  EXPECT_FALSE(fs::exists("___temp.vms"));

  UtfTree tree;
  ASSERT_TRUE(ReadUtfFile(ui_.pathAnswer, tree, nullptr).ok());
  EXPECT_EQ(tree.NodeCount(), ui_.nodesShown);
  EXPECT_NE(tree.FindNode(nullptr, "hull.lod0.vms"), nullptr);
  EXPECT_NE(tree.FindNode(nullptr, "HpMount01"), nullptr);
}

TEST_F(CmpExporterPlugInTest, UpdateOfMissingFileBuildsANewOne) {
  HostModelPtr model = ModelOf({Triangle("hull", 0)});
  ui_.modeAnswer = UpdateExisting;
  EXPECT_EQ(Run(model.get()), 0);
  EXPECT_EQ(ui_.modeReceivedByPathDialog, UpdateExisting);
  EXPECT_EQ(ui_.resultStatus, CmpAssemblyStatus::Written);
  EXPECT_TRUE(fs::exists(ui_.pathAnswer));
}

TEST_F(CmpExporterPlugInTest, MismatchedGroupQuantitiesWriteNothing) {
  HostModelPtr model = ModelOf({Triangle("a", 0), Triangle("b", 0), Triangle("c", 0)});
  ui_.settingsAnswer.GroupCount = 2;
  ui_.settingsAnswer.GroupQuantities = {1, 1};
  EXPECT_EQ(Run(model.get()), -1);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, "Number of mesh group quantities does not match model - Exiting");
  EXPECT_EQ(ui_.messages[0].caption, "Warning");
  EXPECT_FALSE(fs::exists(ui_.pathAnswer));
  EXPECT_FALSE(fs::exists("___temp.vms"));
}

TEST_F(CmpExporterPlugInTest, NegativeQuantityIsRefusedEvenWhenTheSumMatches) {
  HostModelPtr model = ModelOf({Triangle("a", 0), Triangle("b", 0), Triangle("c", 0)});
  ui_.settingsAnswer.GroupCount = 2;
  ui_.settingsAnswer.GroupQuantities = {4, -1};
  EXPECT_EQ(Run(model.get()), -1);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].caption, "Warning");
  EXPECT_FALSE(fs::exists(ui_.pathAnswer));
  EXPECT_FALSE(fs::exists("___temp.vms"));
}

TEST_F(CmpExporterPlugInTest, TriangleIndexOutsideItsMeshIsRefused) {
  msMesh broken = Triangle("hull", 0);
  broken.triangles[0].indices[2] = 3;
  HostModelPtr model = ModelOf({broken});
  EXPECT_EQ(Run(model.get()), -1);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].caption, "Warning");
  EXPECT_FALSE(fs::exists(ui_.pathAnswer));
  EXPECT_FALSE(fs::exists("___temp.vms"));
}

// A front end that hands the buffer over in memory gets the very same file,
// and a "___temp.vms" in the way is neither needed nor touched.
TEST_F(CmpExporterPlugInTest, BufferHandedOverInMemoryGivesTheSameFile) {
  HostModelPtr throughFile = ModelOf({Triangle("hull", 0), Triangle("Hp_Fixed_HpMount01", -1)});
  ASSERT_EQ(Run(throughFile.get()), 0);
  const FileReadResult expected = ReadWholeFile(ui_.pathAnswer);

  fs::create_directory("___temp.vms");
  ui_.pathAnswer = (dir_ / "in_memory.cmp").string();
  HostModelPtr inMemory = ModelOf({Triangle("hull", 0), Triangle("Hp_Fixed_HpMount01", -1)});
  CmpExporterPlugIn plugIn(ui_, std::nullopt);
  ASSERT_EQ(plugIn.Execute(inMemory.get()), 0);
  EXPECT_EQ(ReadWholeFile(ui_.pathAnswer).bytes, expected.bytes);
  EXPECT_TRUE(fs::is_directory("___temp.vms"));
}

TEST_F(CmpExporterPlugInTest, BufferFileThatCannotBeCreatedIsAnError) {
  fs::create_directory("___temp.vms");  // in the way of the file
  HostModelPtr model = ModelOf({Triangle("hull", 0)});
  EXPECT_EQ(Run(model.get()), -1);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].caption, "Error exporting VMS file");
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(ui_.steps.back(), "options");
  EXPECT_FALSE(fs::exists(ui_.pathAnswer));
}

TEST_F(CmpExporterPlugInTest, FileThatCannotBeWrittenIsReportedAsFailure) {
  ui_.pathAnswer = (dir_ / "no_such_folder" / "ship.cmp").string();
  HostModelPtr model = ModelOf({Triangle("hull", 0)});
  EXPECT_EQ(Run(model.get()), -1);
  EXPECT_EQ(ui_.resultStatus, CmpAssemblyStatus::WriteFailed);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].icon, MessageIcon::Error);
  EXPECT_FALSE(fs::exists("___temp.vms"));
}

}  // namespace
}  // namespace svcmp
