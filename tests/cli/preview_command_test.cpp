#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "render/model_views.h"
#include "tests/cli/cmptool_runner.h"
#include "tests/inspect/collision_test_files.h"
#include "tests/inspect/inspect_test_files.h"
#include "inspect/compound_model.h"
#include "tests/inspect/script_test_files.h"
#include "utf/utf_reader.h"
#include "utf/utf_writer.h"

// The test's own copy of stb's decoder, to look at the pictures.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>

namespace svcmp {
namespace {

namespace fs = std::filesystem;

const std::string kExports = SVCMP_TEST_DATA "/export/";

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
  // Pixels of exactly `colour` in the rows above `bottom`.
  int PixelsOf(render::Rgb colour, int bottom) const {
    int count = 0;
    for (std::size_t i = 0; i + 2 < rgb.size() && i < std::size_t(bottom) * width * 3; i += 3) {
      count += rgb[i] == colour.r && rgb[i + 1] == colour.g && rgb[i + 2] == colour.b ? 1 : 0;
    }
    return count;
  }
  // Faces seen from behind are drawn in red; shading keeps the hue.
  int WarningPixels() const {
    int count = 0;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
      count += rgb[i] > 2 * rgb[i + 1] && rgb[i] > 2 * rgb[i + 2] ? 1 : 0;
    }
    return count;
  }
};

Picture Load(const fs::path& path) {
  Picture picture;
  int channels = 0;
  const std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
      stbi_load(path.c_str(), &picture.width, &picture.height, &channels, 3), stbi_image_free);
  if (pixels) {
    picture.rgb.assign(pixels.get(), pixels.get() + picture.width * picture.height * 3);
  }
  return picture;
}

class PreviewCommand : public testing::CmptoolTest {
 protected:
  testing::CmptoolRun Preview(const std::string& arguments) const {
    return Run("preview " + arguments);
  }
};

TEST_F(PreviewCommand, DrawsOurExportsAtTheAskedSize) {
  struct Case {
    std::string arguments;
    int width;
    int height;
  };
  const Case cases[] = {
      {"'" + kExports + "single_lod0.cmp' -o a.png", 1200, 400},
      {"'" + kExports + "parts_buildup.cmp' -o b.png --level 2 --size 300x100", 300, 100},
      {"'" + kExports + "parts_lod2.cmp' -o c.png --level 2 --size 16x4096", 16, 4096},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const auto run = Preview(c.arguments);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    const Picture picture = Load(folder_ / c.arguments.substr(c.arguments.find("-o ") + 3, 5));
    EXPECT_EQ(picture.width, c.width);
    EXPECT_EQ(picture.height, c.height);
  }
}

TEST_F(PreviewCommand, RefusesWithAMessageAndWritesNothing) {
  WriteRefusalInputs("kept.png");
  const std::string ship = "'" + kExports + "single_lod0.cmp'";
  const testing::Refusal cases[] = {
      {ship + " -o out.png --size 1200", "error: --size takes WIDTHxHEIGHT"},
      {ship + " -o out.png --size 15x400", "error: --size takes WIDTHxHEIGHT"},
      {ship + " -o out.png --size 4097x400", "error: --size takes WIDTHxHEIGHT"},
      {ship + " -o out.png --size 12x40x", "error: --size takes WIDTHxHEIGHT"},
      {ship + " -o kept.png", "error: kept.png already exists; add --force to replace it"},
      {"text.cmp -o out.png", "error: text.cmp: "},
      {"'" + kExports + "parts_lod2.cmp' -o out.png", "has nothing to draw at level 0"},
      {ship + " -o out.png --wire", "single_lod0.cmp has no wire (VMeshWire) to draw"},
  };
  for (const testing::Refusal& c : cases) {
    SCOPED_TRACE(c.arguments);
    const auto run = Preview(c.arguments);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(folder_ / "out.png"));
  }
  EXPECT_EQ(FileText("kept.png"), "mine");
}

TEST_F(PreviewCommand, WrongUsageIsRefusedWithStatusTwo) {
  const std::string ship = "'" + kExports + "parts_buildup.cmp' -o out.png ";
  for (const std::string& wrong : {std::string("--labels most"), std::string("--color-by size"),
                                   std::string("--levels 0,1 --level 1"),
                                   std::string("--levels 0,-1")}) {
    SCOPED_TRACE(wrong);
    const auto run = Preview(ship + wrong);
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_FALSE(fs::exists(folder_ / "out.png"));
  }
}

TEST_F(PreviewCommand, DrawsLevelsOneUnderTheOtherAndLegendsBelow) {
  struct Case {
    std::string options;
    int height;  // 0: more than 100
  };
  const Case cases[] = {
      {"--levels 0,1,2", 300},
      {"--levels 2", 100},
      {"--labels none --color-by material", 100},
      {"--color-by part", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.options);
    const auto run =
        Preview("'" + kExports + "parts_buildup.cmp' -o out.png --force --size 300x100 " + c.options);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    const Picture picture = Load(folder_ / "out.png");
    EXPECT_EQ(picture.width, 300);
    if (c.height) {
      EXPECT_EQ(picture.height, c.height);
    } else {
      EXPECT_GT(picture.height, 100);
    }
  }
  const auto tall = Preview("'" + kExports + "parts_buildup.cmp' -o out.png --force "
                            "--size 100x4000 --levels 0,1,2");
  EXPECT_EQ(tall.exitStatus, 1);
  EXPECT_EQ(tall.err,
            "error: the picture would be 12000 pixels high, more than 8192; give fewer levels "
            "or a smaller --size\n");
}

TEST_F(PreviewCommand, TexturesFromTheFileOrFromLibrariesGivenApart) {
  const std::string sample = "'" SVCMP_EXAMPLES "/sample_ship.obj'";
  ASSERT_EQ(Run("export " + sample + " -o inside.cmp -q --game-ready").exitStatus, 0);
  ASSERT_EQ(Run("export " + sample + " -o apart.cmp -q --game-ready --materials lib.mat").exitStatus,
            0);
  EXPECT_EQ(Preview("inside.cmp -o inside.png").exitStatus, 0);
  EXPECT_EQ(Preview("apart.cmp -o given.png --materials lib.mat --textures lib.mat").exitStatus, 0);
  EXPECT_EQ(Preview("apart.cmp -o bare.png").exitStatus, 0);
  EXPECT_EQ(FileText("given.png"), FileText("inside.png"));
  EXPECT_NE(FileText("bare.png"), FileText("inside.png"));

  // Without its texture library the hull is drawn in its colour, with a word.
  UtfTree tree;
  ASSERT_TRUE(ReadUtfFile((folder_ / "inside.cmp").string(), tree, nullptr).ok());
  tree.RemoveSubtree(tree.FindNode(tree.Root(), "texture library"));
  ASSERT_TRUE(WriteUtfFile(tree, folder_ / "untextured.cmp").written);
  const auto run = Preview("untextured.cmp -o untextured.png");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.err,
            "warning: the texture sample_ship_hull.png of the material sampleship_hull is in no "
            "texture library given\n");
  EXPECT_EQ(Preview("apart.cmp -o out.png --textures missing.txm").exitStatus, 1);
}

TEST_F(PreviewCommand, NamesAMeshWithoutAnyArea) {
  std::ofstream(folder_ / "flat.json")
      << R"({"materials": ["metal"], "meshes": [{"name": "flat", "material": 0, "vertices": )"
         R"([[0,0,0,0,0],[100,0,0,0,0],[200,0,0,0,0]], "triangles": [[0,1,2]]}]})";
  ASSERT_EQ(Run("export flat.json -o flat.cmp -q").exitStatus, 0);
  const auto run = Preview("flat.cmp -o flat.png");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.err,
            "warning: flat.cmp: mesh 0 of flat.lod0.vms at level 0 has no triangle with an area; "
            "nothing of it is drawn\n");
}

TEST_F(PreviewCommand, DrawsWhatIsThereAndNamesTheMissingLibrary) {
  UtfTree tree;
  ASSERT_TRUE(ReadUtfFile(kExports + "single_lod0.cmp", tree, nullptr).ok());
  tree.RemoveSubtree(tree.FindNode(tree.Root(), "VMeshLibrary"));
  ASSERT_TRUE(WriteUtfFile(tree, folder_ / "no_library.cmp").written);

  const auto run = Preview("no_library.cmp -o out.png");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.err,
            "warning: no_library.cmp: /hull.3db/MultiLevel/Level0/VMeshPart/VMeshRef names the "
            "mesh library 0xE21E305F, which is not in this file; its meshes are left out\n");
  EXPECT_EQ(Load(folder_ / "out.png").width, 1200);  // the hardpoints
}

// The level's first four vertices joined in a loop: the wire alone is drawn,
// in its colour, with nothing of the surfaces.
TEST_F(PreviewCommand, WireDrawsTheOutlinesAlone) {
  UtfTree tree;
  ASSERT_TRUE(ReadUtfFile(kExports + "single_lod0.cmp", tree, nullptr).ok());
  const CompoundModel model = DecodeCompoundModel(tree);
  const MeshRef& ref = model.parts.at(0).levels.at(0).meshRefs.at(0);
  UtfNode modelNode = tree.FindNode(tree.Root(), model.parts[0].fileName);
  testing::AddTestLeaf(tree, tree.AddNode(modelNode, "VMeshWire"), "VWireData",
                       testing::WireBytes(ref.libraryId, ref.startVertex, 4, 4,
                                          {0, 1, 1, 2, 2, 3, 3, 0}));
  ASSERT_TRUE(WriteUtfFile(tree, folder_ / "wired.cmp").written);

  const auto run = Preview("wired.cmp -o wire.png --wire");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  ASSERT_EQ(Preview("wired.cmp -o full.png").exitStatus, 0);
  const Picture wire = Load(folder_ / "wire.png");
  const Picture full = Load(folder_ / "full.png");
  ASSERT_EQ(wire.width, 1200);
  EXPECT_GT(wire.PixelsOf(render::kWireColour, 400), 20);
  EXPECT_EQ(full.PixelsOf(render::kWireColour, 400), 0);
  // The surfaces' pixels: all but the background, the captions and the wire.
  const auto surfaces = [](const Picture& p) {
    return 1200 * 400 - p.PixelsOf(render::kBackgroundColour, 400) -
           p.PixelsOf(render::kWireColour, 400);
  };
  EXPECT_LT(surfaces(wire), surfaces(full) / 4);
}

// A box whose faces all point out, or all in: the inside-out one shows in
// the warning colour, the other not at all.
std::string BoxDocument(bool insideOut) {
  std::string vertices;
  for (int corner = 0; corner < 8; ++corner) {
    const auto at = [&](int bit) { return std::to_string((corner >> bit & 1) ? 200 : -200); };
    vertices += std::string(corner ? "," : "") + "[" + at(2) + "," + at(1) + "," + at(0) + ",0,0]";
  }
  // Each face as two triangles, counter-clockwise seen from outside.
  const int faces[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1},
                           {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
  std::string triangles;
  for (const auto& f : faces) {
    for (const std::array<int, 3>& t :
         {std::array{f[0], f[1], f[2]}, std::array{f[0], f[2], f[3]}}) {
      const int second = insideOut ? t[2] : t[1];
      const int third = insideOut ? t[1] : t[2];
      triangles += std::string(triangles.empty() ? "" : ",") + "[" + std::to_string(t[0]) + "," +
                   std::to_string(second) + "," + std::to_string(third) + "]";
    }
  }
  return R"({"materials": ["metal"], "meshes": [{"name": "box", "material": 0, "vertices": [)" +
         vertices + R"(], "triangles": [)" + triangles + "]}]}";
}

TEST_F(PreviewCommand, InsideOutMeshShowsInTheWarningColour) {
  for (bool insideOut : {false, true}) {
    SCOPED_TRACE(insideOut);
    std::ofstream(folder_ / "box.json") << BoxDocument(insideOut);
    ASSERT_EQ(Run("export box.json -o box.cmp -q --force").exitStatus, 0);
    ASSERT_EQ(Preview("box.cmp -o box.png --force").exitStatus, 0);
    const Picture picture = Load(folder_ / "box.png");
    if (insideOut) {
      EXPECT_GT(picture.WarningPixels(), 1200 * 400 / 10);
    } else {
      EXPECT_EQ(picture.WarningPixels(), 0);
    }
  }
}

// ship.cmp (the part Root and its hardpoint HpTurret01) with `sur` beside it.
class PreviewWithHulls : public PreviewCommand {
 protected:
  void WriteShip(const std::vector<std::uint8_t>& sur) const {
    fs::copy_file(kExports + "single_lod0.cmp", folder_ / "ship.cmp",
                  fs::copy_options::overwrite_existing);
    testing::WriteBytes(folder_ / "ship.sur", sur);
  }
};

TEST_F(PreviewWithHulls, DrawsTheHullsOverTheModelInTheirOwnColours) {
  WriteShip(testing::RootWithTurretHull());
  ASSERT_EQ(Preview("ship.cmp -o plain.png").exitStatus, 0);
  for (const char* arguments : {"--collision -o beside.png", "--collision ship.sur -o given.png"}) {
    const auto run = Preview(std::string("ship.cmp ") + arguments);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
  }
  EXPECT_EQ(FileText("given.png"), FileText("beside.png"));
  const Picture plain = Load(folder_ / "plain.png");
  const Picture hulls = Load(folder_ / "beside.png");
  EXPECT_GT(hulls.height, plain.height);  // the legend of the outlines' colours
  EXPECT_EQ(plain.PixelsOf(render::kHullOutlineColour, 400), 0);
  EXPECT_GT(hulls.PixelsOf(render::kHullOutlineColour, 400), 50);
  EXPECT_GT(hulls.PixelsOf(render::kHardpointHullColour, 400), 50);
  // Only the outlines differ from the picture without them.
  int changed = 0;
  for (std::size_t i = 0; i < plain.rgb.size(); ++i) changed += plain.rgb[i] != hulls.rgb[i];
  EXPECT_GT(changed, 0);
  EXPECT_LT(changed, 1200 * 400 / 20);
}

TEST_F(PreviewWithHulls, AMissingOrBrokenCollisionFileIsNamedAndNothingWritten) {
  auto broken = testing::RootWithTurretHull();
  broken[12] = 9;  // the section count
  WriteShip(broken);
  fs::rename(folder_ / "ship.sur", folder_ / "broken.sur");
  const testing::Refusal cases[] = {
      {"--collision", "error: there is no collision file (.sur) beside ship.cmp; name one with "
                      "--collision FILE.sur\n"},
      {"--collision missing.sur", "error: missing.sur: "},
      {"--collision broken.sur", "error: broken.sur: byte 12: a part has 2 to 4 sections, this "
                                 "one says 9 [sur-sections]\n"},
  };
  for (const testing::Refusal& c : cases) {
    SCOPED_TRACE(c.arguments);
    const auto run = Preview("ship.cmp -o out.png " + c.arguments);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err.substr(0, c.message.size()), c.message);
    EXPECT_FALSE(fs::exists(folder_ / "out.png"));
  }
  EXPECT_EQ(Preview("ship.cmp -o out.png --collision hulls.txt").exitStatus, 2);
}

TEST_F(PreviewWithHulls, PartsOfNoPartOfTheModelAreNamed) {
  WriteShip(testing::RootWithTurretHull(7));
  const auto run = Preview("ship.cmp --collision -o out.png");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.err,
            "warning: ship.sur: the part 0x00000007 names no part of the model; its hulls are "
            "left out\n");
  EXPECT_EQ(Load(folder_ / "out.png").PixelsOf(render::kHullOutlineColour, 400), 0);
}


// The turret ship's parts hang on a Rev joint (the turret, on top) and a
// Pris joint (the door); its hulls come with it.
TEST_F(PreviewCommand, JointsAndHullsByPartOnTheTurretShip) {
  ASSERT_EQ(Run("export '" SVCMP_EXAMPLES
                "/turret_ship.json' -o ship.cmp -q --parts nodes --collision")
                .exitStatus,
            0);
  struct Case {
    const char* arguments;
    bool joints;
    bool magentaHulls;
  };
  const Case cases[] = {
      {"--collision -o plain.png", false, true},
      {"--joints -o joints.png", true, false},
      {"--joints --collision --color-by part -o parts.png", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    const auto run = Preview(std::string("ship.cmp --size 1200x400 ") + c.arguments);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::string name = std::string(c.arguments).substr(std::string(c.arguments).find("-o ") + 3);
    const Picture picture = Load(folder_ / name);
    EXPECT_EQ(picture.PixelsOf(render::kJointColour, 400) > 30, c.joints);
    EXPECT_EQ(picture.PixelsOf(render::kHullOutlineColour, 400) > 30, c.magentaHulls);
    if (!c.joints) continue;
    // The turret's axis points up from the top of the ship: the highest
    // joint pixel of the front view is well above its middle.
    int top = 400;
    for (int y = 0; y < 400 && top == 400; ++y) {
      for (int x = 0; x < 400; ++x) {
        const std::size_t at = (static_cast<std::size_t>(y) * 1200 + x) * 3;
        if (picture.rgb[at] == 255 && picture.rgb[at + 1] == 255 && picture.rgb[at + 2] == 255 &&
            y > 16) {
          top = y;
          break;
        }
      }
    }
    EXPECT_LT(top, 150);
  }
}

}  // namespace
}  // namespace svcmp

namespace svcmp {
namespace {

// The door of the turret ship slides along its joint's axis, (0, -1, 0) in
// the file: a script that opens it by 1.5 draws as the file whose door joint
// rests 1.5 further along that axis.
TEST_F(PreviewCommand, PoseDrawsTheDoorWhereTheScriptLeavesIt) {
  ASSERT_EQ(
      Run("export '" SVCMP_EXAMPLES "/turret_ship.json' -o ship.cmp -q --parts nodes").exitStatus,
      0);
  UtfTree tree;
  ASSERT_TRUE(ReadUtfFile((folder_ / "ship.cmp").string(), tree, nullptr).ok());
  UtfNode pris = tree.FindNode(tree.FindNode(nullptr, "Cons"), "Pris");
  ASSERT_NE(pris, nullptr);
  std::vector<std::uint8_t> record(tree.Data(pris)->begin(), tree.Data(pris)->end());
  testing::AddTestScript(tree, "Sc_open door",
                         {testing::TimedScalarMap("Root", "door", {0, 0, 2, 1.5f})});
  ASSERT_TRUE(WriteUtfFile(tree, folder_ / "open.cmp").written);
  tree.RemoveSubtree(tree.FindNode(tree.Root(), "Animation"));
  float originY = 0;
  std::memcpy(&originY, record.data() + 132, 4);
  originY += 1.5f;
  std::memcpy(record.data() + 132, &originY, 4);
  tree.SetData(pris, std::move(record));
  ASSERT_TRUE(WriteUtfFile(tree, folder_ / "moved.cmp").written);

  for (const char* arguments :
       {"open.cmp -o closed.png", "open.cmp -o open.png --pose 'sc_OPEN door'",
        "moved.cmp -o moved.png", "open.cmp -o start.png --pose 'Sc_open door@0'",
        "open.cmp -o half.png --pose 'Sc_open door@1'"}) {
    const auto run = Preview(arguments);
    EXPECT_EQ(run.exitStatus, 0) << arguments << "\n" << run.err;
  }
  EXPECT_EQ(FileText("open.png"), FileText("moved.png"));
  EXPECT_NE(FileText("open.png"), FileText("closed.png"));
  EXPECT_EQ(FileText("start.png"), FileText("closed.png"));
  EXPECT_NE(FileText("half.png"), FileText("closed.png"));
  EXPECT_NE(FileText("half.png"), FileText("open.png"));

  const auto missing = Preview("open.cmp -o x.png --pose Sc_close");
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_EQ(missing.err,
            "error: open.cmp has no script named \"Sc_close\" (its scripts: Sc_open door)\n");
  const auto late = Preview("open.cmp -o x.png --pose 'Sc_open door@soon'");
  EXPECT_EQ(late.exitStatus, 1);
  EXPECT_EQ(late.err,
            "error: --pose takes SCRIPT or SCRIPT@SECONDS, like \"Sc_open@1.5\"; \"soon\" is no "
            "time in seconds\n");
  EXPECT_FALSE(fs::exists(folder_ / "x.png"));
}

}  // namespace
}  // namespace svcmp
