#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "cmptool_runner.h"

// Whole exports compared byte for byte with golden files: the .cmp, and the
// collision file where the export writes one. The goldens were written by
// this exporter and checked by hand against the layouts (the collision files
// read back by our decoder); one changes only in a commit that says why.
namespace svcmp {
namespace {

namespace fs = std::filesystem;

const fs::path kData = fs::path(SVCMP_TEST_DATA) / "export";

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct GoldenCase {
  const char* golden;
  std::vector<std::string> exports;  // options of each export into the same file, in order
  fs::path model = kData / "ship.json";
  const char* goldenSur = nullptr;  // the collision file's golden; none: no file is written
};

const fs::path kExamples = SVCMP_EXAMPLES;

// Names the case in test output instead of dumping its bytes.
void PrintTo(const GoldenCase& golden, std::ostream* out) { *out << golden.golden; }

class ExportGolden : public testing::FolderTest,
                     public ::testing::WithParamInterface<GoldenCase> {};

TEST_P(ExportGolden, MatchesByteForByte) {
  const GoldenCase& golden = GetParam();
  // The model's texture, where it has one, lies beside it.
  for (const auto& entry : fs::directory_iterator(golden.model.parent_path())) {
    if (entry.path().stem() == golden.model.stem() ||
        entry.path().filename().string().starts_with(golden.model.stem().string() + "_")) {
      fs::copy_file(entry.path(), folder_ / entry.path().filename());
    }
  }
  const std::string model = golden.model.filename().string();
  for (const std::string& options : golden.exports) {
    const auto run = testing::RunCmptool("export " + model + " -o out.cmp -q " + options, folder_);
    ASSERT_EQ(run.exitStatus, 0) << options << "\n" << run.err;
    EXPECT_EQ(run.err, "") << options;
  }
  EXPECT_EQ(ReadBytes(folder_ / "out.cmp"), ReadBytes(kData / golden.golden));
  if (golden.goldenSur != nullptr) {
    ASSERT_TRUE(fs::exists(folder_ / "out.sur"));
    EXPECT_EQ(ReadBytes(folder_ / "out.sur"), ReadBytes(kData / golden.goldenSur));
  } else {
    EXPECT_FALSE(fs::exists(folder_ / "out.sur"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Exports, ExportGolden,
    ::testing::Values(
        GoldenCase{"single_lod0.cmp", {""}},
        GoldenCase{"parts_lod2.cmp",
                   {"--groups 1,1,1 --lod 2 --scale 50 --orientation back-to-front"}},
        GoldenCase{"buildup.cmp", {"", "--update --lod 1", "--update --lod 2"}},
        GoldenCase{"parts_buildup.cmp",
                   {"--groups 2,1", "--update --lod 1 --groups 2,1", "--update --lod 2 --groups 2,1"}},
        // One part and its collision file.
        GoldenCase{"one_part_collision.cmp", {"--collision"}, kData / "ship.json",
                   "one_part_collision.sur"},
        // Groups held by Fix joints, one hull per part, updated at level 1.
        GoldenCase{"groups_collision.cmp",
                   {"--groups 2,1 --fix --collision --collision-hulls part",
                    "--update --lod 1 --groups 2,1 --fix"},
                   kData / "ship.json", "groups_collision.sur"},
        // The sample ship as a modder exports it: one part, materials, collision.
        GoldenCase{"sample_ship_ready.cmp", {"--game-ready"}, kExamples / "sample_ship.obj",
                   "sample_ship_ready.sur"},
        // Parts, joints and modelled hulls from the node tree.
        GoldenCase{"turret_ship_ready.cmp", {"--game-ready"}, kExamples / "turret_ship.json",
                   "turret_ship_ready.sur"}),
    [](const ::testing::TestParamInfo<GoldenCase>& info) {
      const std::string name = info.param.golden;
      return name.substr(0, name.find('.'));
    });

}  // namespace
}  // namespace svcmp
