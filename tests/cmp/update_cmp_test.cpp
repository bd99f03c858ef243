#include <gtest/gtest.h>

#include "cmp/cmp_assembly.h"
#include "tests/cmp/cmp_test_fixtures.h"

namespace svcmp {
namespace {

using testing::At;
using testing::Bytes;
using testing::DataAt;
using testing::ExportScene;
using testing::Outline;
using testing::Text;

void Update(UtfTree& tree, ExportScene& scene, int levelOfDetail) {
  const CmpAssemblyInputs inputs = scene.Inputs(levelOfDetail, UpdateExisting);
  UpdateCmp(tree, inputs, MeshLibraryName(scene.meshes.front().meshName, levelOfDetail),
            scene.meshes.front());
}

std::vector<std::string> ChildNames(const UtfTree& tree, UtfNode parent) {
  std::vector<std::string> names;
  for (UtfNode c = tree.FirstChild(parent); c; c = tree.NextSibling(c))
    names.push_back(tree.Name(c));
  return names;
}

TEST(UpdateCmp, EmptyTreeGetsACompleteModel) {
  ExportScene scene;
  UtfTree tree;
  Update(tree, scene, 1);
  const std::vector<std::string> expected = {
      "0 \\",         "1 VMeshLibrary", "2 hull.lod1.vms", "3 VMeshData",   "1 Cmpnd",
      "2 Root",       "3 File name",    "3 Index",         "3 Object name", "1 hull.3db",
      "2 MultiLevel", "3 Level1",       "4 VMeshPart",     "5 VMeshRef"};
  EXPECT_EQ(Outline(tree), expected);
  // Missing leaves are filled even above level 0.
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Root", "File name"}), Text("hull.3db"));
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Root", "Object name"}), Text("Root"));
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Root", "Index"}).size(), 8u);
  EXPECT_FALSE(std::filesystem::exists(scene.BufferPath()));
}

TEST(UpdateCmp, RepeatingALevelReplacesItsDataAndAddsNoNode) {
  ExportScene scene;
  UtfTree tree;
  Update(tree, scene, 2);
  const std::size_t nodes = tree.NodeCount();
  UtfNode switch2 = At(tree, {"hull.3db", "MultiLevel", "Switch2"});
  tree.SetData(switch2, {1, 2, 3});

  scene.buffer = {0xB0, 0xB1};
  scene.summary.vertexCount = 7;
  Update(tree, scene, 2);
  EXPECT_EQ(tree.NodeCount(), nodes);
  EXPECT_EQ(DataAt(tree, {"VMeshLibrary", "hull.lod2.vms", "VMeshData"}), scene.buffer);
  EXPECT_EQ(DataAt(tree, {"hull.3db", "MultiLevel", "Level2", "VMeshPart", "VMeshRef"}).at(10), 7);
  EXPECT_EQ(DataAt(tree, {"hull.3db", "MultiLevel", "Switch2"}),
            Bytes({0, 0, 0, 0, 0, 0, 0xC8, 0x42, 0, 0, 0x7A, 0x44, 0, 0x50, 0xC3, 0x47}));
}

TEST(UpdateCmp, PartLeavesAreKeptAboveLevel0AndReplacedAtLevel0) {
  ExportScene scene;
  UtfTree tree;
  UtfNode root = tree.AddNode(nullptr, "\\");
  UtfNode part = tree.AddNode(tree.AddNode(root, "Cmpnd"), "Root");
  tree.SetData(tree.AddNode(part, "File name"), Text("old.3db"));
  tree.SetData(tree.AddNode(part, "Index"), {});  // empty: nothing to keep
  Update(tree, scene, 1);
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Root", "File name"}), Text("old.3db"));
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Root", "Index"}), Bytes({0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Root", "Object name"}), Text("Root"));
  Update(tree, scene, 0);
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Root", "File name"}), Text("hull.3db"));
}

TEST(UpdateCmp, Level0RebuildsHardpointsAfterMultiLevel) {
  ExportScene scene;
  UtfTree tree;
  BuildNewCmp(tree, scene.Inputs(0), "hull.lod0.vms", scene.meshes.front());
  UtfNode model = At(tree, {"hull.3db"});
  ASSERT_EQ(ChildNames(tree, model), (std::vector<std::string>{"Hardpoints", "MultiLevel"}));

  scene.meshes.pop_back();  // the turret is gone from the model
  Update(tree, scene, 0);
  EXPECT_EQ(ChildNames(tree, model), (std::vector<std::string>{"MultiLevel", "Hardpoints"}));
  EXPECT_NE(tree.FindNode(nullptr, "HpMount01"), nullptr);
  EXPECT_EQ(tree.FindNode(nullptr, "HpTurret01"), nullptr);
  EXPECT_NE(At(tree, {"hull.3db", "Hardpoints", "Revolute"}), nullptr);

  // Above level 0 the hardpoints stay as they are.
  scene.meshes.clear();
  scene.meshes.push_back(testing::Plate("hull", {0, 0, 0}, {0, 0, 1}));
  Update(tree, scene, 1);
  EXPECT_NE(tree.FindNode(nullptr, "HpMount01"), nullptr);
}

TEST(UpdateCmp, Level0OfASecondModelKeepsTheFirstModelsHardpoints) {
  ExportScene scene;
  UtfTree tree;
  BuildNewCmp(tree, scene.Inputs(0), "hull.lod0.vms", scene.meshes.front());
  const std::vector<std::string> first = Outline(tree);

  scene.meshes = {testing::Plate("wing", {0, 0, 0}, {0, 1, 0}),
                  testing::Hardpoint("Hp_Fixed_HpWing", {0, 1, 0})};
  Update(tree, scene, 0);
  EXPECT_NE(At(tree, {"hull.3db", "Hardpoints", "Fixed", "HpMount01", "Position"}), nullptr);
  EXPECT_NE(At(tree, {"hull.3db", "Hardpoints", "Revolute", "HpTurret01"}), nullptr);
  EXPECT_NE(At(tree, {"wing.3db", "Hardpoints", "Fixed", "HpWing"}), nullptr);
  const std::vector<std::string> both = Outline(tree);
  const auto hull = std::find(both.begin(), both.end(), "1 hull.3db");
  const auto firstHull = std::find(first.begin(), first.end(), "1 hull.3db");
  ASSERT_NE(hull, both.end());
  EXPECT_TRUE(std::equal(firstHull, first.end(), hull));
}

TEST(UpdateCmp, ModelNamesAreComparedWithCase) {
  ExportScene scene;
  UtfTree tree;
  UtfNode root = tree.AddNode(nullptr, "\\");
  tree.AddNode(root, "Hull.3db");
  Update(tree, scene, 1);
  EXPECT_EQ(ChildNames(tree, root),
            (std::vector<std::string>{"Hull.3db", "VMeshLibrary", "Cmpnd", "hull.3db"}));
  EXPECT_EQ(tree.FirstChild(At(tree, {"Hull.3db"})), nullptr);
}

TEST(UpdateCmp, LibraryEntryAndCmpndAreFoundAtAnyDepthUnderWhateverRoot) {
  ExportScene scene;
  UtfTree tree;
  UtfNode root = tree.AddNode(nullptr, "top");
  UtfNode entry =
      tree.AddNode(tree.AddNode(tree.AddNode(root, "Deep"), "Library"), "hull.lod1.vms");
  tree.SetData(tree.AddNode(entry, "VMeshData"), {9, 9});
  UtfNode cmpnd = tree.AddNode(tree.AddNode(root, "Other"), "Cmpnd");
  Update(tree, scene, 1);
  // "VMeshLibrary" is not found, so it is made, but the entry is found deep down.
  EXPECT_EQ(ChildNames(tree, root),
            (std::vector<std::string>{"Deep", "Other", "VMeshLibrary", "hull.3db"}));
  EXPECT_EQ(tree.FirstChild(At(tree, {"VMeshLibrary"})), nullptr);
  EXPECT_EQ(*tree.Data(tree.FindNode(entry, "VMeshData")), scene.buffer);
  EXPECT_NE(tree.FindNode(cmpnd, "Root"), nullptr);
}

using UpdateCmpParts = testing::TwoPartSceneTest;

TEST_F(UpdateCmpParts, NewPartsAreFilledAndExistingOnesKeptAboveLevel0) {
  UtfTree tree;
  UtfNode root = tree.AddNode(nullptr, "\\");
  UtfNode cmpnd = tree.AddNode(root, "Cmpnd");
  UtfNode part = tree.AddNode(cmpnd, "Root");
  tree.SetData(tree.AddNode(part, "File name"), Text("kept.3db"));
  tree.SetData(tree.AddNode(part, "Index"), {7, 0, 0, 0, 0, 0, 0, 0});
  tree.SetData(tree.AddNode(part, "Object name"), Text("Kept"));
  Update(tree, scene, 2);

  EXPECT_EQ(At(tree, {"Cmpnd", "Cons"}), nullptr);
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Root", "File name"}), Text("kept.3db"));
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Root", "Object name"}), Text("Kept"));
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Part_wing_lod1", "File name"}), Text("wing_lod1.3db"));
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Part_wing_lod1", "Index"}), Bytes({1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Part_wing_lod1", "Object name"}), Text("wing_lod1"));
  // 0.0, 100.0, 1000.0 and 1000000.0 for parts merged into a file.
  EXPECT_EQ(DataAt(tree, {"wing_lod1.3db", "MultiLevel", "Switch2"}),
            Bytes({0, 0, 0, 0, 0, 0, 0xC8, 0x42, 0, 0, 0x7A, 0x44, 0, 0x24, 0x74, 0x49}));
  EXPECT_EQ(At(tree, {"wing_lod1.3db", "Hardpoints"}), nullptr);
  EXPECT_EQ(scene.groups[1].partNode, At(tree, {"wing_lod1.3db"}));
}

TEST_F(UpdateCmpParts, Level0AddsConsKeepsFixDataAndRebuildsHardpoints) {
  UtfTree tree;
  BuildNewCmp(tree, scene.Inputs(0), "hull.lod0.vms", scene.meshes.front());
  tree.SetData(At(tree, {"Cmpnd", "Cons", "Fix"}), {1, 2, 3, 4});
  const std::size_t nodes = tree.NodeCount();
  for (MeshGroup& group : scene.groups)
    group.partNode = group.hardpointsNode = group.fixedNode = nullptr;

  Update(tree, scene, 0);
  EXPECT_EQ(tree.NodeCount(), nodes);
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Cons", "Fix"}), Bytes({1, 2, 3, 4}));
  EXPECT_EQ(ChildNames(tree, At(tree, {"wing_lod1.3db"})),
            (std::vector<std::string>{"MultiLevel", "Hardpoints"}));
  EXPECT_EQ(scene.groups[1].hardpointsNode, At(tree, {"wing_lod1.3db", "Hardpoints"}));
  EXPECT_NE(At(tree, {"wing_lod1.3db", "Hardpoints", "Fixed", "HpWing", "Position"}), nullptr);
}

}  // namespace
}  // namespace svcmp
