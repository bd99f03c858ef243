#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "cmptool_runner.h"
#include "host/model_document_writer.h"
#include "inspect/compound_model.h"
#include "inspect/level_geometry.h"
#include "tests/simplify/generated_meshes.h"
#include "utf/utf_reader.h"

namespace svcmp {
namespace {

namespace fs = std::filesystem;

// The meshes as a host model document, one material each.
std::string ModelDocument(const MeshList& meshList) {
  std::string text = R"({"materials": ["hull"], "meshes": [)";
  char number[32];
  for (std::size_t m = 0; m < meshList.size(); ++m) {
    const MeshRecord& mesh = meshList[m];
    text += (m == 0 ? "" : ",") + std::string(R"({"name": ")") + mesh.meshName +
            R"(", "material": 0, "vertices": [)";
    for (std::size_t j = 0; j < mesh.vertices.size(); ++j) {
      const MeshVertex& v = mesh.vertices[j];
      std::snprintf(number, sizeof(number), "%s[%.9g,", j == 0 ? "" : ",", v.position[0]);
      text += number;
      for (const float value : {v.position[1], v.position[2], v.texture[0]}) {
        std::snprintf(number, sizeof(number), "%.9g,", value);
        text += number;
      }
      std::snprintf(number, sizeof(number), "%.9g]", v.texture[1]);
      text += number;
    }
    text += R"(], "triangles": [)";
    for (std::size_t k = 0; k < mesh.triangles.size(); ++k) {
      const auto& index = mesh.triangles[k].index;
      text += (k == 0 ? "[" : ",[") + std::to_string(index[0]) + "," + std::to_string(index[1]) +
              "," + std::to_string(index[2]) + "]";
    }
    text += "]}";
  }
  return text + "]}";
}

// A sphere of 32,040 triangles in two halves, beyond the buffer's 21,845,
// with a gun on top.
MeshList BigShip() {
  return {testing::MakeSphere("top", 920, 90, 180, 0, 45),
          testing::MakeSphere("bottom", 920, 90, 180, 45, 90),
          testing::MakeSphere("Hp_Fixed_HpGun01", 10, 4, 8)};
}

// A ship well within the limits: 3,120 triangles in two halves.
MeshList SmallShip() {
  return {testing::MakeSphere("top", 920, 40, 40, 0, 20),
          testing::MakeSphere("bottom", 920, 40, 40, 20, 40)};
}

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The index counts of the file's mesh buffers, in the order of their nodes.
std::vector<std::uint16_t> IndexCounts(const fs::path& path) {
  UtfTree tree;
  EXPECT_TRUE(ReadUtfFile(path, tree, nullptr).ok());
  std::vector<std::uint16_t> counts;
  for (const char* library : {"top.lod0.vms", "top.lod1.vms", "top.lod2.vms"}) {
    const UtfNode node = tree.FindNode(nullptr, library);
    if (node == nullptr) continue;
    const ByteBlock& bytes = *tree.Data(tree.FirstChild(node));
    counts.push_back(static_cast<std::uint16_t>(bytes[10] | bytes[11] << 8));
  }
  return counts;
}

class SimplifyCommand : public testing::CmptoolTest {
 protected:
  void SetUp() override {
    CmptoolTest::SetUp();
    std::ofstream(folder_ / "big.json") << ModelDocument(BigShip());
    std::ofstream(folder_ / "small.json") << ModelDocument(SmallShip());
  }

  // Runs cmptool where no file may grow beyond `bytes`: a write past it fails
  // with "File too large" instead of ending the process.
  testing::CmptoolRun RunWithFileSizeLimit(rlim_t bytes, const std::string& arguments) {
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    testing::CmptoolRun run = Run(arguments);
    std::signal(SIGXFSZ, previous);
    setrlimit(RLIMIT_FSIZE, &saved);
    return run;
  }
};

TEST_F(SimplifyCommand, OverLimitModelsAreRefusedWithTheWayOut) {
  const auto refused = Run("export big.json -o ship.cmp");
  EXPECT_EQ(refused.exitStatus, 1);
  EXPECT_NE(refused.err.find("32,040 triangles"), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("--simplify"), std::string::npos) << refused.err;
  EXPECT_FALSE(fs::exists(folder_ / "ship.cmp"));

  const auto fitted = Run("export big.json -o ship.cmp --simplify");
  ASSERT_EQ(fitted.exitStatus, 0) << fitted.err;
  EXPECT_EQ(fitted.out.rfind("simplified the geometry from 32,040 to ", 0), 0u) << fitted.out;
  EXPECT_NE(fitted.out.find("relative error"), std::string::npos);
  const std::vector<std::uint16_t> counts = IndexCounts(folder_ / "ship.cmp");
  ASSERT_EQ(counts.size(), 1u);
  EXPECT_LE(counts[0], 3 * 20000);
  EXPECT_GT(counts[0], 3 * 19000);
}

TEST_F(SimplifyCommand, OneMeshBeyondSixteenBitIndicesFitsOnlySimplified) {
  // 200,704 triangles over 101,025 vertices, more than 16-bit indices address.
  msModel model;
  model.meshes.push_back(testing::MakeHostSphere(100, 224, 448));
  ASSERT_EQ(SaveModelDocument(model, (folder_ / "sphere.json").string()), "");
  const auto refused = Run("export sphere.json -o sphere.cmp");
  EXPECT_EQ(refused.exitStatus, 1);
  EXPECT_NE(refused.err.find("mesh \"sphere\" has more than 65535 vertices"), std::string::npos)
      << refused.err;
  EXPECT_NE(refused.err.find("--simplify"), std::string::npos) << refused.err;
  EXPECT_FALSE(fs::exists(folder_ / "sphere.cmp"));

  const auto fitted = Run("export sphere.json -o sphere.cmp --simplify");
  ASSERT_EQ(fitted.exitStatus, 0) << fitted.err;
  EXPECT_EQ(fitted.out.rfind("simplified the geometry from 200,704 to ", 0), 0u) << fitted.out;
  const auto levels = Run("export sphere.json -o levels.cmp -q --simplify --auto-lod");
  ASSERT_EQ(levels.exitStatus, 0) << levels.err;
  // One wrote line per level, each with its triangles and error.
  for (const char* level : {"level 0, ", "level 1, ", "level 2, "}) {
    EXPECT_NE(levels.out.find(level), std::string::npos) << levels.out;
  }
  EXPECT_EQ(levels.out.rfind("wrote levels.cmp: 1 part, 1 mesh, ", 0), 0u) << levels.out;
  EXPECT_EQ(levels.err.find("inside out"), std::string::npos) << levels.err;

  // The sphere as a part below a smaller root part: its pieces follow it to
  // its place among the parts, at every level. The dome's own level 1 is
  // kept as it is; --auto-lod makes the rest.
  model.meshes.push_back(testing::MakeHostSphere(300, 20, 40));
  model.meshes.back().name = "hull";
  model.meshes.push_back(testing::MakeHostSphere(100, 6, 12));
  const std::string givenIndices = std::to_string(3 * model.meshes.back().triangles.size());
  model.nodes = {{"ship", -1, {0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}, {1}},
                 {"dome", 0, {0, 400, 0}, {0, 0, 0, 1}, {1, 1, 1}, {0}},
                 {"dome$lod1", 1, {0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}, {2}}};
  ASSERT_EQ(SaveModelDocument(model, (folder_ / "domed.json").string()), "");
  for (const char* options : {"--simplify", "--simplify --auto-lod"}) {
    const auto parts =
        Run("export domed.json -o domed.cmp -q --force --parts nodes " + std::string(options));
    ASSERT_EQ(parts.exitStatus, 0) << options << "\n" << parts.err;
    EXPECT_EQ(parts.out.rfind("wrote domed.cmp: 2 parts, 2 meshes, ", 0), 0u) << parts.out;
    const std::string info = Run("info domed.cmp").out;
    const std::size_t domeLevel1 = info.find("  level 1: ", info.find("part dome"));
    ASSERT_NE(domeLevel1, std::string::npos) << info;
    const std::string line = info.substr(domeLevel1, info.find('\n', domeLevel1) - domeLevel1);
    EXPECT_NE(line.find(", " + givenIndices + " indices from "), std::string::npos) << line;
  }
}

// The listing points to --simplify only where the model does not fit.
TEST_F(SimplifyCommand, ListingAdvisesSimplifyOnlyForModelsBeyondTheLimits) {
  const struct {
    const char* model;
    const char* verdict;
  } cases[] = {
      {"big.json",
       "does not fit the format's limits: The model's meshes have 32,040 triangles in all "
       "(96,120 vertex indices); a .cmp file holds at most 21,845 triangles (65,535 indices). "
       "Reduce the model or split it into several files and export again. Or add --simplify to "
       "reduce the geometry just enough that it fits.\n"},
      {"small.json", "fits the format's limits\n"},
  };
  for (const auto& [model, verdict] : cases) {
    const auto run = Run(std::string("export ") + model + " --list");
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1), verdict);
  }
}

// --list prints the levels the export writes, with their triangles and errors.
TEST_F(SimplifyCommand, ListingReportsEveryLevelAsTheExportWritesIt) {
  const struct {
    const char* model;
    const char* options;
  } cases[] = {
      {"small.json", "--auto-lod"},
      {"small.json", "--simplify 0.5"},
      {"small.json", "--simplify 0.5 --lod 2"},
      {"big.json", "--simplify"},
      {"big.json", "--auto-lod --simplify --lod-ratios 0.4,0.1"},
  };
  for (const auto& [model, options] : cases) {
    SCOPED_TRACE(options);
    const auto exported =
        Run(std::string("export ") + model + " -o ship.cmp -q --force " + options);
    ASSERT_EQ(exported.exitStatus, 0) << exported.err;
    const auto listed = Run(std::string("export ") + model + " --list " + options);
    ASSERT_EQ(listed.exitStatus, 0) << listed.err;
    const std::string levels = testing::LevelLinesOfWroteLines(exported.out);
    ASSERT_FALSE(levels.empty()) << exported.out;
    EXPECT_EQ(listed.out.substr(listed.out.size() - levels.size()), levels) << listed.out;
    EXPECT_EQ(listed.err, exported.err);
  }
  // Without simplifying, or beyond the limits without --simplify, no level lines.
  for (const char* arguments : {"export small.json --list", "export big.json --list --auto-lod"}) {
    EXPECT_EQ(Run(arguments).out.find("level 0:"), std::string::npos) << arguments;
  }
}

TEST_F(SimplifyCommand, RatioKeepsThatShareAndFittingModelsStayAsTheyAre) {
  ASSERT_EQ(Run("export small.json -o plain.cmp -q").exitStatus, 0);
  const auto fits = Run("export small.json -o fit.cmp --simplify");
  ASSERT_EQ(fits.exitStatus, 0) << fits.err;
  EXPECT_NE(fits.out.find("nothing simplified (3,120 triangles)"), std::string::npos) << fits.out;
  EXPECT_EQ(ReadBytes(folder_ / "fit.cmp"), ReadBytes(folder_ / "plain.cmp"));

  // The ratio may come last or with an equals sign.
  for (const char* options : {"--simplify 0.5", "--simplify=0.5"}) {
    const auto half = Run(std::string("export small.json -o half.cmp --force ") + options);
    ASSERT_EQ(half.exitStatus, 0) << half.err;
    EXPECT_EQ(half.out.rfind("simplified the geometry from 3,120 to 1,5", 0), 0u) << half.out;
    const std::vector<std::uint16_t> counts = IndexCounts(folder_ / "half.cmp");
    ASSERT_EQ(counts.size(), 1u);
    EXPECT_NEAR(counts[0], 3 * 1560, 30);
  }
}

// --auto-lod gives the file that three exports of the simplified models give:
// alone, in parts with extras, and as an update of a file that holds another
// export.
TEST_F(SimplifyCommand, AutoLodEqualsThreeExports) {
  for (const std::string options : {"", " --groups 1,1 --bounds --fix", " --update"}) {
    for (const char* file : {"auto.cmp", "three.cmp"}) {
      fs::remove(folder_ / file);
      if (options == " --update") {
        ASSERT_EQ(
            Run(std::string("export big.json -q --simplify 0.1 --scale 50 -o ") + file).exitStatus,
            0);
      }
    }
    const auto automatic =
        Run("export small.json -o auto.cmp -q --auto-lod --lod-ratios 0.5,0.25" + options);
    ASSERT_EQ(automatic.exitStatus, 0) << automatic.err;
    EXPECT_EQ(automatic.err, "");
    for (const char* level :
         {"", " --update --lod 1 --simplify 0.5", " --update --lod 2 --simplify 0.25"}) {
      ASSERT_EQ(Run("export small.json -o three.cmp -q" + options + level).exitStatus, 0);
    }
    EXPECT_EQ(ReadBytes(folder_ / "auto.cmp"), ReadBytes(folder_ / "three.cmp")) << options;
  }
}

// A level that cannot be written leaves the file as it was: absent, or the
// file the update started from, byte for byte. The size limit lets level 0
// be written alone but not together with level 1.
TEST_F(SimplifyCommand, AutoLodWritesAllLevelsOrNone) {
  for (const std::string options : {"", " --update"}) {
    for (const char* file : {"ship.cmp", "level0.cmp"}) {
      fs::remove(folder_ / file);
      if (!options.empty()) {
        ASSERT_EQ(Run(std::string("export small.json -q --scale 50 -o ") + file).exitStatus, 0);
      }
    }
    const std::vector<std::uint8_t> before = ReadBytes(folder_ / "ship.cmp");
    ASSERT_EQ(Run("export small.json -o level0.cmp -q" + options).exitStatus, 0);
    const auto failed =
        RunWithFileSizeLimit(fs::file_size(folder_ / "level0.cmp") + 1,
                             "export small.json -o ship.cmp -q --auto-lod" + options);
    EXPECT_EQ(failed.exitStatus, 1) << options;
    EXPECT_EQ(failed.err.rfind("error: The file \"ship.cmp\" could not be written", 0), 0u)
        << failed.err;
    EXPECT_EQ(ReadBytes(folder_ / "ship.cmp"), before) << options;
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder_)) left.insert(entry.path().filename());
    std::set<std::string> inputs{"big.json", "small.json", "level0.cmp"};
    if (!options.empty()) inputs.insert("ship.cmp");
    EXPECT_EQ(left, inputs) << "no temporary or lock file stays";
  }
}

TEST_F(SimplifyCommand, AutoLodFitsBigModelsAndReducesEveryLevel) {
  const auto run = Run("export big.json -o ship.cmp --auto-lod --simplify");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_NE(run.out.find("level 2: simplified the geometry from 32,040 to "), std::string::npos);
  EXPECT_NE(run.out.find("      Switch2  (16 bytes)"), std::string::npos) << run.out;
  const std::vector<std::uint16_t> counts = IndexCounts(folder_ / "ship.cmp");
  ASSERT_EQ(counts.size(), 3u);
  EXPECT_LE(counts[0], 3 * 20000);
  EXPECT_NEAR(counts[1], counts[0] / 2, 30);
  EXPECT_NEAR(counts[2], counts[0] / 4, 30);
}

TEST_F(SimplifyCommand, LevelsThatCannotBeReducedKeepThePreviousOne) {
  std::ofstream(folder_ / "tiny.json") << ModelDocument({testing::MakeTexturedBox("top", 92, 1)});
  const auto run = Run("export tiny.json -o ship.cmp -q --auto-lod");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err,
            "warning: level 1: the simplification cannot reduce the model any further; it keeps "
            "level 0's geometry\n"
            "warning: level 2: the simplification cannot reduce the model any further; it keeps "
            "level 1's geometry\n");
  EXPECT_EQ(IndexCounts(folder_ / "ship.cmp"), (std::vector<std::uint16_t>{36, 36, 36}));
}

// Per level of the file, its triangles, and the largest angle in degrees
// between a corner's normal and its face's normal (0 where every edge is hard).
struct LevelShading {
  std::size_t triangles = 0;
  double largestTurn = 0;
};

std::vector<LevelShading> Shading(const fs::path& path) {
  UtfTree tree;
  EXPECT_TRUE(ReadUtfFile(path, tree, nullptr).ok());
  const CompoundModel model = DecodeCompoundModel(tree);
  std::vector<LevelShading> levels;
  for (int level = 0; level < 3; ++level) {
    const LevelGeometry geometry = GatherLevelGeometry(model, level);
    if (geometry.MeshCount() == 0) break;
    LevelShading& shading = levels.emplace_back();
    for (const LevelPart& part : geometry.parts) {
      for (const LevelMesh& mesh : part.meshes) {
        shading.triangles += mesh.indices.size() / 3;
        for (std::size_t i = 0; i < mesh.indices.size(); i += 3) {
          const Vector3& a = mesh.vertices[mesh.indices[i]].position;
          const Vector3& b = mesh.vertices[mesh.indices[i + 1]].position;
          const Vector3& c = mesh.vertices[mesh.indices[i + 2]].position;
          const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
          const double v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
          const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                               u[0] * v[1] - u[1] * v[0]};
          const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
          if (length == 0) continue;
          for (std::size_t k = i; k < i + 3; ++k) {
            const Vector3& normal = mesh.vertices[mesh.indices[k]].normal;
            const double cosine = (n[0] * normal[0] + n[1] * normal[1] + n[2] * normal[2]) / length;
            shading.largestTurn = std::max(
                shading.largestTurn, std::acos(std::clamp(cosine, -1.0, 1.0)) * 180 / 3.14159265);
          }
        }
      }
    }
  }
  return levels;
}

// Flat shading, as a modelling program exports by default, splits every
// vertex per face; the levels still shrink, keep their hard edges and open
// no holes (the export warns when the surface check makes it keep more).
TEST_F(SimplifyCommand, FlatShadedModelsShrinkAndStayFlat) {
  // 3,968 and 192 triangles.
  std::ofstream(folder_ / "flat_sphere.json")
      << ModelDocument({testing::Flattened(testing::MakeSphere("top", 920, 32, 64))});
  std::ofstream(folder_ / "flat_cube.json")
      << ModelDocument({testing::Flattened(testing::MakeTexturedBox("top", 920, 4))});
  struct Case {
    const char* arguments;
    std::vector<std::size_t> fewest;  // triangles per level, at least
    std::vector<std::size_t> most;    // and at most
  };
  const Case cases[] = {
      {"flat_sphere.json --simplify 0.5", {1900}, {1984}},
      {"flat_sphere.json --auto-lod", {3968, 1900, 950}, {3968, 1984, 992}},
      {"flat_cube.json --simplify 0.5", {12}, {96}},
      // A cube whose every edge is a texture seam goes no lower than about 60.
      {"flat_cube.json --auto-lod", {192, 12, 12}, {192, 96, 96}},
  };
  for (const Case& c : cases) {
    fs::remove(folder_ / "out.cmp");
    const auto run = Run(std::string("export ") + c.arguments + " -o out.cmp -q");
    ASSERT_EQ(run.exitStatus, 0) << c.arguments << ": " << run.err;
    EXPECT_EQ(run.err.find("holes"), std::string::npos) << c.arguments << ": " << run.err;
    const std::vector<LevelShading> levels = Shading(folder_ / "out.cmp");
    ASSERT_EQ(levels.size(), c.fewest.size()) << c.arguments;
    for (std::size_t level = 0; level < levels.size(); ++level) {
      EXPECT_GE(levels[level].triangles, c.fewest[level]) << c.arguments << " level " << level;
      EXPECT_LE(levels[level].triangles, c.most[level]) << c.arguments << " level " << level;
      // Smooth corners turn degrees from their faces; float rounding, hundredths.
      EXPECT_LT(levels[level].largestTurn, 0.1)
          << c.arguments << " level " << level << ": hard edges";
    }
  }
}

TEST_F(SimplifyCommand, ImpossibleSharesAreUsageErrors) {
  for (const char* options :
       {"--simplify 0", "--simplify 1.5", "--simplify half", "--lod-ratios 0.5,0.25",
        "--auto-lod --lod 1", "--auto-lod --lod-ratios 0.5", "--auto-lod --lod-ratios 0.5,0"}) {
    const auto run = Run(std::string("export small.json -o ship.cmp ") + options);
    EXPECT_EQ(run.exitStatus, 2) << options;
    EXPECT_NE(run.err, "") << options;
  }
  EXPECT_FALSE(fs::exists(folder_ / "ship.cmp"));
}

}  // namespace
}  // namespace svcmp
