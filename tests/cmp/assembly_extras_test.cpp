#include "cmp/assembly_extras.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>

#include "cmp/cmp_tree_dialog.h"
#include "cmp/fix_joints.h"
#include "format/name_crc.h"
#include "tests/cmp/cmp_test_fixtures.h"
#include "utf/utf_reader.h"

namespace svcmp {
namespace {

using testing::At;
using testing::DataAt;

std::uint32_t WordAt(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
  std::uint32_t word = 0;
  std::memcpy(&word, bytes.data() + offset, 4);
  return word;
}

// Box (max x, min x, max y, min y, max z, min z), centre and radius of a mesh reference.
std::vector<float> ShapeOf(const std::vector<std::uint8_t>& meshRef) {
  std::vector<float> values;
  if (meshRef.size() != 60) return values;
  for (std::size_t offset = 20; offset < 60; offset += 4)
    values.push_back(std::bit_cast<float>(WordAt(meshRef, offset)));
  return values;
}

class AssemblyExtrasTest : public testing::TwoPartSceneTest {
 protected:
  // Runs the result window with the extras and reads the written file back.
  UtfTree Export(int levelOfDetail, ExportMode mode) {
    CmpTreeDialog dialog(scene.Inputs(levelOfDetail, mode),
                         [](const std::string&, const std::string&, MessageIcon) {});
    dialog.UseExtras(extras);
    EXPECT_EQ(dialog.Initialise(), CmpAssemblyStatus::Written);
    dialog.Close();
    UtfTree tree;
    EXPECT_TRUE(ReadUtfFile(scene.CmpPath(), tree, nullptr).ok());
    return tree;
  }

  AssemblyExtras extras;
};

TEST_F(AssemblyExtrasTest, BoundsJointsAndUniqueLibrariesHoldThroughAnUpdate) {
  extras.exactBounds = true;
  extras.fixJoints = true;
  extras.libraryPrefix = "ship";
  extras.addLibraries = [](UtfTree& tree, const MeshList& meshes) {
    tree.AddNode(tree.Root(), "added for " + meshes.front().meshName);
  };

  UtfTree tree = Export(0, CreateNew);
  const auto hullRef =
      DataAt(tree, {"hull_lod1.3db", "MultiLevel", "Level0", "VMeshPart", "VMeshRef"});
  const auto wingRef =
      DataAt(tree, {"wing_lod1.3db", "MultiLevel", "Level0", "VMeshPart", "VMeshRef"});
  EXPECT_EQ(WordAt(hullRef, 4), NameCrc("ship.hull.lod0.vms"));
  EXPECT_NE(At(tree, {"VMeshLibrary", "ship.hull.lod0.vms"}), nullptr);
  // The plates' vertices exactly, not the groups' boxes: centre and half width.
  EXPECT_EQ(ShapeOf(hullRef), (std::vector<float>{1, -1, 0, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(ShapeOf(wingRef), (std::vector<float>{8, 6, 0, 0, 0, 0, 7, 0, 0, 1}));
  EXPECT_EQ(DataAt(tree, {"Cmpnd", "Cons", "Fix"}).size(), kFixRecordSize);
  EXPECT_NE(At(tree, {"added for hull"}), nullptr);

  // A level-1 update with a third part lands in the same libraries' scheme
  // and adds the new part's joint to the one there.
  scene.meshes.push_back(testing::Plate("fin", {0, 5, 0}, {1, 0, 0}));
  scene.AddGroup("fin", Bounds{1, -1, 5, 5, 0, 0});
  tree = Export(1, UpdateExisting);
  EXPECT_NE(At(tree, {"VMeshLibrary", "ship.hull.lod1.vms"}), nullptr);
  EXPECT_EQ(At(tree, {"VMeshLibrary", "hull.lod1.vms"}), nullptr);
  const auto fix = DataAt(tree, {"Cmpnd", "Cons", "Fix"});
  ASSERT_EQ(fix.size(), 2 * kFixRecordSize);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(fix.data()) + kFixRecordSize + 64),
            "fin_lod1");
  const auto finRef =
      DataAt(tree, {"fin_lod1.3db", "MultiLevel", "Level1", "VMeshPart", "VMeshRef"});
  EXPECT_EQ(WordAt(finRef, 4), NameCrc("ship.hull.lod1.vms"));
  EXPECT_EQ(ShapeOf(finRef), (std::vector<float>{1, -1, 5, 5, 0, 0, 0, 5, 0, 1}));
}

TEST_F(AssemblyExtrasTest, ExactBoundsOfOnePartNeedNotHoldTheOrigin) {
  scene.groups.clear();
  scene.meshes = {testing::Plate("wing", {7, 0, 0}, {0, 1, 0})};  // away from the origin
  extras.exactBounds = true;
  UtfTree tree = Export(0, CreateNew);
  const auto ref = DataAt(tree, {"wing.3db", "MultiLevel", "Level0", "VMeshPart", "VMeshRef"});
  EXPECT_EQ(ShapeOf(ref), (std::vector<float>{8, 6, 0, 0, 0, 0, 7, 0, 0, 1}));
}

}  // namespace
}  // namespace svcmp
