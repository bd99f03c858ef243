#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/model_document_writer.h"
#include "inspect/level_geometry.h"
#include "tests/cli/cmptool_runner.h"
#include "utf/utf_reader.h"

// `cmptool export --parts nodes`, judged by what the game does with the
// file: every part placed by its joints puts every vertex and hardpoint back
// where the model has it, scaled and turned as the options say.
namespace svcmp {
namespace {

namespace fs = std::filesystem;
using Vec3 = std::array<double, 3>;
using Mat3 = std::array<double, 9>;

struct World {
  Mat3 linear = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  Vec3 translation = {0, 0, 0};

  Vec3 operator()(const Vec3& p) const {
    Vec3 out = translation;
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) out[r] += linear[r * 3 + c] * p[c];
    }
    return out;
  }
};

// The node's transform composed with its parent's, as glTF defines it.
World Compose(const World& parent, const msNode& node) {
  const double x = node.rotation[0], y = node.rotation[1], z = node.rotation[2],
               w = node.rotation[3];
  const Mat3 r = {1 - 2 * (y * y + z * z), 2 * (x * y - z * w),     2 * (x * z + y * w),
                  2 * (x * y + z * w),     1 - 2 * (x * x + z * z), 2 * (y * z - x * w),
                  2 * (x * z - y * w),     2 * (y * z + x * w),     1 - 2 * (x * x + y * y)};
  World local;
  for (int i = 0; i < 9; ++i) local.linear[i] = r[i] * node.scale[i % 3];
  local.translation = {node.translation[0], node.translation[1], node.translation[2]};
  World out;
  out.translation = parent(local.translation);
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 3; ++col) {
      double sum = 0;
      for (int k = 0; k < 3; ++k) sum += parent.linear[row * 3 + k] * local.linear[k * 3 + col];
      out.linear[row * 3 + col] = sum;
    }
  }
  return out;
}

// A unit quaternion of `degrees` about the axis.
std::array<float, 4> Turn(Vec3 axis, double degrees) {
  const double length = std::sqrt(axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2]);
  const double half = degrees * M_PI / 360;
  return {static_cast<float>(axis[0] / length * std::sin(half)),
          static_cast<float>(axis[1] / length * std::sin(half)),
          static_cast<float>(axis[2] / length * std::sin(half)),
          static_cast<float>(std::cos(half))};
}

struct TreeNode {
  std::string name;
  int parent;
  std::array<float, 3> translation;
  std::array<float, 4> rotation;
  std::array<float, 3> scale;
  bool mesh;
  std::vector<msNodeProperty> properties = {};
};

// A model whose mesh nodes hold boxes of different sizes around their own
// origin, written in the model's frame as documents hold them.
msModel MakeTreeModel(const std::vector<TreeNode>& tree) {
  msModel model;
  std::vector<World> world;
  for (const TreeNode& t : tree) {
    msNode node{t.name, t.parent, t.translation, t.rotation, t.scale, {}, t.properties};
    world.push_back(
        Compose(t.parent >= 0 ? world[static_cast<std::size_t>(t.parent)] : World{}, node));
    if (t.mesh) {
      msMesh mesh;
      mesh.name = t.name;
      const double size = 10.0 + 5.0 * static_cast<double>(model.meshes.size());
      for (int corner = 0; corner < 8; ++corner) {
        const Vec3 local = {corner & 1 ? size : -size, corner & 2 ? 2 * size : -size,
                            corner & 4 ? 3 * size : -size};
        const Vec3 p = world.back()(local);
        msVertex vertex;
        for (int k = 0; k < 3; ++k) vertex.position[k] = static_cast<float>(p[k]);
        mesh.vertices.push_back(vertex);
      }
      for (const auto& t3 : {std::array<int, 3>{0, 1, 3},
                             {0, 3, 2},
                             {4, 6, 7},
                             {4, 7, 5},
                             {0, 4, 5},
                             {0, 5, 1},
                             {2, 3, 7},
                             {2, 7, 6}}) {
        mesh.triangles.push_back(
            {{static_cast<std::uint16_t>(t3[0]), static_cast<std::uint16_t>(t3[1]),
              static_cast<std::uint16_t>(t3[2])}});
      }
      node.meshes.push_back(static_cast<int>(model.meshes.size()));
      model.meshes.push_back(std::move(mesh));
    }
    model.nodes.push_back(std::move(node));
  }
  return model;
}

// Every joint kind, nested three deep below the root, turned, moved and
// scaled (B unevenly, under a turned parent, so C's frame is sheared).
std::vector<TreeNode> EveryJointKind() {
  const std::array<float, 4> none = {0, 0, 0, 1};
  return {
      {"ship", -1, {1, 2, 3}, Turn({0, 0, 1}, 10), {1.5f, 1.5f, 1.5f}, true},
      {"A",
       0,
       {40, 5, -7},
       Turn({0, 1, 0}, 90),
       {2, 2, 2},
       true,
       {{"construct", std::string("rev")},
        {"axis_rotation", std::vector<double>{0, 0, 1}},
        {"min", -30.0},
        {"max", 60.0}}},
      {"pivot", 1, {3, 4, 5}, Turn({1, 0, 0}, 45), {1, 1, 1}, false},
      {"B",
       2,
       {-6, 8, 2},
       Turn({1, 1, 0}, 30),
       {1, 2, 3},
       true,
       {{"construct", std::string("pris")},
        {"axis_translation", std::vector<double>{1, 0, 0}},
        {"max", 46.0},
        {"offset", std::vector<double>{1, 2, 3}}}},
      {"C",
       3,
       {5, 5, 5},
       Turn({0, 1, 1}, -70),
       {1, 1, 1},
       true,
       {{"construct", std::string("sphere")}, {"max", std::vector<double>{0.5, 1, 1.5}}}},
      {"HpGun01",
       4,
       {0, 9, 0},
       Turn({0, 0, 1}, 90),
       {1, 1, 1},
       false,
       {{"hardpoint", true}, {"hptype", std::string("rev")}}},
      {"D", 0, {-30, 0, 12}, none, {1, 1, 1}, true},
      {"Hp_Fixed_HpEngine01", 2, {0, 0, -20}, none, {1, 1, 1}, false},
  };
}

const msMesh& MeshNamed(const msModel& model, const std::string& name) {
  for (const msMesh& mesh : model.meshes) {
    if (mesh.name == name) return mesh;
  }
  ADD_FAILURE() << "no mesh " << name;
  return model.meshes.front();
}

const LevelPart& PartNamed(const LevelGeometry& level, const std::string& name) {
  for (const LevelPart& part : level.parts) {
    if (part.name == name) return part;
  }
  ADD_FAILURE() << "no part " << name;
  return level.parts.front();
}

class NodePartsExport : public testing::CmptoolTest {
 protected:
  void WriteModel(const std::string& name, const msModel& model) const {
    const ModelDocumentText document = WriteModelDocument(model);
    ASSERT_EQ(document.error, "");
    std::ofstream(folder_ / name, std::ios::binary) << document.text;
  }

  CompoundModel Read(const std::string& name) const {
    UtfTree tree;
    const UtfReadResult read = ReadUtfFile(folder_ / name, tree, nullptr);
    EXPECT_TRUE(read.ok()) << read.reason;
    return DecodeCompoundModel(tree);
  }
};

TEST_F(NodePartsExport, EveryPartPlacedByItsJointsLiesWhereTheModelHasIt) {
  const msModel model = MakeTreeModel(EveryJointKind());
  WriteModel("ship.json", model);
  const struct {
    const char* options;
    double divisor;
    double sign;  // the orientation fix turns Y and Z
  } cases[] = {{"", 92, -1}, {"--scale 1 --orientation back-to-front", 1, 1}, {"--scale 7", 7, -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    const testing::CmptoolRun run =
        Run(std::string("export ship.json -o ship.cmp -q --force --parts nodes ") + c.options);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err,
              "warning: sheared node transforms are baked into their parts' vertices: \"C\"\n");
    const CompoundModel written = Read("ship.cmp");
    const LevelGeometry level = GatherLevelGeometry(written, 0);
    ASSERT_EQ(level.parts.size(), 5u);
    const auto expected = [&](const float p[3]) {
      return Vec3{p[0] / c.divisor, c.sign * p[1] / c.divisor, c.sign * p[2] / c.divisor};
    };
    const double tolerance = 1e-5 * 200 / c.divisor;  // of the model's size
    for (std::size_t p = 0; p < level.parts.size(); ++p) {
      const LevelPart& part = level.parts[p];
      SCOPED_TRACE(part.name);
      ASSERT_EQ(part.meshes.size(), 1u);
      const std::string name = part.name == "Root" ? "ship" : part.name;
      const msMesh& source = MeshNamed(model, name);
      ASSERT_EQ(part.meshes[0].vertices.size(), source.vertices.size());
      for (std::size_t v = 0; v < source.vertices.size(); ++v) {
        const Vector3 placed = ApplyTransform(part.toModel, part.meshes[0].vertices[v].position);
        const Vec3 want = expected(source.vertices[v].position);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(placed[k], want[k], tolerance) << v;
      }
    }
    // The joints' kinds and parents as the properties name them.
    const struct {
      JointKind kind;
      const char* parent;
      const char* child;
    } joints[] = {{JointKind::Fix, "Root", "D"},
                  {JointKind::Rev, "Root", "A"},
                  {JointKind::Pris, "A", "B"},
                  {JointKind::Sphere, "B", "C"}};
    ASSERT_EQ(written.joints.size(), 4u);
    for (std::size_t j = 0; j < 4; ++j) {
      EXPECT_EQ(written.joints[j].kind, joints[j].kind);
      EXPECT_EQ(written.joints[j].parent, joints[j].parent);
      EXPECT_EQ(written.joints[j].child, joints[j].child);
    }
    const Joint& rev = written.joints[1];
    EXPECT_NEAR(rev.min, -30 * M_PI / 180, 1e-6);
    EXPECT_NEAR(rev.max, 60 * M_PI / 180, 1e-6);
    EXPECT_NEAR(written.joints[2].max, 46 / c.divisor, 1e-6);
    EXPECT_NEAR(written.joints[2].offset[1], c.sign * 2 / c.divisor, 1e-6);
    // Turned half about X, turns about Y and Z run the other way.
    const float pi = static_cast<float>(M_PI);
    const std::array<float, 6> sphere = c.sign < 0
                                            ? std::array<float, 6>{-pi, 0.5f, -1, pi, -1.5f, pi}
                                            : std::array<float, 6>{-pi, 0.5f, -pi, 1, -pi, 1.5f};
    EXPECT_EQ(written.joints[3].sphereLimits, sphere);

    // Hardpoints in the frame of their nearest mesh-node ancestor.
    std::vector<World> worlds;
    for (const msNode& node : model.nodes) {
      worlds.push_back(Compose(
          node.parent >= 0 ? worlds[static_cast<std::size_t>(node.parent)] : World{}, node));
    }
    const struct {
      const char* part;
      const char* name;
      std::size_t node;
      HardpointKind kind;
    } hardpoints[] = {{"A", "HpEngine01", 7, HardpointKind::Fixed},
                      {"C", "HpGun01", 5, HardpointKind::Revolute}};
    for (const auto& h : hardpoints) {
      SCOPED_TRACE(h.name);
      const LevelPart& part = PartNamed(level, h.part);
      ASSERT_EQ(part.hardpoints.size(), 1u);
      EXPECT_EQ(part.hardpoints[0].name, h.name);
      EXPECT_EQ(part.hardpoints[0].kind, h.kind);
      const Vector3 placed = ApplyTransform(part.toModel, *part.hardpoints[0].position);
      const Vec3 at = worlds[h.node].translation;
      const float atFloat[3] = {static_cast<float>(at[0]), static_cast<float>(at[1]),
                                static_cast<float>(at[2])};
      const Vec3 want = expected(atFloat);
      for (int k = 0; k < 3; ++k) EXPECT_NEAR(placed[k], want[k], tolerance);
    }
  }
}

TEST_F(NodePartsExport, LevelNodesLandInTheirPartsFrameAtTheirLevel) {
  std::vector<TreeNode> tree = EveryJointKind();
  // B's level 1 hangs elsewhere in the tree; A's level 2 below A itself.
  tree.push_back({"b$LOD1", 0, {7, -3, 2}, Turn({1, 0, 0}, 20), {1, 1, 1}, true});
  tree.push_back({"A$lod2", 1, {0, 0, 1}, Turn({0, 0, 1}, 5), {0.5f, 0.5f, 0.5f}, true});
  tree.push_back({"C$lod3", 4, {0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}, true});
  const msModel model = MakeTreeModel(tree);
  WriteModel("ship.json", model);
  const testing::CmptoolRun run = Run("export ship.json -o ship.cmp -q --parts nodes");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_NE(run.err.find("warning: levels of detail above 2 are left out: \"C$lod3\"\n"),
            std::string::npos)
      << run.err;
  // --auto-lod makes only the levels the tree lacks: it keeps the given ones.
  const testing::CmptoolRun made =
      Run("export ship.json -o made.cmp -q --parts nodes --auto-lod --lod-ratios 0.5,0.25");
  ASSERT_EQ(made.exitStatus, 0) << made.err;
  EXPECT_EQ(made.err.find("nodes are left out"), std::string::npos) << made.err;
  // Which node's mesh each part shows at each level: its own level node, else
  // the level below's.
  const struct {
    const char* file;
    int level;
    const char* part;
    const char* mesh;
  } cases[] = {{"ship.cmp", 1, "B", "b$LOD1"}, {"ship.cmp", 1, "A", "A"},
               {"ship.cmp", 1, "Root", "ship"}, {"ship.cmp", 2, "B", "b$LOD1"},
               {"ship.cmp", 2, "A", "A$lod2"}, {"ship.cmp", 2, "C", "C"},
               {"made.cmp", 1, "B", "b$LOD1"}, {"made.cmp", 2, "A", "A$lod2"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + ": " + c.part + " at level " + std::to_string(c.level));
    const CompoundModel written = Read(c.file);
    const LevelGeometry level = GatherLevelGeometry(written, c.level);
    const LevelPart& part = PartNamed(level, c.part);
    ASSERT_EQ(part.meshes.size(), 1u);
    const msMesh& source = MeshNamed(model, c.mesh);
    ASSERT_EQ(part.meshes[0].vertices.size(), source.vertices.size());
    for (std::size_t v = 0; v < source.vertices.size(); ++v) {
      const Vector3 placed = ApplyTransform(part.toModel, part.meshes[0].vertices[v].position);
      const float* p = source.vertices[v].position;
      const Vec3 want = {p[0] / 92.0, -p[1] / 92.0, -p[2] / 92.0};
      for (int k = 0; k < 3; ++k) EXPECT_NEAR(placed[k], want[k], 1e-5 * 200 / 92);
    }
  }
}

// Each level the tree brings is counted as written, in the listing too.
TEST_F(NodePartsExport, LevelNodesAreCountedAsWritten) {
  std::vector<TreeNode> tree = EveryJointKind();
  tree.push_back({"b$LOD1", 0, {7, -3, 2}, Turn({1, 0, 0}, 20), {1, 1, 1}, true});
  tree.push_back({"A$lod2", 1, {0, 0, 1}, Turn({0, 0, 1}, 5), {0.5f, 0.5f, 0.5f}, true});
  msModel model = MakeTreeModel(tree);
  model.meshes.back().triangles.resize(4);  // A's level 2 is coarser than A
  WriteModel("ship.json", model);
  const testing::CmptoolRun exported = Run("export ship.json -o ship.cmp -q --parts nodes");
  ASSERT_EQ(exported.exitStatus, 0) << exported.err;
  const testing::CmptoolRun listed = Run("export ship.json --list");
  ASSERT_EQ(listed.exitStatus, 0) << listed.err;
  const std::string levels = testing::LevelLinesOfWroteLines(exported.out);
  EXPECT_EQ(listed.out.substr(listed.out.size() - levels.size()), levels) << exported.out;
  const CompoundModel written = Read("ship.cmp");
  for (int level = 0; level < 3; ++level) {
    std::size_t triangles = 0;
    for (const LevelPart& part : GatherLevelGeometry(written, level).parts) {
      for (const LevelMesh& mesh : part.meshes) triangles += mesh.indices.size() / 3;
    }
    EXPECT_NE(levels.find("level " + std::to_string(level) + ": " + std::to_string(triangles) +
                          " triangles\n"),
              std::string::npos)
        << levels;
  }
}

TEST_F(NodePartsExport, LeftOutNodesAndRenamedPartsAreToldInWarnings) {
  const std::array<float, 4> none = {0, 0, 0, 1};
  msModel model = MakeTreeModel({
      {"ship", -1, {0, 0, 0}, none, {1, 1, 1}, true},
      {"wing", 0, {5, 0, 0}, none, {1, 1, 1}, true},
      {"WING", 0, {-5, 0, 0}, none, {1, 1, 1}, true},
      {"root", 0, {0, 5, 0}, none, {1, 1, 1}, true},
      {"ship$hull", 0, {0, 0, 0}, none, {1, 1, 1}, true},
      {"shield", 0, {0, 0, 0}, none, {1, 1, 1}, true, {{"hull", 1.0}}},
      {"scaffold", 0, {0, 0, 0}, none, {1, 1, 1}, true, {{"export_ignore", true}}},
      {"scaffold_arm", 6, {0, 0, 0}, none, {1, 1, 1}, true},
      {"wing$hull", 1, {0, 0, 0}, none, {1, 1, 1}, true},
  });
  // Meshes no node holds join the root part, except hardpoints.
  for (const char* loose : {"HpLoose01", "loose"}) {
    model.meshes.push_back(model.meshes.front());
    model.meshes.back().name = loose;
  }
  WriteModel("ship.json", model);
  const testing::CmptoolRun run = Run("export ship.json -o ship.cmp -q --parts nodes");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err,
            "warning: the part name \"WING\" is taken (letter case aside); this part is "
            "written as \"WING.0001\"\n"
            "warning: the part name \"root\" is taken (letter case aside); this part is "
            "written as \"root.0001\"\n"
            "warning: hardpoint meshes that no node of the tree holds are left out (make "
            "them nodes to place them on a part): \"HpLoose01\"\n"
            "warning: collision nodes were not used, since no collision file is written: "
            "\"ship$hull\", \"shield\", \"wing$hull\"\n");
  EXPECT_NE(run.out.find(", 5 meshes, "), std::string::npos) << run.out;
  // The listing names the nodes that are no geometry, and what they belong to.
  const testing::CmptoolRun listed = Run("export ship.json --list");
  ASSERT_EQ(listed.exitStatus, 0) << listed.err;
  EXPECT_NE(listed.out.find("\ncollision pieces: \"ship$hull\" (Root), \"shield\" (Root), "
                            "\"wing$hull\" (wing)\nleft out (export_ignore): \"scaffold\"\n"),
            std::string::npos)
      << listed.out;
  const CompoundModel written = Read("ship.cmp");
  std::vector<std::string> names;
  for (const Joint& joint : written.joints) names.push_back(joint.child);
  EXPECT_EQ(names, (std::vector<std::string>{"wing", "WING.0001", "root.0001"}));
}

// The bundled turret ship is built upside down, so the default export puts
// its turret on top in the game (+Y) and turns it about the game's up axis.
TEST_F(NodePartsExport, ListShowsThePartsJointsAndHardpoints) {
  const testing::CmptoolRun run = Run("export '" SVCMP_EXAMPLES "/turret_ship.json' --list");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  const std::string tree = run.out.substr(run.out.find("parts from the node tree"));
  EXPECT_EQ(tree,
            "parts from the node tree (--parts nodes), at --scale 92:\n"
            "  Root (node \"ship\"); level 0: 1 mesh; hardpoints: HpEngine01 (fixed)\n"
            "  turret: Rev joint to Root at (0, 2.15217, -3.26087), axis (0, 1, -0), limits "
            "-2.0944 to 2.0944; level 0: 1 mesh; hardpoints: HpTurret01 (revolute)\n"
            "  door: Pris joint to Root at (-5.1087, -0, 2.17391), axis (0, 1, -0), limits 0 to "
            "1.95652; level 0: 1 mesh\n");
  // What --parts nodes would refuse is said, and the listing still succeeds.
  const testing::CmptoolRun flat = Run("export '" SVCMP_EXAMPLES "/sample_ship.glb' --list");
  EXPECT_EQ(flat.exitStatus, 0);
  EXPECT_NE(flat.out.find("--parts nodes cannot form parts: two mesh nodes at the top"),
            std::string::npos);
}

// The listing takes the options the export shares with it: the turret's
// joint origin (0, 198, -300) in the tree's units, scaled and turned as the
// export would write it.
TEST_F(NodePartsExport, ListTakesTheScaleAndOrientationOfTheExport) {
  const std::string ship = "export '" SVCMP_EXAMPLES "/turret_ship.json' ";
  ASSERT_EQ(Run(ship + "-o ship.cmp -q --scale 50 --save-settings fifty.ces").exitStatus, 0);
  const struct {
    std::string options;
    std::string scale;   // after "at --scale "
    std::string origin;  // of the turret's joint
  } cases[] = {
      {"", "92", "(0, 2.15217, -3.26087)"},
      {"--scale 1", "1", "(0, 198, -300)"},
      {"--scale 4 --orientation back-to-front", "4", "(0, -49.5, 75)"},
      {"--settings fifty.ces", "50", "(0, 3.96, -6)"},
      {"--settings fifty.ces --scale 2", "2", "(0, 99, -150)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    const testing::CmptoolRun run = Run(ship + "--list --save-settings unwanted.ces " + c.options);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find(" units at --scale " + c.scale + "\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("(--parts nodes), at --scale " + c.scale + ":\n"), std::string::npos);
    EXPECT_NE(run.out.find("  turret: Rev joint to Root at " + c.origin + ", "), std::string::npos)
        << run.out;
    EXPECT_FALSE(std::filesystem::exists(folder_ / "unwanted.ces"));  // a listing writes nothing
  }
}

TEST_F(NodePartsExport, WithoutTheOptionATreeChangesNoByte) {
  msModel model = MakeTreeModel(EveryJointKind());
  WriteModel("tree.json", model);
  model.nodes.clear();
  WriteModel("flat.json", model);
  for (const char* options : {"", " --game-ready --groups 1,2,2"}) {
    // One output name, since --game-ready names the library after it.
    ASSERT_EQ(Run(std::string("export tree.json -o out.cmp -q --force") + options).exitStatus, 0);
    const std::string fromTree = FileText("out.cmp");
    ASSERT_EQ(Run(std::string("export flat.json -o out.cmp -q --force") + options).exitStatus, 0);
    EXPECT_TRUE(fromTree == FileText("out.cmp")) << options;
  }
}

TEST_F(NodePartsExport, GameReadyFormsPartsOnlyFromATreeWithOneRoot) {
  WriteModel("tree.json", MakeTreeModel(EveryJointKind()));
  const auto tree = Run("export tree.json -o tree.cmp -q --game-ready");
  ASSERT_EQ(tree.exitStatus, 0);
  EXPECT_EQ(Read("tree.cmp").parts.size(), 5u);
  EXPECT_TRUE(std::filesystem::exists(folder_ / "tree.sur"));
  // Two mesh nodes at the top are a flat list: one part, as always.
  WriteModel("flat.json", MakeTreeModel({{"a", -1, {0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}, true},
                                         {"b", -1, {9, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}, true}}));
  ASSERT_EQ(Run("export flat.json -o flat.cmp -q --game-ready").exitStatus, 0);
  EXPECT_EQ(Read("flat.cmp").parts.size(), 1u);
  EXPECT_TRUE(std::filesystem::exists(folder_ / "flat.sur"));
}

TEST_F(NodePartsExport, BadTreesAreRefusedNamingTheNodeAndNothingIsWritten) {
  const std::array<float, 4> none = {0, 0, 0, 1};
  const auto withProperty = [&](msNodeProperty property) {
    return std::vector<TreeNode>{{"ship", -1, {0, 0, 0}, none, {1, 1, 1}, true},
                                 {"turret", 0, {0, 5, 0}, none, {1, 1, 1}, true, {property}}};
  };
  const std::string longName(64, 'n');
  const struct {
    std::vector<TreeNode> tree;
    const char* message;
  } cases[] = {
      {{{"ship", -1, {0, 0, 0}, none, {1, 1, 1}, true},
        {"barge", -1, {0, 0, 0}, none, {1, 1, 1}, true}},
       "two mesh nodes at the top of the node tree: \"ship\" and \"barge\"; make one the "
       "other's parent"},
      {withProperty({"construct", 5.0}), "node \"turret\": property \"construct\" must be text"},
      {withProperty({"construct", std::string("hinge")}),
       "node \"turret\": property \"construct\" must be fix, rev, pris or sphere"},
      {withProperty({"export_ignore", std::string("yes")}),
       "node \"turret\": property \"export_ignore\" must be true or false"},
      {withProperty({"axis_rotation", std::vector<double>{0, 1}}), nullptr},
      {{{"ship", -1, {0, 0, 0}, none, {1, 1, 1}, true},
        {longName, 0, {0, 0, 0}, none, {1, 1, 1}, true}},
       nullptr},
      {{{"empty", -1, {0, 0, 0}, none, {1, 1, 1}, false}},
       "the node tree holds no mesh node to make the root part of"},
  };
  std::vector<std::string> messages;
  for (const auto& c : cases) messages.push_back(c.message ? c.message : "");
  // A wrong axis only counts on a joint that reads it.
  messages[4] = "";
  messages[5] =
      "part name \"" + longName + "\" is longer than 63 bytes, which a joint record holds";
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(messages[i]);
    WriteModel("bad.json", MakeTreeModel(cases[i].tree));
    const testing::CmptoolRun run = Run("export bad.json -o bad.cmp -q --parts nodes");
    if (messages[i].empty()) {
      EXPECT_EQ(run.exitStatus, 0) << run.err;
      fs::remove(folder_ / "bad.cmp");
      continue;
    }
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "error: \"bad.json\": " + messages[i] + "\n");
    EXPECT_FALSE(fs::exists(folder_ / "bad.cmp"));
  }
  // A model without a tree, and --groups beside --parts nodes.
  WriteModel("flat.json", MakeTreeModel({}));
  EXPECT_EQ(Run("export flat.json -o flat.cmp --parts nodes --groups 1").exitStatus, 2);
  EXPECT_FALSE(fs::exists(folder_ / "flat.cmp"));
}

}  // namespace
}  // namespace svcmp
