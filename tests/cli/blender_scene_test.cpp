#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/cli/cmptool_runner.h"

// .blend files through the real Blender: a ship made with Blender's
// Python gives the parts, joints, hardpoints and levels its node properties
// say, as the GLB that Blender's own glTF exporter writes of it when a
// modder ticks custom properties and visible objects.
namespace svcmp {
namespace {

// Runs Blender on `arguments` (quoted for the shell) in `folder`; true when
// it succeeded, its output in blender.log there.
bool RunBlender(const std::string& arguments, const std::filesystem::path& folder) {
  const std::string command = "cd '" + folder.string() +
                              "' && '" BLENDER_PATH "' -b --factory-startup --python-exit-code 1 " +
                              arguments + " >blender.log 2>&1";
  return std::system(command.c_str()) == 0;
}

class BlenderScene : public testing::CmptoolTest {
 protected:
  void SetUp() override {
    CmptoolTest::SetUp();
    ASSERT_TRUE(
        RunBlender("--python '" SVCMP_TEST_DATA "/blender/make_ship.py' -- ship.blend", folder_))
        << FileText("blender.log");
  }

  // Blender's own GLB of ship.blend, as `name`.
  void ExportGlbWithBlender(const std::string& name) const {
    ASSERT_TRUE(
        RunBlender("ship.blend --python-expr \"import bpy, os; "
                   "bpy.ops.export_scene.gltf(filepath=os.path.abspath('" +
                       name + "'), export_format='GLB', export_extras=True, use_visible=True)\"",
                   folder_))
        << FileText("blender.log");
  }
};

// The hull is the root part; the turret turns about the hull's up axis (Z
// in Blender, Y in glTF, -Y after the upside-down fix) within 30 degrees
// and holds the weapon; it keeps the hull's level 1, and the collision
// piece is no part.
constexpr char kShipParts[] =
    "parts from the node tree (--parts nodes), at --scale 92:\n"
    "  Root (node \"hull\"); level 0: 1 mesh; level 1: 1 mesh\n"
    "  turret: Rev joint to Root at (0, -0.0271739, -0), axis (0, -1, -0), limits -0.523599 to "
    "0.523599; level 0: 1 mesh; level 1: 1 mesh; hardpoints: HpWeapon01 (fixed)\n"
    "collision pieces: \"hull$hull\" (Root)\n"
    "level 0: 24 triangles\n"
    "level 1: 24 triangles\n";

// A .blend file, saved plain or compressed, exports and lists as the GLB
// that Blender's own exporter writes of it.
TEST_F(BlenderScene, ExportsAsBlendersOwnGlbDoes) {
  ExportGlbWithBlender("ship.glb");
  const testing::CmptoolRun fromGlb = Run("export ship.glb -o glb.cmp -q --parts nodes");
  const testing::CmptoolRun fromBlend = Run("export ship.blend -o blend.cmp -q --parts nodes");
  ASSERT_EQ(fromBlend.exitStatus, 0) << fromBlend.err;
  // The same warnings, naming the file the user gave.
  std::string glbWarnings = fromGlb.err;
  for (std::size_t at = glbWarnings.find("ship.glb"); at != std::string::npos;
       at = glbWarnings.find("ship.glb", at)) {
    glbWarnings.replace(at, 8, "ship.blend");
  }
  EXPECT_EQ(fromBlend.err, glbWarnings);
  EXPECT_EQ(FileText("blend.cmp"), FileText("glb.cmp"));
  EXPECT_FALSE(FileText("blend.cmp").empty());

  ASSERT_TRUE(RunBlender(
      "--python '" SVCMP_TEST_DATA "/blender/make_ship.py' -- compressed.blend compress", folder_));
  for (const char* model : {"ship.glb", "ship.blend", "compressed.blend"}) {
    const testing::CmptoolRun run = Run(std::string("export ") + model + " --list");
    ASSERT_EQ(run.exitStatus, 0) << model << run.err;
    EXPECT_EQ(run.out.substr(run.out.find("parts from the node tree")), kShipParts) << model;
  }
}

TEST_F(BlenderScene, ACollectionTakesItsObjectsHiddenOrNot) {
  const testing::CmptoolRun reference =
      Run("export ship.blend --list --blender-collection Reference");
  ASSERT_EQ(reference.exitStatus, 0) << reference.err;
  EXPECT_NE(reference.out.find("reference"), std::string::npos) << reference.out;
  EXPECT_EQ(reference.out.find("turret"), std::string::npos) << reference.out;

  const testing::CmptoolRun unknown = Run("export ship.blend -o ship.cmp --blender-collection Ref");
  EXPECT_EQ(unknown.exitStatus, 1);
  EXPECT_EQ(unknown.err,
            "error: \"ship.blend\": no collection \"Ref\" in the scene; its collections: "
            "\"Reference\", \"Ship\"\n");
}

// A .blend made on Windows names its image files in any letter case, with
// backslashes: each is found, and one that is missing is named once.
TEST_F(BlenderScene, TextureFilesAreFoundWhateverTheirLetterCase) {
  struct Case {
    const char* named;  // the image's path in the .blend; textures/hull.png is there
    bool textured;
    const char* warning;
  };
  const Case cases[] = {
      {"//textures/hull.png", true, ""},
      {"//Textures\\HULL.png", true, ""},
      {"//TEXTURES/Hull.PNG", true, ""},
      {"//textures/gone.png", false,
       "warning: \"cube.blend\": the texture file \"//textures/gone.png\" of image \"hull\" is "
       "missing; its material goes without it\n"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(RunBlender("--python '" SVCMP_TEST_DATA "/blender/make_textured_cube.py' -- "
                           "cube.blend '" +
                               std::string(c.named) + "'",
                           folder_))
        << FileText("blender.log");
    const testing::CmptoolRun run =
        Run("export cube.blend -o cube.cmp -q --force --scale 1 "
            "--game-ready");
    ASSERT_EQ(run.exitStatus, 0) << c.named << run.err;
    EXPECT_EQ(run.err, c.warning) << c.named;
    const testing::CmptoolRun info = Run("info cube.cmp");
    EXPECT_EQ(info.out.find("texture hull.png: 8 x 8") != std::string::npos, c.textured)
        << c.named << info.out;
  }
}

// convert writes a .blend file through Blender's own glTF importer (which,
// in Debian 12's Blender 3.4, needs numpy's old bool alias put back): the
// turret ship comes back from it with its parts, joints and hardpoints.
TEST_F(BlenderScene, ConvertWritesABlendFileThatExportsAsTheModelDid) {
  ASSERT_EQ(
      Run("export '" SVCMP_EXAMPLES "/turret_ship.json' -o turret.cmp -q --parts nodes").exitStatus,
      0);
  const testing::CmptoolRun converted = Run("convert turret.cmp -o turret.blend");
  ASSERT_EQ(converted.exitStatus, 0) << converted.err;
  EXPECT_EQ(converted.err, "");
  const testing::CmptoolRun listed = Run("export turret.blend --list");
  ASSERT_EQ(listed.exitStatus, 0) << listed.err;
  for (const char* line :
       {"  turret: Rev joint to Root at (0, 2.15217, -3.26087), axis (0, 1, -0), limits -2.0944 "
        "to 2.0944; level 0: 1 mesh; hardpoints: HpTurret01 (revolute)\n",
        "  door: Pris joint to Root at (-5.1087, -0, 2.17391), axis (0, 1, -0), limits 0 to "
        "1.95652; level 0: 1 mesh\n",
        "hardpoints: HpEngine01 (fixed)\n"}) {
    EXPECT_NE(listed.out.find(line), std::string::npos) << line << listed.out;
  }

  // No Blender: nothing written, and the message says how to name one.
  const testing::CmptoolRun missing =
      Run("convert turret.cmp -o other.blend --blender ./no-blender");
  EXPECT_EQ(missing.exitStatus, 1);
  EXPECT_EQ(missing.err.rfind("error: \"other.blend\": there is no Blender program at", 0), 0u)
      << missing.err;
  EXPECT_TRUE(FileText("other.blend").empty());
}

}  // namespace
}  // namespace svcmp

namespace svcmp {
namespace {

// Blender's own actions: the door's active action and the turret's NLA
// track each become a script, sampled at every frame.
TEST_F(BlenderScene, ActiveActionsAndNlaTracksBecomeScripts) {
  ASSERT_TRUE(RunBlender(
      "--python '" SVCMP_TEST_DATA "/blender/make_animated_ship.py' -- animated.blend", folder_))
      << FileText("blender.log");
  const auto exported = Run("export animated.blend -o animated.cmp -q --parts nodes --scale 1");
  ASSERT_EQ(exported.exitStatus, 0) << exported.err;
  const auto info = Run("info --json animated.cmp");
  ASSERT_EQ(info.exitStatus, 0);
  const std::string& out = info.out;
  for (const char* text : {"\"name\": \"Sc_open baydoor\"", "\"name\": \"Sc_turn turret\"",
                           "\"child\": \"door\"", "\"joint\": \"Pris\"", "\"child\": \"turret\"",
                           "\"joint\": \"Rev\"", "\"duration\": 1.0,", "\"duration\": 2.0,"}) {
    EXPECT_NE(out.find(text), std::string::npos) << text << "\n" << out;
  }
  const auto check = Run("check animated.cmp");
  EXPECT_EQ(check.exitStatus, 0) << check.out;
  EXPECT_EQ(check.out.find("anim-"), std::string::npos) << check.out;
}

}  // namespace
}  // namespace svcmp
