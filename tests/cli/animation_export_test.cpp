#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "inspect/compound_model.h"
#include "tests/cli/cmptool_runner.h"
#include "utf/utf_reader.h"

// Animations of the model's node tree exported as animation scripts: the
// turret ship's door slides open while its turret turns.
namespace svcmp {
namespace {

namespace fs = std::filesystem;

class AnimationExport : public testing::CmptoolTest {
 protected:
  // The turret ship with `animations` added to its document.
  void WriteShip(const nlohmann::json& animations) const {
    std::ifstream in(SVCMP_EXAMPLES "/turret_ship.json");
    nlohmann::json ship = nlohmann::json::parse(in);
    ship["animations"] = animations;
    std::ofstream(folder_ / "ship.json") << ship.dump();
  }
};

// Node 1 is the turret (rev about its y), node 3 the door (pris along y, 0
// to 180 units), both under the hull.
const char kOpening[] = R"([
  {"name": "open baydoor", "channels": [
    {"node": 3, "path": "translation", "times": [0, 1, 3.5], "values": [-470, 0, -200, -470, -46, -200, -470, -138, -200]}]},
  {"name": "Sc_turn turret", "channels": [
    {"node": 1, "path": "rotation", "times": [0, 2],
     "values": [0, -0.70710677, 0, 0.70710677, 0, -0.9238795, 0, 0.38268343]}]}])";

TEST_F(AnimationExport, DoorAndTurretBecomeTwoScriptsThatInfoShowsAndCheckPasses) {
  WriteShip(nlohmann::json::parse(kOpening));
  const auto exported = Run("export ship.json -o ship.cmp -q --parts nodes");
  ASSERT_EQ(exported.exitStatus, 0) << exported.err;
  const auto info = Run("info ship.cmp");
  EXPECT_NE(info.out.find("script Sc_open baydoor: 1 map, 3.5 s\n"
                          "  door on Root: Pris, 3 frames, 3.5 s, timed\n"
                          "script Sc_turn turret: 1 map, 2 s\n"
                          "  turret on Root: Rev, 2 frames, 2 s, timed\n"),
            std::string::npos)
      << info.out;
  const auto check = Run("check ship.cmp");
  EXPECT_EQ(check.exitStatus, 0) << check.out;
  EXPECT_EQ(check.out.find("anim-"), std::string::npos) << check.out;

  UtfTree tree;
  ASSERT_TRUE(ReadUtfFile((folder_ / "ship.cmp").string(), tree, nullptr).ok());
  const CompoundModel model = DecodeCompoundModel(tree);
  ASSERT_EQ(model.scripts.size(), 2u);
  // At scale 92: 46 and 138 units up the door's axis.
  const std::vector<float>& door = model.scripts[0].maps[0].channel.values;
  ASSERT_EQ(door.size(), 3u);
  EXPECT_FLOAT_EQ(door[1], 0.5f);
  EXPECT_FLOAT_EQ(door[2], 1.5f);
  // The turret rests a quarter turn about y and turns to three eighths.
  const std::vector<float>& turret = model.scripts[1].maps[0].channel.values;
  ASSERT_EQ(turret.size(), 2u);
  EXPECT_NEAR(turret[0], 0, 1e-6);
  EXPECT_NEAR(turret[1], std::acos(-1.0) / 4, 1e-5);

  // The open door is drawn where the script leaves it.
  EXPECT_EQ(Run("preview ship.cmp -o closed.png").exitStatus, 0);
  EXPECT_EQ(Run("preview ship.cmp -o open.png --pose 'Sc_open baydoor'").exitStatus, 0);
  EXPECT_NE(FileText("open.png"), FileText("closed.png"));
}

// Scripts go out as glTF animations of the part nodes and come back from
// them: same scripts, joints and key times, values within 1e-5.
TEST_F(AnimationExport, ConvertAndExportAgainGiveTheSameScripts) {
  WriteShip(nlohmann::json::parse(kOpening));
  ASSERT_EQ(Run("export ship.json -o ship.cmp -q --parts nodes").exitStatus, 0);
  const auto converted = Run("convert ship.cmp -o back.glb");
  ASSERT_EQ(converted.exitStatus, 0) << converted.err;
  const auto again = Run("export back.glb -o again.cmp -q --parts nodes");
  ASSERT_EQ(again.exitStatus, 0) << again.err;
  std::vector<CompoundModel> models;
  for (const char* file : {"ship.cmp", "again.cmp"}) {
    UtfTree tree;
    ASSERT_TRUE(ReadUtfFile((folder_ / file).string(), tree, nullptr).ok());
    models.push_back(DecodeCompoundModel(tree));
  }
  const auto& first = models[0].scripts;
  const auto& second = models[1].scripts;
  ASSERT_EQ(first.size(), 2u);
  ASSERT_EQ(second.size(), first.size());
  for (std::size_t s = 0; s < first.size(); ++s) {
    EXPECT_EQ(second[s].name, first[s].name);
    ASSERT_EQ(second[s].maps.size(), first[s].maps.size());
    for (std::size_t m = 0; m < first[s].maps.size(); ++m) {
      const ScriptMap& a = first[s].maps[m];
      const ScriptMap& b = second[s].maps[m];
      EXPECT_EQ(b.parent, a.parent);
      EXPECT_EQ(b.child, a.child);
      EXPECT_EQ(b.channel.type, a.channel.type);
      ASSERT_EQ(b.channel.times.size(), a.channel.times.size()) << a.child;
      for (std::size_t k = 0; k < a.channel.times.size(); ++k) {
        EXPECT_NEAR(b.channel.times[k], a.channel.times[k], 1e-5) << a.child << " " << k;
        EXPECT_NEAR(b.channel.values[k], a.channel.values[k], 1e-5) << a.child << " " << k;
      }
    }
  }
}

TEST_F(AnimationExport, AMoveTheJointCannotMakeStopsTheExport) {
  WriteShip(nlohmann::json::parse(R"([{"name": "slide turret", "channels": [
    {"node": 1, "path": "translation", "times": [0, 1], "values": [0, -198, 300, 0, -198, 400]}]}])"));
  const auto run = Run("export ship.json -o ship.cmp -q --parts nodes");
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err,
            "error: \"ship.json\": animation \"slide turret\", node \"turret\": at 1 s the part "
            "moves by 100 while its rev joint only lets it turn; move its parent instead\n");
  EXPECT_FALSE(fs::exists(folder_ / "ship.cmp"));
}

}  // namespace
}  // namespace svcmp
