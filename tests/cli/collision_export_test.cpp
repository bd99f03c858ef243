#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "format/name_crc.h"
#include "inspect/collision_checks.h"
#include "inspect/collision_decoder.h"
#include "inspect/level_geometry.h"
#include "tests/cli/cmptool_runner.h"
#include "utf/utf_reader.h"

namespace svcmp {
namespace {

using Point = std::array<float, 3>;

// A box of half-side 1 and a diamond of half-width 3, both around the
// origin, so every turn --orientation may give maps each onto itself; and a
// hardpoint, which no hull is made of.
constexpr char kTwoMeshModel[] = R"({
  "materials": ["hull_metal"],
  "meshes": [
    {"name": "box", "material": 0,
     "vertices": [[-1,-1,-1,0,0],[1,-1,-1,0,0],[-1,1,-1,0,0],[1,1,-1,0,0],
                  [-1,-1,1,0,0],[1,-1,1,0,0],[-1,1,1,0,0],[1,1,1,0,0]],
     "triangles": [[0,1,2],[2,1,3],[4,6,5],[5,6,7],[0,4,1],[1,4,5],
                   [2,3,6],[3,7,6],[0,2,4],[2,6,4],[1,5,3],[3,5,7]]},
    {"name": "diamond", "material": 0,
     "vertices": [[3,0,0,0,0],[-3,0,0,0,0],[0,3,0,0,0],[0,-3,0,0,0],[0,0,3,0,0],[0,0,-3,0,0]],
     "triangles": [[0,2,4],[2,1,4],[1,3,4],[3,0,4],[2,0,5],[1,2,5],[3,1,5],[0,3,5]]},
    {"name": "HpMount01", "vertices": [[9,9,9,0,0],[9,9,9,0,0],[9,9,9,0,0]], "triangles": []}
  ]
})";

const std::vector<Point> kModelPoints = {
    {-1, -1, -1}, {1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {-1, -1, 1}, {1, -1, 1}, {-1, 1, 1},
    {1, 1, 1},    {3, 0, 0},   {-3, 0, 0},  {0, 3, 0},  {0, -3, 0},  {0, 0, 3},  {0, 0, -3}};

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Whether `point` lies inside the hull placed by `place`, or within 1e-4 of
// the part's size on it: no face has it farther out than that along its
// outward normal.
bool HullHolds(const CollisionPart& part, const CollisionHull& hull, const Point& point,
               const PartTransform& place = {}) {
  float size = 0;
  for (int axis = 0; axis < 3; ++axis) {
    size = std::max(size, part.boxMax[axis] - part.boxMin[axis]);
  }
  for (const CollisionFace& face : hull.faces) {
    const Point a = ApplyTransform(place, part.points[face.points[0]].position);
    const Point b = ApplyTransform(place, part.points[face.points[1]].position);
    const Point c = ApplyTransform(place, part.points[face.points[2]].position);
    const Point u{b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const Point v{c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const Point n{u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (length == 0) continue;
    const float out =
        (n[0] * (point[0] - a[0]) + n[1] * (point[1] - a[1]) + n[2] * (point[2] - a[2])) / length;
    if (out > 1e-4f * size) return false;
  }
  return true;
}

class CollisionExport : public testing::CmptoolTest {
 protected:
  void SetUp() override {
    CmptoolTest::SetUp();
    std::ofstream(folder_ / "two.json", std::ios::binary) << kTwoMeshModel;
  }

  CollisionFile DecodedFile(const std::string& name) const {
    const std::vector<std::uint8_t> bytes = ReadFileBytes(folder_ / name);
    CollisionDecoding decoded = DecodeCollisionFile(bytes);
    EXPECT_TRUE(decoded.file.has_value()) << decoded.error.message;
    return decoded.file.value_or(CollisionFile{});
  }

  CompoundModel ReadModel(const std::string& name) const {
    UtfTree tree;
    const UtfReadResult read = ReadUtfFile(folder_ / name, tree, nullptr);
    EXPECT_TRUE(read.ok()) << read.reason;
    return DecodeCompoundModel(tree);
  }
};

// A box mesh of the model document: centre and half extents.
std::string BoxMesh(const std::string& name, Point centre, Point half) {
  std::string vertices;
  for (int corner = 0; corner < 8; ++corner) {
    vertices += corner ? "," : "";
    vertices += "[";
    for (int k = 0; k < 3; ++k) {
      vertices += std::to_string(centre[k] + ((corner >> k) & 1 ? half[k] : -half[k])) + ",";
    }
    vertices += "0,0]";
  }
  return R"({"name": ")" + name + R"(", "material": 0, "vertices": [)" + vertices +
         R"(], "triangles": [[0,1,2],[2,1,3],[4,6,5],[5,6,7],[0,4,1],[1,4,5],[2,3,6],[3,7,6],
                              [0,2,4],[2,6,4],[1,5,3],[3,5,7]]})";
}

// A hull turned a quarter about Y holding a wing, which holds a pod (both
// by Fix joints) with a hardpoint that has a hull; a turret on a Rev joint
// whose collision is modelled by a larger box, and whose hardpoint has a
// hull of its own. With `wings` false, only the hull (of half width
// `hullHalfWidth`) and the turret.
std::string TreeModel(bool wings, float hullHalfWidth) {
  const std::string meshes =
      BoxMesh("ship", {0, 0, 0}, {hullHalfWidth, 1, 6}) + "," +
      BoxMesh("turret", {0, 2, 0}, {1, 1, 1}) + "," +
      BoxMesh("turret$hull", {0, 2.5f, 0}, {1.5f, 1.5f, 1.5f}) + "," +
      BoxMesh("HpTurret01$hull", {0, 3.5f, 0}, {0.5f, 0.5f, 0.5f}) +
      (wings ? "," + BoxMesh("wing", {6, 0, 0}, {2, 0.5f, 1}) + "," +
                   BoxMesh("pod", {6, 0, -4}, {0.5f, 1, 2}) + "," +
                   BoxMesh("HpPod01$hull", {6, 0, -6.5f}, {0.3f, 0.3f, 0.5f})
             : "");
  const std::string nodes = R"(
    {"name": "ship", "meshes": [0]},
    {"name": "turret", "parent": 0, "translation": [0, 2, 0], "meshes": [1],
     "properties": {"construct": "rev"}},
    {"name": "turret$hull", "parent": 1, "meshes": [2]},
    {"name": "HpTurret01", "parent": 1, "translation": [0, 1.5, 0]},
    {"name": "HpTurret01$hull", "parent": 3, "meshes": [3]})" +
                            std::string(wings ? R"(,
    {"name": "wing", "parent": 0, "translation": [6, 0, 0],
     "rotation": [0, 0.70710678, 0, 0.70710678], "meshes": [4]},
    {"name": "pod", "parent": 5, "translation": [4, 0, 0], "meshes": [5]},
    {"name": "HpPod01", "parent": 6, "translation": [0, 0, -2]},
    {"name": "HpPod01$hull", "parent": 7, "meshes": [6]})"
                                              : "");
  return R"({"materials": ["hull_metal"], "meshes": [)" + meshes + R"(], "nodes": [)" + nodes +
         "]}";
}

std::vector<std::uint32_t> LeafIds(const CollisionPart& part) {
  std::vector<std::uint32_t> ids;
  for (const CollisionHull& hull : part.hulls) {
    if (hull.kind == CollisionHullKind::Leaf) ids.push_back(hull.id);
  }
  return ids;
}

std::vector<std::uint32_t> Ids(std::initializer_list<const char*> names) {
  std::vector<std::uint32_t> ids;
  for (const char* name : names) ids.push_back(NameCrc(name));
  return ids;
}

struct HullCase {
  std::string options;
  std::size_t leaves;
  std::string surName;
};

TEST_F(CollisionExport, EveryVertexLiesInsideAHullOfItsPart) {
  const HullCase cases[] = {
      {"--collision", 2, "ship.sur"},
      {"--collision=hulls.sur --collision-hulls part", 1, "hulls.sur"},
      {"--collision --collision-hulls mesh --max-hull-faces 12", 2, "ship.sur"},
      {"--collision --max-hull-faces 4", 2, "ship.sur"},
      {"--game-ready", 2, "ship.sur"},
  };
  for (const HullCase& test : cases) {
    SCOPED_TRACE(test.options);
    const auto run = Run("export two.json -o ship.cmp -q --force --scale 1 " + test.options);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const CollisionFile file = DecodedFile(test.surName);
    ASSERT_EQ(file.parts.size(), 1u);
    const CollisionPart& part = file.parts.front();
    EXPECT_EQ(part.id, NameCrc("Root"));  // as the .cmp names its one part
    EXPECT_TRUE(part.moves);
    EXPECT_TRUE(CheckCollisionFile(file, nullptr).empty());
    const std::size_t maxFaces = test.options.find("faces 12") != std::string::npos ? 12
                                 : test.options.find("faces 4") != std::string::npos ? 4
                                                                                       : 300;
    std::size_t leaves = 0;
    for (const CollisionHull& hull : part.hulls) {
      if (hull.kind == CollisionHullKind::Leaf) {
        ++leaves;
        EXPECT_LE(hull.faces.size(), maxFaces);
      }
    }
    EXPECT_EQ(leaves, test.leaves);
    // A part of several meshes has a wrap hull beside its leaves.
    EXPECT_EQ(part.hulls.size(), leaves == 1 ? 1u : leaves + 1);
    for (const Point& point : kModelPoints) {
      bool held = false;
      for (const CollisionHull& hull : part.hulls) {
        held = held || (hull.kind == CollisionHullKind::Leaf && HullHolds(part, hull, point));
      }
      EXPECT_TRUE(held) << point[0] << " " << point[1] << " " << point[2];
    }
    const auto check = Run("check ship.cmp " + test.surName);
    EXPECT_EQ(check.exitStatus, 0) << check.out << check.err;
    std::filesystem::remove(folder_ / test.surName);
  }
}

TEST_F(CollisionExport, GroupsUnderFixJointsAppearInRootToo) {
  const auto run = Run("export two.json -o ship.cmp -q --game-ready --groups 1,1");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const CollisionFile file = DecodedFile("ship.sur");
  ASSERT_EQ(file.parts.size(), 2u);
  const std::uint32_t diamond = NameCrc("diamond_lod1");
  EXPECT_EQ(file.parts[0].id, NameCrc("Root"));
  EXPECT_TRUE(file.parts[0].moves);
  EXPECT_EQ(file.parts[1].id, diamond);
  EXPECT_FALSE(file.parts[1].moves);
  std::vector<std::uint32_t> rootLeafIds;
  for (const CollisionHull& hull : file.parts[0].hulls) {
    if (hull.kind == CollisionHullKind::Leaf) rootLeafIds.push_back(hull.id);
  }
  EXPECT_EQ(rootLeafIds, (std::vector<std::uint32_t>{NameCrc("Root"), diamond}));
  const auto check = Run("check ship.cmp");
  EXPECT_EQ(check.exitStatus, 0) << check.out << check.err;
  EXPECT_NE(check.out.find("0 errors, 0 warnings"), std::string::npos) << check.out;
}

std::size_t TriangleCorners(const std::filesystem::path& path) {
  UtfTree tree;
  EXPECT_TRUE(ReadUtfFile(path, tree, nullptr).ok()) << path;
  std::size_t corners = 0;
  for (const LevelPart& part : GatherLevelGeometry(DecodeCompoundModel(tree), 0).parts) {
    for (const LevelMesh& mesh : part.meshes) corners += mesh.indices.size();
  }
  return corners;
}

// Converted, each part's own hulls (not Root's copy of its Fix child's)
// become PART$hull nodes, which the export of the converted model takes for
// collision pieces and leaves out of the geometry.
TEST_F(CollisionExport, ConvertedHullsAreCollisionPiecesOfTheConvertedModel) {
  ASSERT_EQ(Run("export two.json -o ship.cmp -q --game-ready --groups 1,1").exitStatus, 0);
  const auto convert = Run("convert ship.cmp -o ship.gltf");
  ASSERT_EQ(convert.exitStatus, 0) << convert.err;
  EXPECT_EQ(convert.err, "");
  std::vector<std::string> hullNodes;
  const nlohmann::json gltf = nlohmann::json::parse(FileText("ship.gltf"));
  for (const auto& node : gltf["nodes"]) {
    if (node["name"].get<std::string>().ends_with("$hull")) hullNodes.push_back(node["name"]);
  }
  EXPECT_EQ(hullNodes, (std::vector<std::string>{"Root$hull", "diamond_lod1$hull"}));
  const auto exported = Run("export ship.gltf -o back.cmp -q --parts nodes");
  ASSERT_EQ(exported.exitStatus, 0) << exported.err;
  EXPECT_EQ(TriangleCorners(folder_ / "back.cmp"), TriangleCorners(folder_ / "ship.cmp"));
}

// A ring (radius 5, tube 0.5) is split by default, keeping its hole open,
// and hulled whole with --collision-hulls mesh; --max-hulls-per-part caps
// the pieces.
TEST_F(CollisionExport, ARingIsSplitByDefaultAndWholeAsAMesh) {
  nlohmann::json ring = {{"name", "ring"}, {"vertices", nlohmann::json::array()}, {"triangles", nlohmann::json::array()}};
  constexpr int kAround = 32, kTube = 8;
  const double pi = std::acos(-1.0);
  for (int i = 0; i < kAround; ++i) {
    for (int j = 0; j < kTube; ++j) {
      const double u = 2 * pi * i / kAround, v = 2 * pi * j / kTube;
      ring["vertices"].push_back({(5 + 0.5 * std::cos(v)) * std::cos(u), 0.5 * std::sin(v),
                                  (5 + 0.5 * std::cos(v)) * std::sin(u), 0, 0});
      const auto at = [](int a, int b) { return (a % kAround) * kTube + b % kTube; };
      ring["triangles"].push_back({at(i, j), at(i + 1, j + 1), at(i + 1, j)});
      ring["triangles"].push_back({at(i, j), at(i, j + 1), at(i + 1, j + 1)});
    }
  }
  std::ofstream(folder_ / "ring.json", std::ios::binary) << nlohmann::json{{"meshes", {ring}}}.dump();
  const struct {
    const char* options;
    std::size_t leastLeaves, mostLeaves;
  } cases[] = {
      {"--collision", 4, 8},
      {"--collision --max-hulls-per-part 2", 2, 2},
      {"--collision --collision-hulls mesh", 1, 1},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.options);
    const auto run = Run(std::string("export ring.json -o ring.cmp -q --force --scale 1 ") + test.options);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const CollisionFile file = DecodedFile("ring.sur");
    ASSERT_EQ(file.parts.size(), 1u);
    EXPECT_TRUE(CheckCollisionFile(file, nullptr).empty());
    std::size_t leaves = 0;
    bool holeOpen = true;
    for (const CollisionHull& hull : file.parts[0].hulls) {
      if (hull.kind != CollisionHullKind::Leaf) continue;
      ++leaves;
      holeOpen = holeOpen && !HullHolds(file.parts[0], hull, {0, 0, 0});
    }
    EXPECT_GE(leaves, test.leastLeaves);
    EXPECT_LE(leaves, test.mostLeaves);
    if (leaves >= 4) {
      EXPECT_TRUE(holeOpen);
    } else if (leaves == 1) {
      EXPECT_FALSE(holeOpen);
    }
    std::filesystem::remove(folder_ / "ring.sur");
  }
}

TEST_F(CollisionExport, WithoutTheOptionsNoCollisionFileIsWritten) {
  ASSERT_EQ(Run("export two.json -o ship.cmp -q").exitStatus, 0);
  EXPECT_FALSE(std::filesystem::exists(folder_ / "ship.sur"));
}

TEST_F(CollisionExport, RefusalsWriteNothing) {
  WriteRefusalInputs("kept.sur");
  const testing::Refusal refusals[] = {
      {"export two.json -o ship.cmp --collision --max-hull-faces 4096", "--max-hull-faces"},
      {"export two.json -o ship.cmp --collision --max-hull-faces 3", "--max-hull-faces"},
      {"export two.json -o ship.cmp --collision --collision-hulls node", "--collision-hulls"},
      {"export two.json -o ship.cmp --collision=hulls.txt", "must end in .sur"},
      {"export two.json -o ship.sur --collision=./ship.sur", "cannot be the output file"},
      {"export two.json -o ship.cmp --collision=kept.sur", "error: kept.sur already exists"},
      {"export two.json -o ship.cmp --update --collision=kept.sur",
       "error: kept.sur: --update cannot keep the other parts of the collision file: it breaks "
       "the rule"},
  };
  for (const testing::Refusal& refusal : refusals) {
    SCOPED_TRACE(refusal.arguments);
    const auto run = Run(refusal.arguments);
    EXPECT_NE(run.exitStatus, 0);
    EXPECT_NE(run.err.find(refusal.message), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(folder_ / "ship.cmp"));
    EXPECT_FALSE(std::filesystem::exists(folder_ / "ship.sur"));
    EXPECT_EQ(FileText("kept.sur"), "mine");
  }
}

TEST_F(CollisionExport, AFlatModelCannotHaveACollisionFileAndNothingIsWritten) {
  std::ofstream(folder_ / "line.json", std::ios::binary) << R"({"meshes": [
    {"name": "line", "vertices": [[0,0,0,0,0],[1,0,0,0,0],[2,0,0,0,0]], "triangles": [[0,1,2]]}]})";
  const auto run = Run("export line.json -o ship.cmp -q --collision");
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_NE(run.err.find("error: ship.sur: "), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(folder_ / "ship.cmp"));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "ship.sur"));
  // --game-ready still writes the model, without a collision file.
  const auto gameReady = Run("export line.json -o ship.cmp -q --game-ready");
  EXPECT_EQ(gameReady.exitStatus, 0) << gameReady.err;
  EXPECT_NE(gameReady.err.find("warning: no collision file was written: "), std::string::npos);
  EXPECT_TRUE(std::filesystem::exists(folder_ / "ship.cmp"));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "ship.sur"));
}

TEST_F(CollisionExport, OtherLevelsLeaveTheCollisionFileAlone) {
  ASSERT_EQ(Run("export two.json -o ship.cmp -q --collision").exitStatus, 0);
  const std::vector<std::uint8_t> level0 = ReadFileBytes(folder_ / "ship.sur");
  const auto run = Run("export two.json -o ship.cmp -q --update --lod 1 --collision");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "warning: the collision file is made with level 0; level 1 leaves it alone\n");
  EXPECT_EQ(ReadFileBytes(folder_ / "ship.sur"), level0);
}

TEST_F(CollisionExport, PartsFromTheTreeHaveTheirHullsInTheirFrames) {
  std::ofstream(folder_ / "tree.json", std::ios::binary) << TreeModel(true, 4);
  const auto run = Run("export tree.json -o ship.cmp -q --parts nodes --collision --scale 1");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const CollisionFile file = DecodedFile("ship.sur");
  const CompoundModel model = ReadModel("ship.cmp");
  EXPECT_TRUE(CheckCollisionFile(file, &model).empty());
  const struct {
    const char* part;
    bool moves;
    std::vector<std::uint32_t> leafIds;  // its own, its hardpoint's, its Fix descendants'
    std::vector<std::uint32_t> hardpointIds;
    float ownWidth;  // of the box of its own hulls
  } expected[] = {
      // The pod's hardpoint hull goes up the Fix chain with the pod's.
      {"Root", true, Ids({"Root", "wing", "pod", "HpPod01"}), Ids({"HpPod01"}), 8},
      {"turret", true, Ids({"turret", "HpTurret01"}), Ids({"HpTurret01"}), 3},
      {"wing", false, Ids({"wing", "pod", "HpPod01"}), Ids({"HpPod01"}), 2},
      {"pod", false, Ids({"pod", "HpPod01"}), Ids({"HpPod01"}), 4},
  };
  ASSERT_EQ(file.parts.size(), std::size(expected));
  const LevelGeometry level = GatherLevelGeometry(model, 0);
  const auto partOfId = [&level](std::uint32_t id) -> const LevelPart* {
    for (const LevelPart& part : level.parts) {
      if (NameCrc(part.name) == id) return &part;
    }
    return nullptr;
  };
  for (std::size_t i = 0; i < file.parts.size(); ++i) {
    const CollisionPart& part = file.parts[i];
    SCOPED_TRACE(expected[i].part);
    EXPECT_EQ(part.id, NameCrc(expected[i].part));
    EXPECT_EQ(part.moves, expected[i].moves);
    EXPECT_EQ(LeafIds(part), expected[i].leafIds);
    EXPECT_EQ(part.hardpointIds, expected[i].hardpointIds);
    EXPECT_NEAR(part.boxMax[0] - part.boxMin[0], expected[i].ownWidth, 1e-5);
    // Every vertex of the part a hull belongs to lies in it where the
    // joints place both: the Fix descendants' copies too.
    const LevelPart* holder = partOfId(part.id);
    ASSERT_NE(holder, nullptr);
    for (const CollisionHull& hull : part.hulls) {
      const LevelPart* owner = partOfId(hull.id);
      if (hull.kind != CollisionHullKind::Leaf || owner == nullptr) continue;
      for (const BufferVertex& vertex : owner->meshes.at(0).vertices) {
        const Point point = ApplyTransform(owner->toModel, vertex.position);
        EXPECT_TRUE(HullHolds(part, hull, point, holder->toModel))
            << owner->name << " at " << point[0] << " " << point[1] << " " << point[2];
      }
    }
  }
  // check reads the collision file beside the model and finds nothing in it.
  const auto check = Run("check ship.cmp");
  EXPECT_EQ(check.exitStatus, 0) << check.out;
  EXPECT_NE(check.out.find("2 files checked: 0 errors"), std::string::npos) << check.out;
  EXPECT_EQ(check.out.find("[sur-"), std::string::npos) << check.out;
  // Converted back, the copies up the chain are no hardpoint hulls "the
  // model does not have".
  const auto convert = Run("convert ship.cmp -o ship.gltf");
  EXPECT_EQ(convert.exitStatus, 0);
  EXPECT_EQ(convert.err, "");
  // Beside a model without the pod, its hardpoint hull is left out, named.
  std::ofstream(folder_ / "bare.json", std::ios::binary) << TreeModel(false, 4);
  ASSERT_EQ(Run("export bare.json -o bare.cmp -q --parts nodes").exitStatus, 0);
  const auto bare = Run("convert bare.cmp --collision ship.sur -o bare.gltf");
  EXPECT_EQ(bare.exitStatus, 0);
  EXPECT_NE(bare.err.find("1 hardpoint hull of hardpoints the model does not have (" +
                          CollisionIdText(NameCrc("HpPod01")) + ") is left out"),
            std::string::npos)
      << bare.err;
  // Without a collision file, the collision nodes are not used, and said so.
  const auto plain = Run("export tree.json -o plain.cmp -q --parts nodes");
  EXPECT_EQ(plain.err,
            "warning: collision nodes were not used, since no collision file is written: "
            "\"turret$hull\", \"HpTurret01$hull\", \"HpPod01$hull\"\n");
}

TEST_F(CollisionExport, AnUpdateReplacesItsPartsAndKeepsTheOthersByteForByte) {
  std::ofstream(folder_ / "tree.json", std::ios::binary) << TreeModel(true, 4);
  std::ofstream(folder_ / "wider.json", std::ios::binary) << TreeModel(false, 5);
  // --game-ready makes the parts and their collision from the tree.
  ASSERT_EQ(Run("export tree.json -o ship.cmp -q --game-ready").exitStatus, 0);
  const std::vector<std::uint8_t> before = ReadFileBytes(folder_ / "ship.sur");
  const CollisionFile old = DecodedFile("ship.sur");
  ASSERT_EQ(old.parts.size(), 4u);
  const auto run = Run("export wider.json -o ship.cmp -q --update --parts nodes --collision");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::vector<std::uint8_t> after = ReadFileBytes(folder_ / "ship.sur");
  const CollisionFile updated = DecodedFile("ship.sur");
  std::vector<std::uint32_t> ids;
  for (const CollisionPart& part : updated.parts) ids.push_back(part.id);
  ASSERT_EQ(ids, Ids({"Root", "turret", "wing", "pod"}));
  // Root is the wider hull's now, without the wings it held.
  EXPECT_NEAR(updated.parts[0].boxMax[0] - updated.parts[0].boxMin[0], 10 / 92.0, 1e-6);
  EXPECT_EQ(LeafIds(updated.parts[0]), Ids({"Root"}));
  // The wing and the pod, the last parts of both files, are kept byte for byte.
  const auto tail = [](const std::vector<std::uint8_t>& bytes, std::uint64_t from) {
    return std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end());
  };
  EXPECT_EQ(tail(after, updated.parts[2].offset), tail(before, old.parts[2].offset));
  const CompoundModel model = ReadModel("ship.cmp");
  EXPECT_TRUE(CheckCollisionFile(updated, &model).empty());
}

// A part the update exports but can make no hull of (its turret flattened
// to a line) loses its old hulls: they would be the old turret's shape.
TEST_F(CollisionExport, AnUpdatedPartWithoutHullsKeepsNoneOfItsOldOnes) {
  const auto model = [](const std::string& turret) {
    return R"({"materials": ["hull_metal"], "meshes": [)" + BoxMesh("ship", {0, 0, 0}, {4, 1, 6}) +
           "," + turret + R"(], "nodes": [{"name": "ship", "meshes": [0]},
      {"name": "turret", "parent": 0, "translation": [0, 2, 0], "meshes": [1],
       "properties": {"construct": "rev"}}]})";
  };
  std::ofstream(folder_ / "boxed.json", std::ios::binary)
      << model(BoxMesh("turret", {0, 2, 0}, {1, 1, 1}));
  std::ofstream(folder_ / "flat.json", std::ios::binary)
      << model(R"({"name": "turret", "material": 0, "triangles": [[0,1,2]],
                   "vertices": [[0,2,0,0,0],[1,2,0,0,0],[2,2,0,0,0]]})");
  ASSERT_EQ(Run("export boxed.json -o ship.cmp -q --parts nodes --collision").exitStatus, 0);
  const CollisionFile old = DecodedFile("ship.sur");
  std::vector<std::uint32_t> oldIds;
  for (const CollisionPart& part : old.parts) oldIds.push_back(part.id);
  ASSERT_EQ(oldIds, Ids({"Root", "turret"}));
  const auto run = Run("export flat.json -o ship.cmp -q --update --parts nodes --collision");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err,
            "warning: the collision piece turret has fewer than three points off one line and "
            "is left out\n");
  const CollisionFile updated = DecodedFile("ship.sur");
  std::vector<std::uint32_t> ids;
  for (const CollisionPart& part : updated.parts) ids.push_back(part.id);
  EXPECT_EQ(ids, Ids({"Root"}));
}

// The wrote lines of a node tree count what the file holds: every part's
// hardpoints on each line of an export that writes level 0, and the extent
// of the written geometry alone (a hull piece and a far ignored pilot
// widen it to 12 units tall if counted; the turret alone makes it 2 wide).
TEST_F(CollisionExport, WroteLinesOfANodeTreeCountWhatTheFileHolds) {
  std::ofstream(folder_ / "crew.json", std::ios::binary)
      << R"({"materials": ["hull_metal"], "meshes": [)" + BoxMesh("ship", {0, 0, 0}, {4, 1, 6}) +
             "," + BoxMesh("turret", {0, 2, 0}, {1, 1, 1}) + "," +
             BoxMesh("turret$hull", {0, 2.5f, 0}, {1.5f, 1.5f, 1.5f}) + "," +
             BoxMesh("pilot", {0, 10, 0}, {1, 1, 1}) + R"(], "nodes": [
      {"name": "ship", "meshes": [0]},
      {"name": "turret", "parent": 0, "translation": [0, 2, 0], "meshes": [1],
       "properties": {"construct": "rev"}},
      {"name": "turret$hull", "parent": 1, "meshes": [2]},
      {"name": "HpTurret01", "parent": 1, "translation": [0, 1, 0]},
      {"name": "HpEngine01", "parent": 0, "translation": [0, 0, 6]},
      {"name": "HpEngine02", "parent": 0, "translation": [1, 0, 6]},
      {"name": "pilot", "parent": 0, "meshes": [3], "properties": {"export_ignore": true}}]})";
  const struct {
    std::string options;
    std::vector<std::string> lines;  // each wrote line from its hardpoints on
  } cases[] = {
      {"--scale 1 --parts nodes", {"3 hardpoints, level 0, 8.0 x 4.0 x 12.0 units"}},
      {"--scale 1 --game-ready", {"3 hardpoints, level 0, 8.0 x 4.0 x 12.0 units"}},
      {"--scale 1 --parts nodes --lod 1", {"0 hardpoints, level 1, 8.0 x 4.0 x 12.0 units"}},
      {"--scale 1 --parts nodes --collision --auto-lod",
       {"3 hardpoints, level 0, 8.0 x 4.0 x 12.0 units",
        "3 hardpoints, level 1, 8.0 x 4.0 x 12.0 units",
        "3 hardpoints, level 2, 8.0 x 4.0 x 12.0 units"}},
      {"--parts nodes --scale 2 --simplify 0.5", {"3 hardpoints, level 0, 4.0 x 2.0 x 6.0 units"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    const auto run = Run("export crew.json -o ship.cmp -q --force " + c.options);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    std::vector<std::string> lines;
    for (std::size_t at = run.out.find("wrote "); at != std::string::npos;
         at = run.out.find("wrote ", at + 1)) {
      const std::string line = run.out.substr(at, run.out.find('\n', at) - at);
      EXPECT_EQ(line.rfind("wrote ship.cmp: 2 parts, 2 meshes, ", 0), 0u) << line;
      // From the hardpoints to the extent; a relative error may follow.
      const std::size_t from = line.rfind(", ", line.find(" hardpoints, ")) + 2;
      lines.push_back(line.substr(from, line.find(" units") + 6 - from));
    }
    EXPECT_EQ(lines, c.lines) << run.out;
  }
}

// The sample ship as a new user exports it (one part): check finds nothing
// in the pair, where a collision part of id 0 made it say sur-part-id and
// that the part cannot be hit.
TEST_F(CollisionExport, TheSampleShipGameReadyChecksClean) {
  for (const auto& entry : std::filesystem::directory_iterator(SVCMP_EXAMPLES)) {
    if (entry.path().filename().string().starts_with("sample_ship")) {
      std::filesystem::copy_file(entry.path(), folder_ / entry.path().filename());
    }
  }
  const auto exported = Run("export sample_ship.obj --game-ready -o one.cmp -q");
  ASSERT_EQ(exported.exitStatus, 0) << exported.err;
  const auto checked = Run("check one.cmp");
  EXPECT_EQ(checked.exitStatus, 0) << checked.out << checked.err;
  EXPECT_EQ(checked.out, "2 files checked: 0 errors, 0 warnings\n");
}

}  // namespace
}  // namespace svcmp
