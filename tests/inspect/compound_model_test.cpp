#include "inspect/compound_model.h"

#include <gtest/gtest.h>

#include "format/name_crc.h"
#include "tests/inspect/inspect_test_files.h"
#include "utf/utf_reader.h"

namespace svcmp {
namespace {

using testing::AddTestLeaf;
using testing::LeafBuilder;
using testing::MeshRefBytes;
using testing::OtherToolFile;

UtfTree ReadExport(const std::string& name) {
  UtfTree tree;
  const auto result = ReadUtfFile(SVCMP_TEST_DATA "/export/" + name, tree, nullptr);
  EXPECT_TRUE(result.ok()) << result.reason;
  return tree;
}

TEST(CompoundModel, ReadsOurExportsWithoutFault) {
  const struct {
    const char* file;
    std::size_t parts, levels, hardpoints;
  } files[] = {{"single_lod0.cmp", 1, 1, 3},
               {"buildup.cmp", 1, 3, 3},
               {"parts_buildup.cmp", 2, 3, 3},
               {"parts_lod2.cmp", 3, 1, 0}};
  for (const auto& expected : files) {
    SCOPED_TRACE(expected.file);
    const CompoundModel model = DecodeCompoundModel(ReadExport(expected.file));
    EXPECT_TRUE(model.findings.empty()) << model.findings.front().message;
    EXPECT_TRUE(model.compound);
    ASSERT_EQ(model.parts.size(), expected.parts);
    EXPECT_EQ(model.parts[0].levels.size(), expected.levels);
    EXPECT_EQ(model.parts[0].hardpoints.size(), expected.hardpoints);
    EXPECT_EQ(model.parts[0].index, 0);
    EXPECT_EQ(model.parts.size() > 1,
              model.emptyJointLists == std::vector<std::string>{"/Cmpnd/Cons/Fix"});
    for (const Part& part : model.parts) {
      EXPECT_FALSE(part.modelPath.empty());
      for (const Level& level : part.levels) {
        ASSERT_EQ(level.meshRefs.size(), 1u);
        const MeshRef& ref = level.meshRefs[0];
        const MeshLibraryEntry* library = model.FindLibrary(ref.libraryId);
        ASSERT_TRUE(library && library->buffer);
        EXPECT_EQ(MeshesOfRef(ref, *library->buffer).size(), ref.meshCount);
      }
    }
  }
}

TEST(CompoundModel, ReadsFilesOfOtherTools) {
  // The gun turned, by a matrix that is not its own transpose.
  UtfTree tree = OtherToolFile();
  const Matrix3 turned = {0.28f, -0.96f, 0, 0.96f, 0.28f, 0, 0, 0, 1};
  tree.SetData(tree.FindNode(tree.FindNode(nullptr, "HpGun"), "Orientation"),
               LeafBuilder().Floats({0.28f, -0.96f, 0, 0.96f, 0.28f, 0, 0, 0, 1}).Take());
  const CompoundModel model = DecodeCompoundModel(tree);
  EXPECT_TRUE(model.findings.empty()) << model.findings.front().message;
  EXPECT_EQ(model.materialNames.at(NameCrc("steel")), "Steel");
  ASSERT_EQ(model.parts.size(), 5u);
  const Part& ship = model.parts[0];
  EXPECT_EQ(ship.modelPath, "/ship.3db");
  ASSERT_EQ(ship.levels.size(), 1u);
  EXPECT_EQ(ship.levels[0].path, "/ship.3db");
  ASSERT_EQ(ship.hardpoints.size(), 1u);
  const Hardpoint& gun = ship.hardpoints[0];
  EXPECT_EQ(gun.kind, HardpointKind::Revolute);
  EXPECT_EQ(gun.path, "/ship.3db/Hardpoints/Revolute/HpGun");
  EXPECT_EQ(gun.position, (Vector3{1, 2, 3}));
  EXPECT_EQ(gun.orientation, turned);
  EXPECT_EQ(gun.axis, (Vector3{0, 0, 1}));
  EXPECT_EQ(gun.min, -1.0f);
  EXPECT_EQ(gun.max, 1.0f);

  const Part& turret = model.parts[1];
  EXPECT_EQ(turret.index, 1);
  EXPECT_EQ(turret.modelPath, "/turret.3db");
  EXPECT_EQ(turret.switchDistances, (std::vector<float>{0, 50, 200}));
  ASSERT_EQ(turret.levels.size(), 1u);
  const MeshRef& ref = turret.levels[0].meshRefs.at(0);
  const auto meshes = MeshesOfRef(ref, *model.FindLibrary(ref.libraryId)->buffer);
  ASSERT_EQ(meshes.size(), 1u);
  EXPECT_EQ(meshes[0].firstVertex, 1u);

  ASSERT_EQ(model.joints.size(), 4u);
  const Joint& rev = model.joints[0];
  EXPECT_EQ(rev.kind, JointKind::Rev);
  EXPECT_EQ(rev.parent, "Root");
  EXPECT_EQ(rev.child, "turret");
  EXPECT_EQ(rev.origin, (Vector3{0, 1, 2}));
  EXPECT_EQ(rev.offset, (Vector3{0.5f, 0, 0}));
  EXPECT_EQ(rev.axis, (Vector3{0, 1, 0}));
  EXPECT_EQ(rev.max, 1.5f);
  EXPECT_EQ(model.joints[1].kind, JointKind::Pris);
  EXPECT_EQ(model.joints[2].sphereLimits, (std::array<float, 6>{-1, 1, -0.5f, 0.25f, -2, 2}));
  const Joint& fix = model.joints[3];
  EXPECT_EQ(fix.kind, JointKind::Fix);
  EXPECT_EQ(fix.rotation, (Matrix3{0, -1, 0, 1, 0, 0, 0, 0, 1}));
}

TEST(CompoundModel, LeavesOfTheWrongSizeAreNamedByPath) {
  const struct {
    const char* path;
    std::vector<std::uint8_t> bytes;
  } cases[] = {
      {"/ship.3db/VMeshPart/VMeshRef", std::vector<std::uint8_t>(59)},
      {"/Cmpnd/Cons/Rev", std::vector<std::uint8_t>(209)},
      {"/Cmpnd/Root/Index", std::vector<std::uint8_t>(5)},
      {"/ship.3db/Hardpoints/Revolute/HpGun/Position", std::vector<std::uint8_t>(11)},
      {"/ship.3db/Hardpoints/Revolute/HpGun/Min", std::vector<std::uint8_t>(5)},
      {"/turret.3db/MultiLevel/Switch2", std::vector<std::uint8_t>(13)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    UtfTree tree = OtherToolFile();
    UtfNode node = tree.Root();
    std::string_view rest = c.path;
    while (!rest.empty()) {
      rest.remove_prefix(1);
      const std::string_view name = rest.substr(0, rest.find('/'));
      node = tree.FindNode(node, name);
      rest.remove_prefix(name.size());
    }
    ASSERT_TRUE(node);
    tree.SetData(node, c.bytes);
    const CompoundModel model = DecodeCompoundModel(tree);
    ASSERT_EQ(model.findings.size(), 1u);
    EXPECT_EQ(model.findings[0].path, c.path);
    EXPECT_EQ(model.findings[0].rule, "leaf-size");
  }
}

TEST(CompoundModel, EmptyNameLeavesReadAsEmptyNames) {
  UtfTree tree = OtherToolFile();
  tree.SetData(tree.FindNode(nullptr, "File name"), {});
  tree.ClearData(tree.FindNode(nullptr, "Object name"));
  const CompoundModel model = DecodeCompoundModel(tree);
  EXPECT_EQ(model.parts.at(0).objectName, "");
  EXPECT_EQ(model.parts.at(0).fileName, "");
  EXPECT_EQ(model.parts.at(0).modelPath, "");
}

TEST(CompoundModel, SingleModelFileIsOnePartAtTheTop) {
  UtfTree tree;
  UtfNode top = tree.AddNode(nullptr, "\\");
  AddTestLeaf(tree, tree.AddNode(tree.AddNode(top, "VMeshLibrary"), "rock.lod0.vms"), "VMeshData",
              testing::TwoMeshBuffer(0x012));
  UtfNode level = tree.AddNode(tree.AddNode(top, "MultiLevel"), "Level0");
  AddTestLeaf(tree, tree.AddNode(level, "VMeshPart"), "VMeshRef",
              MeshRefBytes(NameCrc("rock.lod0.vms"), 0, 4, 0, 6, 0, 2));
  const CompoundModel model = DecodeCompoundModel(tree);
  EXPECT_FALSE(model.compound);
  EXPECT_TRUE(model.findings.empty());
  ASSERT_EQ(model.parts.size(), 1u);
  EXPECT_EQ(model.parts[0].modelPath, "/");
  EXPECT_EQ(model.parts[0].levels.at(0).path, "/MultiLevel/Level0");
  EXPECT_EQ(model.libraries.at(0).buffer->vertexFormat, 0x012);
}

}  // namespace
}  // namespace svcmp
