#include "inspect/material_records.h"

#include <gtest/gtest.h>

#include <set>

#include "format/name_crc.h"
#include "inspect/material_names.h"
#include "inspect/surface_library.h"
#include "materials/material_records.h"
#include "tests/cmp/cmp_test_fixtures.h"
#include "tests/materials/material_type_table.h"
#include "utf/utf_reader.h"
#include "utf/utf_writer.h"

namespace svcmp {
namespace {

using testing::DataAt;
using testing::Join;
using testing::Le32;
using testing::Outline;
using testing::Text;

UtfTree ThroughFile(const UtfTree& tree) {
  UtfTree read;
  EXPECT_TRUE(ReadUtfBytes(WriteUtfBytes(tree), read, nullptr).ok());
  return read;
}

TEST(MaterialRecords, EveryTypeComesBackLeafByLeafThroughAFile) {
  const std::vector<MaterialRecord> materials = testing::EveryMaterialType();
  std::set<std::string> types;
  for (const MaterialRecord& material : materials) types.insert(material.type);
  ASSERT_EQ(types.size(), 23u);  // every type the game's files use

  UtfTree tree;
  AddMaterialRecords(tree, materials);
  const MaterialRecordsResult read = ReadMaterialRecords(ThroughFile(tree));
  EXPECT_TRUE(read.problems.empty());
  ASSERT_EQ(read.materials.size(), materials.size());
  for (std::size_t i = 0; i < materials.size(); ++i) {
    SCOPED_TRACE(materials[i].name);
    EXPECT_EQ(read.materials[i], materials[i]);
  }
}

TEST(MaterialRecords, WritesTheCountFirstAndLeavesAtTheirNaturalSizes) {
  UtfTree tree;
  AddMaterialRecords(tree, {{"glass",
                             "DcDtOcOt",
                             {{"Dc", MaterialColour{0.5f, 0.25f, 1}},
                              {"Dt_name", std::string("g.tga")},
                              {"Dt_flags", std::uint32_t{74}},
                              {"Oc", 0.75f}}},
                            {"plain", "DcDt", {}}});
  const UtfTree read = ThroughFile(tree);
  const std::vector<std::string> outline = {
      "0 \\",  "1 material library", "2 Material count", "2 glass", "3 Type",
      "3 Dc",  "3 Dt_name",          "3 Dt_flags",       "3 Oc",    "2 plain",
      "3 Type"};
  EXPECT_EQ(Outline(read), outline);
  EXPECT_EQ(DataAt(read, {"material library", "Material count"}), Le32(2));
  EXPECT_EQ(DataAt(read, {"material library", "glass", "Type"}), Text("DcDtOcOt"));
  EXPECT_EQ(DataAt(read, {"material library", "glass", "Dc"}),
            Join({Le32(0x3F000000), Le32(0x3E800000), Le32(0x3F800000)}));
  EXPECT_EQ(DataAt(read, {"material library", "glass", "Dt_name"}), Text("g.tga"));
  EXPECT_EQ(DataAt(read, {"material library", "glass", "Dt_flags"}), Le32(74));
  EXPECT_EQ(DataAt(read, {"material library", "glass", "Oc"}), Le32(0x3F400000));

  // Written again with one new material: the count follows, the glass is
  // replaced in place.
  AddMaterialRecords(tree, {{"glass", "DcDt", {}}, {"new", "DcDtTwo", {}}});
  const UtfTree again = ThroughFile(tree);
  EXPECT_EQ(DataAt(again, {"material library", "Material count"}), Le32(3));
  EXPECT_EQ(Outline(again)[3], "2 glass");
  EXPECT_EQ(DataAt(again, {"material library", "glass", "Type"}), Text("DcDt"));
}

// Other tools pad leaves and spell the library in other cases.
TEST(MaterialRecords, ReadsPaddedLeavesByTheirUsedBytesAndNamesShortOnes) {
  UtfTree tree;
  UtfNode root = tree.AddNode(nullptr, "\\");
  UtfNode library = tree.AddNode(root, "Material Library");
  tree.SetData(tree.AddNode(library, "Material count"), Join({Le32(1), Le32(0)}));
  UtfNode material = tree.AddNode(library, "pad");
  tree.SetData(tree.AddNode(material, "Type"), Join({Text("DcDtEc"), {0, 0, 0}}));
  tree.SetData(tree.AddNode(material, "Ec"),
               Join({Le32(0x3F800000), Le32(0x3F000000), Le32(0x3E800000), Le32(0)}));
  tree.SetData(tree.AddNode(material, "Dt_flags"), Join({Le32(74), Le32(0)}));
  tree.SetData(tree.AddNode(material, "Dc"), Join({Le32(0x3F800000), Le32(0x3F800000)}));
  tree.SetData(tree.AddNode(material, "Oc"), std::vector<std::uint8_t>{1, 2});

  const MaterialRecordsResult read = ReadMaterialRecords(ThroughFile(tree));
  ASSERT_EQ(read.materials.size(), 1u);
  const MaterialRecord expected{
      "pad", "DcDtEc", {{"Ec", MaterialColour{1, 0.5f, 0.25f}}, {"Dt_flags", std::uint32_t{74}}}};
  EXPECT_EQ(read.materials[0], expected);
  // The count beside the materials is none of them.
  std::map<std::uint32_t, std::string> names;
  AddMaterialNames(tree, names);
  EXPECT_EQ(names, (std::map<std::uint32_t, std::string>{{NameCrc("pad"), "pad"}}));
  SurfaceLibrary surfaces;
  AddSurfaces(tree, surfaces);
  EXPECT_EQ(surfaces.materials.size(), 1u);
  ASSERT_EQ(read.problems.size(), 2u);
  EXPECT_NE(read.problems[0].find("/Material Library/pad/Dc"), std::string::npos);
  EXPECT_NE(read.problems[1].find("/Material Library/pad/Oc"), std::string::npos);
}

}  // namespace
}  // namespace svcmp
