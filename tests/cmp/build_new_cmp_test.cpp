#include <gtest/gtest.h>

#include "cmp/cmp_assembly.h"
#include "format/name_crc.h"
#include "tests/cmp/cmp_test_fixtures.h"

namespace svcmp {
namespace {

using testing::At;
using testing::Bytes;
using testing::DataAt;
using testing::ExportScene;
using testing::Join;
using testing::Le32;
using testing::Outline;
using testing::Text;

void Build(UtfTree& tree, ExportScene& scene, int levelOfDetail) {
  const CmpAssemblyInputs inputs = scene.Inputs(levelOfDetail);
  BuildNewCmp(tree, inputs, MeshLibraryName(scene.meshes.front().meshName, levelOfDetail),
              scene.meshes.front());
}

const std::vector<std::uint8_t> kZero16(16, 0);

TEST(BuildNewCmp, SinglePartLevel0MatchesTheLayoutByteForByte) {
  ExportScene scene;
  UtfTree tree;
  Build(tree, scene, 0);

  const std::vector<std::string> expected = {
      "0 \\",        "1 VMeshLibrary", "2 hull.lod0.vms", "3 VMeshData", "1 Cmpnd",      "2 Root",
      "3 File name", "3 Index",        "3 Object name",   "1 hull.3db",  "2 Hardpoints", "3 Fixed",
      "4 HpMount01", "5 Orientation",  "5 Position",      "3 Revolute",  "4 HpTurret01", "5 Axis",
      "5 Max",       "5 Min",          "5 Orientation",   "5 Position",  "2 MultiLevel", "3 Level0",
      "4 VMeshPart", "5 VMeshRef"};
  EXPECT_EQ(Outline(tree), expected);

  EXPECT_EQ(DataAt(tree, {"VMeshLibrary", "hull.lod0.vms", "VMeshData"}), scene.buffer);
  EXPECT_FALSE(std::filesystem::exists(scene.BufferPath()));
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Root", "File name"}), Text("hull.3db"));
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Root", "File name"}).size(), 9u);
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Root", "Index"}), Bytes({0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Root", "Object name"}), Bytes({'R', 'o', 'o', 't', 0}));
  // Summary: 2 meshes, 0x0102 vertices, 0x0304 indices, bounds 1,-1,2,-2,3,-3.
  EXPECT_EQ(DataAt(tree, {"hull.3db", "MultiLevel", "Level0", "VMeshPart", "VMeshRef"}),
            Join({Bytes({0x3C, 0, 0, 0}), Le32(NameCrc("hull.lod0.vms")),
                  Bytes({0, 0, 0x02, 0x01, 0, 0, 0x04, 0x03, 0, 0, 0x02, 0}),
                  Bytes({0, 0, 0x80, 0x3F, 0, 0, 0x80, 0xBF, 0, 0, 0,    0x40,
                         0, 0, 0,    0xC0, 0, 0, 0x40, 0x40, 0, 0, 0x40, 0xC0}),
                  kZero16}));
}

TEST(BuildNewCmp, LevelsOneAndTwoHaveNoHardpointsAndOnlyTwoHasSwitch2) {
  ExportScene scene;
  UtfTree level1;
  Build(level1, scene, 1);
  EXPECT_EQ(At(level1, {"hull.3db", "Hardpoints"}), nullptr);
  EXPECT_NE(At(level1, {"VMeshLibrary", "hull.lod1.vms", "VMeshData"}), nullptr);
  EXPECT_NE(At(level1, {"hull.3db", "MultiLevel", "Level1", "VMeshPart", "VMeshRef"}), nullptr);
  EXPECT_EQ(At(level1, {"hull.3db", "MultiLevel", "Switch2"}), nullptr);

  UtfTree level2;
  Build(level2, scene, 2);
  const std::vector<std::string> expected = {
      "0 \\",         "1 VMeshLibrary", "2 hull.lod2.vms", "3 VMeshData",   "1 Cmpnd",
      "2 Root",       "3 File name",    "3 Index",         "3 Object name", "1 hull.3db",
      "2 MultiLevel", "3 Level2",       "4 VMeshPart",     "5 VMeshRef",    "3 Switch2"};
  EXPECT_EQ(Outline(level2), expected);
  // 0.0, 100.0, 1000.0, 100000.0
  EXPECT_EQ(DataAt(level2, {"hull.3db", "MultiLevel", "Switch2"}),
            Bytes({0, 0, 0, 0, 0, 0, 0xC8, 0x42, 0, 0, 0x7A, 0x44, 0, 0x50, 0xC3, 0x47}));
  // The library id carries the level suffix.
  const auto ref = DataAt(level2, {"hull.3db", "MultiLevel", "Level2", "VMeshPart", "VMeshRef"});
  ASSERT_EQ(ref.size(), 60u);
  EXPECT_EQ(std::vector<std::uint8_t>(ref.begin() + 4, ref.begin() + 8),
            Le32(NameCrc("hull.lod2.vms")));
}

TEST(BuildNewCmp, LevelOutsideZeroToTwoIsLevelZero) {
  ExportScene scene;
  UtfTree tree;
  Build(tree, scene, 7);
  EXPECT_NE(At(tree, {"VMeshLibrary", "hull.lod0.vms"}), nullptr);
  EXPECT_NE(At(tree, {"hull.3db", "MultiLevel", "Level0"}), nullptr);
  EXPECT_NE(At(tree, {"hull.3db", "Hardpoints"}), nullptr);
  EXPECT_EQ(MeshLibraryName("hull", -1), "hull.lod0.vms");
}

TEST(BuildNewCmp, FirstMeshBeingAHardpointStillNamesLibraryAndModel) {
  ExportScene scene;
  scene.meshes.insert(scene.meshes.begin(), testing::Hardpoint("Hp_Fixed_HpMount"));
  UtfTree tree;
  Build(tree, scene, 0);
  EXPECT_NE(At(tree, {"VMeshLibrary", "Hp_Fixed_HpMount.lod0.vms", "VMeshData"}), nullptr);
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Root", "File name"}), Text("Hp_Fixed_HpMount.3db"));
  EXPECT_NE(At(tree, {"Hp_Fixed_HpMount.3db", "Hardpoints", "Fixed", "HpMount"}), nullptr);
}

TEST(BuildNewCmp, MeshBufferFileEmptyGivesZeroBytesAndMissingGivesNoData) {
  ExportScene scene;
  scene.buffer.clear();
  UtfTree empty;
  Build(empty, scene, 0);
  const DataBlock& emptyData =
      empty.Data(At(empty, {"VMeshLibrary", "hull.lod0.vms", "VMeshData"}));
  ASSERT_TRUE(emptyData.has_value());
  EXPECT_TRUE(emptyData->empty());

  UtfTree missing;
  CmpAssemblyInputs inputs = scene.Inputs(0);
  inputs.meshBufferPath = scene.dir.Path() / "nowhere.vms";
  BuildNewCmp(missing, inputs, "hull.lod0.vms", scene.meshes.front());
  EXPECT_FALSE(
      missing.Data(At(missing, {"VMeshLibrary", "hull.lod0.vms", "VMeshData"})).has_value());
  EXPECT_NE(At(missing, {"hull.3db", "MultiLevel", "Level0", "VMeshPart", "VMeshRef"}), nullptr);
}

using BuildNewCmpParts = testing::TwoPartSceneTest;

TEST_F(BuildNewCmpParts, HullAndWingAtLevel0) {
  UtfTree tree;
  Build(tree, scene, 0);
  const std::vector<std::string> expected = {"0 \\",
                                             "1 VMeshLibrary",
                                             "2 hull.lod0.vms",
                                             "3 VMeshData",
                                             "1 Cmpnd",
                                             "2 Cons",
                                             "3 Fix",
                                             "2 Root",
                                             "3 File name",
                                             "3 Index",
                                             "3 Object name",
                                             "2 Part_wing_lod1",
                                             "3 File name",
                                             "3 Index",
                                             "3 Object name",
                                             "1 hull_lod1.3db",
                                             "2 MultiLevel",
                                             "3 Level0",
                                             "4 VMeshPart",
                                             "5 VMeshRef",
                                             "2 Hardpoints",
                                             "3 Fixed",
                                             "4 HpMount01",
                                             "5 Orientation",
                                             "5 Position",
                                             "3 Revolute",
                                             "4 HpTurret01",
                                             "5 Axis",
                                             "5 Max",
                                             "5 Min",
                                             "5 Orientation",
                                             "5 Position",
                                             "1 wing_lod1.3db",
                                             "2 MultiLevel",
                                             "3 Level0",
                                             "4 VMeshPart",
                                             "5 VMeshRef",
                                             "2 Hardpoints",
                                             "3 Fixed",
                                             "4 HpWing",
                                             "5 Orientation",
                                             "5 Position"};
  EXPECT_EQ(Outline(tree), expected);

  EXPECT_FALSE(tree.Data(At(tree, {"Cmpnd", "Cons", "Fix"})).has_value());
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Root", "File name"}), Text("hull_lod1.3db"));
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Root", "Object name"}), Text("Root"));
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Part_wing_lod1", "File name"}), Text("wing_lod1.3db"));
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Part_wing_lod1", "Index"}), Bytes({1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Part_wing_lod1", "Object name"}), Text("wing_lod1"));
  EXPECT_EQ(scene.groups[0].partNode, At(tree, {"hull_lod1.3db"}));
  EXPECT_EQ(scene.groups[1].partNode, At(tree, {"wing_lod1.3db"}));
  EXPECT_EQ(scene.groups[1].hardpointsNode, At(tree, {"wing_lod1.3db", "Hardpoints"}));
  EXPECT_EQ(scene.groups[1].revoluteNode, nullptr);
}

TEST_F(BuildNewCmpParts, Level2KeepsTheLod1NamesAndTakesSlicesFromTheGroups) {
  UtfTree tree;
  Build(tree, scene, 2);
  EXPECT_NE(At(tree, {"VMeshLibrary", "hull.lod2.vms"}), nullptr);
  EXPECT_NE(At(tree, {"Cmpnd", "Cons", "Fix"}), nullptr);
  EXPECT_NE(At(tree, {"Cmpnd", "Part_wing_lod1"}), nullptr);
  EXPECT_EQ(At(tree, {"hull_lod1.3db", "Hardpoints"}), nullptr);
  EXPECT_EQ(DataAt(tree, {"wing_lod1.3db", "MultiLevel", "Switch2"}),
            Bytes({0, 0, 0, 0, 0, 0, 0xC8, 0x42, 0, 0, 0x7A, 0x44, 0, 0x50, 0xC3, 0x47}));
  // Group 1: vertices 0x10 + 3, indices 0x20 + 3, mesh 1 + 1, bounds 10,5,1,-1,1,-1.
  EXPECT_EQ(DataAt(tree, {"wing_lod1.3db", "MultiLevel", "Level2", "VMeshPart", "VMeshRef"}),
            Join({Bytes({0x3C, 0, 0, 0}), Le32(NameCrc("hull.lod2.vms")),
                  Bytes({0x10, 0, 3, 0, 0x20, 0, 3, 0, 1, 0, 1, 0}),
                  Bytes({0, 0, 0x20, 0x41, 0, 0, 0xA0, 0x40, 0, 0, 0x80, 0x3F,
                         0, 0, 0x80, 0xBF, 0, 0, 0x80, 0x3F, 0, 0, 0x80, 0xBF}),
                  kZero16}));
  const auto hullRef =
      DataAt(tree, {"hull_lod1.3db", "MultiLevel", "Level2", "VMeshPart", "VMeshRef"});
  ASSERT_EQ(hullRef.size(), 60u);
  EXPECT_EQ(std::vector<std::uint8_t>(hullRef.begin() + 4, hullRef.begin() + 8),
            Le32(NameCrc("hull.lod2.vms")));
}

}  // namespace
}  // namespace svcmp
