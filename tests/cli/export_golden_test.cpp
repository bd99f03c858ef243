#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "cmptool_runner.h"

// Whole exports of tests/data/export/ship.json compared byte for byte with
// golden files. The goldens were written by this exporter and checked by hand
// against the layouts; one changes only in a commit that says why.
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
};

// Names the case in test output instead of dumping its bytes.
void PrintTo(const GoldenCase& golden, std::ostream* out) { *out << golden.golden; }

class ExportGolden : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(ExportGolden, MatchesByteForByte) {
  const GoldenCase& golden = GetParam();
  const fs::path dir = fs::temp_directory_path() / ("svcmp_golden_" + std::string(golden.golden));
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::copy_file(kData / "ship.json", dir / "ship.json");
  for (const std::string& options : golden.exports) {
    const auto run = testing::RunCmptool("export ship.json -o out.cmp -q " + options, dir);
    ASSERT_EQ(run.exitStatus, 0) << options << "\n" << run.err;
    EXPECT_EQ(run.err, "") << options;
  }
  EXPECT_EQ(ReadBytes(dir / "out.cmp"), ReadBytes(kData / golden.golden));
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(
    Exports, ExportGolden,
    ::testing::Values(
        GoldenCase{"single_lod0.cmp", {""}},
        GoldenCase{"parts_lod2.cmp",
                   {"--groups 1,1,1 --lod 2 --scale 50 --orientation back-to-front"}},
        GoldenCase{"buildup.cmp", {"", "--update --lod 1", "--update --lod 2"}},
        GoldenCase{"parts_buildup.cmp",
                   {"--groups 2,1", "--update --lod 1 --groups 2,1", "--update --lod 2 --groups 2,1"}}),
    [](const ::testing::TestParamInfo<GoldenCase>& info) {
      const std::string name = info.param.golden;
      return name.substr(0, name.find('.'));
    });

}  // namespace
}  // namespace svcmp
