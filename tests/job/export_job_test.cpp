#include "job/export_job.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "format/name_crc.h"
#include "import/model_file.h"
#include "inspect/collision_checks.h"
#include "inspect/collision_decoder.h"
#include "inspect/compound_model.h"
#include "inspect/model_checks.h"
#include "job/all_or_none.h"
#include "simplify/mesh_pieces.h"
#include "tests/utf/folder_test.h"
#include "utf/utf_reader.h"

// The export job in this process, on the golden ship: the parts handed to
// the .cmp and to the collision file agree, and the files are written all
// or none.
namespace svcmp {
namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<std::uint8_t>;

const fs::path kShip = fs::path(SVCMP_TEST_DATA) / "export" / "ship.json";

Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class RecordingUi final : public ExportJobUi {
 public:
  void Warn(const std::string& text) override { warnings.push_back(text); }
  void Fail(const std::string& text) override { failures.push_back(text); }
  void Note(const std::string& text) override { notes.push_back(text); }
  void Waiting(const std::string& /*path*/) override {}
  void Written(const std::vector<std::string>& lines, const UtfTree& tree) override {
    summaries = lines;
    treeHadNodes = tree.NodeCount() > 0;
  }

  std::vector<std::string> warnings;
  std::vector<std::string> failures;
  std::vector<std::string> notes;
  std::vector<std::string> summaries;
  bool treeHadNodes = false;
};

class ExportJobTest : public testing::FolderTest {
 protected:
  void TearDown() override {
    SetWriteFault(nullptr);
    FolderTest::TearDown();
  }

  ExportOptions Options() const {
    ExportOptions options;
    options.modelPath = kShip.string();
    options.outputPath = (folder_ / "ship.cmp").string();
    options.quiet = true;
    return options;
  }

  // One export of the golden ship as cmptool runs it; the UI it told.
  RecordingUi Export(const ExportOptions& options, ExportSettings settings = {}) {
    RecordingUi ui;
    ExportJob job(options, ui);
    ModelLoadResult loaded = LoadModelFile(options.modelPath, {});
    EXPECT_NE(loaded.model, nullptr) << loaded.error;
    std::vector<SplitMesh> splits = SplitLargeMeshes(*loaded.model);
    succeeded = job.Prepare() && job.Run(std::move(loaded.model), std::move(splits), settings);
    return ui;
  }

  // Every file in the folder with its bytes.
  std::map<std::string, Bytes> Files() const {
    std::map<std::string, Bytes> files;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      files[entry.path().filename().string()] = ReadBytes(entry.path());
    }
    return files;
  }

  bool succeeded = false;
};

CompoundModel DecodeFile(const fs::path& path) {
  UtfTree tree;
  EXPECT_TRUE(ReadUtfFile(path, tree, nullptr).ok());
  return DecodeCompoundModel(tree);
}

// Released single-part models name their collision part after Root, as
// the .cmp names its one part; 0 is a .3db's.
TEST_F(ExportJobTest, OnePartCollisionCarriesRootsId) {
  ExportOptions options = Options();
  options.collision = true;
  const RecordingUi ui = Export(options);
  ASSERT_TRUE(succeeded) << (ui.failures.empty() ? "" : ui.failures.front());
  const CollisionDecoding sur = DecodeCollisionFile(ReadBytes(folder_ / "ship.sur"));
  ASSERT_TRUE(sur.file);
  ASSERT_EQ(sur.file->parts.size(), 1u);
  EXPECT_EQ(sur.file->parts[0].id, NameCrc("Root"));
  const CompoundModel model = DecodeFile(folder_ / "ship.cmp");
  EXPECT_TRUE(CheckCollisionFile(*sur.file, &model).empty());
  EXPECT_EQ(ui.summaries.size(), 1u);
  EXPECT_TRUE(ui.treeHadNodes);
}

// Groups: the collision file's part ids are the .cmp's part names, made once.
TEST_F(ExportJobTest, GroupsCollisionIdsAreTheCmpsPartNames) {
  ExportOptions options = Options();
  options.collision = true;
  options.fix = true;
  ExportSettings settings;
  settings.GroupCount = 2;
  settings.GroupQuantities = {2, 1};
  ASSERT_TRUE((Export(options, settings), succeeded));
  const CompoundModel model = DecodeFile(folder_ / "ship.cmp");
  const CollisionDecoding sur = DecodeCollisionFile(ReadBytes(folder_ / "ship.sur"));
  ASSERT_TRUE(sur.file);
  ASSERT_EQ(model.parts.size(), 2u);
  std::vector<std::uint32_t> cmpIds;
  for (const Part& part : model.parts) cmpIds.push_back(NameCrc(part.objectName));
  std::vector<std::uint32_t> surIds;
  for (const CollisionPart& part : sur.file->parts) surIds.push_back(part.id);
  EXPECT_EQ(surIds, cmpIds);
  EXPECT_TRUE(CheckCollisionFile(*sur.file, &model).empty());
}

// Two files of one export at one place would overwrite each other (and
// lock each other out): refused before anything is read or written.
TEST_F(ExportJobTest, FilesOfOneExportMustGoToDifferentPlaces) {
  const std::string cmp = (folder_ / "ship.cmp").string();
  const std::string other = (folder_ / "sub" / ".." / "ship.cmp").string();
  fs::create_directory(folder_ / "sub");
  for (const auto& [collisionPath, materialsPath] :
       {std::pair<std::string, std::string>{other, ""}, {"", cmp}}) {
    ExportOptions options = Options();
    options.collision = true;
    options.collisionPath = collisionPath;
    if (!materialsPath.empty()) options.materialsPath = materialsPath;
    RecordingUi ui;
    ExportJob job(options, ui);
    EXPECT_FALSE(job.Prepare());
    ASSERT_EQ(ui.failures.size(), 1u);
    EXPECT_NE(ui.failures[0].find("must go to different files"), std::string::npos)
        << ui.failures[0];
  }
  EXPECT_EQ(Entries(), std::vector<std::string>{"sub"});
}

struct JobFault {
  const char* name;
  WriteStep step;
  const char* file;
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const JobFault& fault, std::ostream* out) { *out << fault.name; }

class ExportJobFault : public ExportJobTest, public ::testing::WithParamInterface<JobFault> {};

// A fault at any write step of any of the export's files leaves no file of
// a new export, and with --update every file byte for byte as it was.
TEST_P(ExportJobFault, LeavesEveryTargetAsItWas) {
  const JobFault& fault = GetParam();
  ExportOptions options = Options();
  options.collision = true;
  options.materialsPath = (folder_ / "ship.mat").string();
  const fs::path faulty = folder_ / fault.file;
  const WriteFault failing = [&](WriteStep step, const fs::path& path) {
    return step == fault.step && fs::path(path) == faulty;
  };

  SetWriteFault(failing);
  RecordingUi ui = Export(options);
  EXPECT_FALSE(succeeded);
  EXPECT_TRUE(Files().empty());
  ASSERT_EQ(ui.failures.size(), 1u);
  EXPECT_NE(ui.failures[0].find(fault.file), std::string::npos) << ui.failures[0];

  SetWriteFault(nullptr);
  ASSERT_TRUE((Export(options), succeeded));
  const std::map<std::string, Bytes> before = Files();
  ASSERT_EQ(before.size(), 3u);
  options.update = true;
  ExportSettings settings;
  settings.ScaleDivisor = 20;  // the update changes the .cmp and the .sur
  SetWriteFault(failing);
  Export(options, settings);
  EXPECT_FALSE(succeeded);
  EXPECT_EQ(Files(), before);
  SetWriteFault(nullptr);
  Export(options, settings);
  EXPECT_TRUE(succeeded);
  const std::map<std::string, Bytes> after = Files();
  EXPECT_NE(after.at("ship.cmp"), before.at("ship.cmp"));
  EXPECT_NE(after.at("ship.sur"), before.at("ship.sur"));
}

INSTANTIATE_TEST_SUITE_P(Steps, ExportJobFault,
                         ::testing::Values(JobFault{"StageSur", WriteStep::Stage, "ship.sur"},
                                           JobFault{"StageMat", WriteStep::Stage, "ship.mat"},
                                           JobFault{"ReadBackCmp", WriteStep::ReadBack, "ship.cmp"},
                                           JobFault{"RenameCmp", WriteStep::Rename, "ship.cmp"},
                                           JobFault{"RenameSur", WriteStep::Rename, "ship.sur"},
                                           JobFault{"RenameMat", WriteStep::Rename, "ship.mat"}),
                         [](const ::testing::TestParamInfo<JobFault>& info) {
                           return std::string(info.param.name);
                         });

// A collision file there that cannot be updated (our decoder refuses it)
// stops the export before any file is touched: the old .cmp stays too.
TEST_F(ExportJobTest, CollisionThatCannotBeUpdatedLeavesTheOldFiles) {
  ExportOptions options = Options();
  options.collision = true;
  ASSERT_TRUE((Export(options), succeeded));
  {
    std::ofstream damaged(folder_ / "ship.sur", std::ios::binary | std::ios::app);
    damaged << "tail";  // a part cut short
  }
  const std::map<std::string, Bytes> before = Files();
  options.update = true;
  ExportSettings settings;
  settings.ScaleDivisor = 20;
  const RecordingUi ui = Export(options, settings);
  EXPECT_FALSE(succeeded);
  ASSERT_EQ(ui.failures.size(), 1u);
  EXPECT_NE(ui.failures[0].find("ship.sur: --update cannot keep"), std::string::npos)
      << ui.failures[0];
  EXPECT_EQ(Files(), before);
}

}  // namespace
}  // namespace svcmp
