#include "materials/material_library.h"

#include <gtest/gtest.h>

#include "tests/cmp/cmp_test_fixtures.h"
#include "utf/utf_reader.h"
#include "utf/utf_writer.h"

namespace svcmp {
namespace {

using testing::DataAt;
using testing::Join;
using testing::Le32;
using testing::Outline;
using testing::Text;

const std::vector<LibraryMaterial> kMaterials = {
    {"hull", {0.5f, 0.25f, 1}, 1, "hull.png", false},
    {"glass", {1, 1, 1}, 0.5f, "", false},
    {"decal", {1, 1, 1}, 1, "decal.tga", true},
};
const std::vector<LibraryTexture> kTextures = {{"hull.png", {1, 2, 3}}, {"decal.tga", {4, 5}}};

// Through the real writer and reader, as the game would get it.
UtfTree RoundTrip(const UtfTree& tree) {
  const std::vector<std::uint8_t> bytes = WriteUtfBytes(tree);
  UtfTree read;
  EXPECT_TRUE(ReadUtfBytes(bytes, read, nullptr).ok());
  return read;
}

TEST(AddMaterialLibrary, WritesTheGameLayoutAndReplacesMaterialsInPlace) {
  UtfTree tree;
  AddMaterialLibrary(tree, kMaterials, kTextures);
  UtfTree read = RoundTrip(tree);
  const std::vector<std::string> expected = {"0 \\",        "1 material library",
                                             "2 hull",      "3 Type",
                                             "3 Dc",        "3 Dt_name",
                                             "3 Dt_flags",  "2 glass",
                                             "3 Type",      "3 Dc",
                                             "3 Oc",        "2 decal",
                                             "3 Type",      "3 Dc",
                                             "3 Oc",        "3 Dt_name",
                                             "3 Dt_flags",  "1 texture library",
                                             "2 hull.png",  "3 MIPS",
                                             "2 decal.tga", "3 MIPS"};
  EXPECT_EQ(Outline(read), expected);
  EXPECT_EQ(DataAt(read, {"material library", "hull", "Type"}), Text("DcDt"));
  EXPECT_EQ(DataAt(read, {"material library", "hull", "Dc"}),
            Join({Le32(0x3F000000), Le32(0x3E800000), Le32(0x3F800000)}));
  EXPECT_EQ(DataAt(read, {"material library", "hull", "Dt_name"}), Text("hull.png"));
  EXPECT_EQ(DataAt(read, {"material library", "hull", "Dt_flags"}), Le32(64));
  EXPECT_EQ(DataAt(read, {"material library", "glass", "Type"}), Text("DcDtOcOt"));
  EXPECT_EQ(DataAt(read, {"material library", "glass", "Oc"}), Le32(0x3F000000));
  EXPECT_EQ(DataAt(read, {"material library", "decal", "Oc"}), Le32(0x3F800000));
  EXPECT_EQ(DataAt(read, {"texture library", "decal.tga", "MIPS"}),
            (std::vector<std::uint8_t>{4, 5}));

  // An update: the hull loses its texture, a new material joins, the rest stays.
  std::vector<LibraryMaterial> changed = {{"hull", {1, 0, 0}, 1, "", false},
                                          {"new", {1, 1, 1}, 1, "", false}};
  AddMaterialLibrary(read, changed, {});
  read = RoundTrip(read);
  EXPECT_EQ(Outline(read)[2], "2 hull");
  EXPECT_EQ(Outline(read)[3], "3 Type");
  EXPECT_EQ(Outline(read)[4], "3 Dc");
  EXPECT_EQ(Outline(read)[5], "2 glass");
  EXPECT_EQ(DataAt(read, {"material library", "new", "Type"}), Text("DcDt"));
  EXPECT_EQ(DataAt(read, {"texture library", "hull.png", "MIPS"}),
            (std::vector<std::uint8_t>{1, 2, 3}));
}

}  // namespace
}  // namespace svcmp
