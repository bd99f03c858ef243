#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "inspect/level_geometry.h"
#include "tests/cli/cmptool_runner.h"
#include "utf/utf_reader.h"

// cmptool convert, judged by the round trip the modder makes: converting a
// .cmp and exporting the result again gives the same meshes and hardpoints.
namespace svcmp {
namespace {

namespace fs = std::filesystem;

const std::string kExports = SVCMP_TEST_DATA "/export/";

LevelGeometry Gather(const fs::path& path, int level) {
  UtfTree tree;
  const UtfReadResult read = ReadUtfFile(path, tree, nullptr);
  EXPECT_TRUE(read.ok()) << path << ": " << read.reason;
  return GatherLevelGeometry(DecodeCompoundModel(tree), level);
}

// Scaling up and down again rounds twice: a few units in the last place.
bool WithinRounding(const Vector3& a, const Vector3& b) {
  for (std::size_t i = 0; i < 3; ++i) {
    if (std::fabs(a[i] - b[i]) > 4 * std::numeric_limits<float>::epsilon() * std::fabs(a[i])) {
      return false;
    }
  }
  return true;
}

// Every triangle corner lands where it was. The importer joins vertices of
// equal position and texture point and drops unused ones, so vertex counts
// match exactly only for meshes without such vertices.
void ExpectSameGeometry(const LevelGeometry& original, const LevelGeometry& back,
                        bool exactVertexCounts, bool hardpoints) {
  ASSERT_EQ(back.parts.size(), original.parts.size());
  for (std::size_t p = 0; p < original.parts.size(); ++p) {
    SCOPED_TRACE("part " + std::to_string(p));
    const LevelPart& was = original.parts[p];
    const LevelPart& is = back.parts[p];
    ASSERT_EQ(is.meshes.size(), was.meshes.size());
    for (std::size_t m = 0; m < was.meshes.size(); ++m) {
      SCOPED_TRACE("mesh " + std::to_string(m));
      const LevelMesh& a = was.meshes[m];
      const LevelMesh& b = is.meshes[m];
      ASSERT_EQ(b.indices.size(), a.indices.size());
      if (exactVertexCounts) {
        EXPECT_EQ(b.vertices.size(), a.vertices.size());
        EXPECT_EQ(b.indices, a.indices);
      }
      for (std::size_t k = 0; k < a.indices.size(); ++k) {
        EXPECT_TRUE(
            WithinRounding(a.vertices[a.indices[k]].position, b.vertices[b.indices[k]].position))
            << "corner " << k;
      }
    }
    if (!hardpoints) continue;
    ASSERT_EQ(is.hardpoints.size(), was.hardpoints.size());
    for (std::size_t h = 0; h < was.hardpoints.size(); ++h) {
      EXPECT_EQ(is.hardpoints[h].name, was.hardpoints[h].name);
      EXPECT_EQ(is.hardpoints[h].kind, was.hardpoints[h].kind);
      EXPECT_TRUE(WithinRounding(*is.hardpoints[h].position, *was.hardpoints[h].position))
          << was.hardpoints[h].name;
    }
  }
}

using ConvertCommand = testing::CmptoolTest;

struct RoundTrip {
  std::string source;  // a golden file, or the sample ship's export options
  int level;
  std::string convertOptions;
  std::string exportOptions;
  bool exactVertexCounts;
};

TEST_F(ConvertCommand, ExportOfTheConvertedModelGivesTheSameMeshesAndHardpoints) {
  const std::string sampleShip = "'" SVCMP_EXAMPLES "/sample_ship.json'";
  const RoundTrip trips[] = {
      {kExports + "single_lod0.cmp", 0, "", "", false},
      {kExports + "parts_buildup.cmp", 0, "", "--groups 2,1", false},
      {kExports + "parts_buildup.cmp", 1, "--level 1", "--lod 1 --groups 2,1", false},
      {kExports + "parts_lod2.cmp", 2, "--level 2 --scale 50 --orientation back-to-front",
       "--lod 2 --scale 50 --orientation back-to-front --groups 1,1,1", false},
      {"", 0, "", "", true},
      {"", 0, "", "--groups 1,2,1", true},
  };
  for (const char* format : {"glb", "gltf", "dae"}) {
    for (const RoundTrip& trip : trips) {
      SCOPED_TRACE(std::string(format) + " " + trip.source + " " + trip.exportOptions);
      fs::path source = trip.source;
      if (source.empty()) {
        source = folder_ / "sample.cmp";
        ASSERT_EQ(Run("export " + sampleShip + " -o sample.cmp -q --force " + trip.exportOptions)
                      .exitStatus,
                  0);
      }
      const std::string model = std::string("model.") + format;
      const auto convert =
          Run("convert '" + source.string() + "' -o " + model + " --force " + trip.convertOptions);
      ASSERT_EQ(convert.exitStatus, 0) << convert.err;
      EXPECT_EQ(convert.err, "");
      const auto exported =
          Run("export " + model + " -o back.cmp -q --force " + trip.exportOptions);
      ASSERT_EQ(exported.exitStatus, 0) << exported.err;
      // The export writes hardpoints at level 0 only.
      ExpectSameGeometry(Gather(source, trip.level), Gather(folder_ / "back.cmp", trip.level),
                         trip.exactVertexCounts, trip.level == 0);
    }
  }
  EXPECT_TRUE(fs::exists(folder_ / "model.bin"));  // the .gltf's buffer, delivered beside it
}

TEST_F(ConvertCommand, RefusesWithAMessageAndWritesNothing) {
  WriteRefusalInputs("kept.glb");
  const std::string ship = "'" + kExports + "single_lod0.cmp'";
  const testing::Refusal cases[] = {
      {ship + " -o out.fbx", "error: out.fbx: convert writes .gltf, .glb, .obj or .dae files\n"},
      {ship + " -o kept.glb", "error: kept.glb already exists; add --force to replace it\n"},
      {"text.cmp -o out.glb", "error: text.cmp: "},
      {ship + " -o out.glb --level 1",
       "error: " + ship.substr(1, ship.size() - 2) + " has no meshes at level 1\n"},
  };
  for (const testing::Refusal& c : cases) {
    SCOPED_TRACE(c.arguments);
    const auto run = Run("convert " + c.arguments);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err.substr(0, c.message.size()), c.message);
    EXPECT_FALSE(fs::exists(folder_ / "out.glb"));
    EXPECT_FALSE(fs::exists(folder_ / "out.fbx"));
  }
  EXPECT_EQ(FileText("kept.glb"), "mine");
}

}  // namespace
}  // namespace svcmp
