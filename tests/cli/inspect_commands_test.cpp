#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "format/name_crc.h"
#include "tests/cli/cmptool_runner.h"
#include "tests/inspect/inspect_test_files.h"
#include "tests/inspect/script_test_files.h"
#include "utf/utf_writer.h"

namespace svcmp {
namespace {

namespace fs = std::filesystem;
using testing::RunCmptool;

const std::string kExports = SVCMP_TEST_DATA "/export/";

testing::CmptoolRun Cmptool(const std::string& arguments) {
  return RunCmptool(arguments, fs::temp_directory_path());
}

// Writes `tree` to a file of the temporary folder named after the test.
std::string WriteTemporary(const UtfTree& tree, const std::string& name) {
  const fs::path path =
      fs::temp_directory_path() / ("svcmp-inspect-" + std::to_string(::getpid()) + "-" + name);
  EXPECT_TRUE(WriteUtfFile(tree, path).written);
  return path.string();
}

TEST(InfoCommand, SummarisesPartsLevelsMaterialsAndHardpoints) {
  UtfTree materials;
  UtfNode library = materials.AddNode(materials.AddNode(nullptr, "\\"), "material library");
  materials.AddNode(library, "hull_metal");
  const std::string mat = WriteTemporary(materials, "ship.mat");
  const auto run = Cmptool("info '" + kExports + "single_lod0.cmp' --materials '" + mat + "'");
  fs::remove(mat);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.err, "");
  for (const char* line :
       {"part Root: file hull.3db, index 0\n",
        "  level 0: library hull.lod0.vms, 12 vertices from 0, 21 indices from 0, 3 meshes from "
        "0\n",
        "    materials: hull_metal, 0x11E8F3FD\n", "  hardpoint revolute HpTurret01: position (",
        "totals: 1 part, 1 mesh reference, 3 meshes, 12 vertices, 7 triangles, 3 hardpoints, 0 "
        "joints\n"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\nin:\n" << run.out;
  }
}

TEST(InfoCommand, JsonHoldsTheSameForScripts) {
  const auto run = Cmptool("info --json '" + kExports + "parts_lod2.cmp'");
  ASSERT_EQ(run.exitStatus, 0);
  const auto json = nlohmann::json::parse(run.out);
  EXPECT_EQ(json["compound"], true);
  ASSERT_EQ(json["parts"].size(), 3u);
  EXPECT_EQ(json["parts"][1]["objectName"], "wing_lod1");
  EXPECT_EQ(json["parts"][1]["levels"][0]["level"], 2);
  EXPECT_EQ(json["parts"][1]["levels"][0]["startVertex"], 5);
  EXPECT_EQ(json["parts"][0]["switchDistances"],
            nlohmann::json::parse("[0.0, 100.0, 1000.0, 100000.0]"));
  EXPECT_EQ(json["totals"]["triangles"], 7);
  EXPECT_EQ(json["problems"], 0);
}

TEST(InfoCommand, ReadsOtherToolsFilesAndRefusesUnreadableOnes) {
  const std::string file = WriteTemporary(testing::OtherToolFile(), "other.cmp");
  const auto run = Cmptool("info '" + file + "'");
  fs::remove(file);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_NE(run.out.find("library ship.lod0.vms: vertex format 0x252"), std::string::npos)
      << run.out;
  for (const char* line :
       {"part turret: file TURRET.3db, index 1, joint Rev to Root at (0, 1, 2), offset (0.5, 0, "
        "0), axis (0, 1, 0), limits -1.5 to 1.5\n",
        "part door: file door.3db, index 2, joint Pris to Root at (0, 0, -3), axis (0, 0, 1), "
        "limits 0 to 2\n",
        "part ball: file ball.3db, index 2, joint Sphere to Root at (0, -1, 0), limits x -1 to 1, "
        "y -0.5 to 0.25, z -2 to 2\n",
        "part barrel: file barrel.3db, index 2, joint Fix to turret at (0, 0, 1), rotation (0, -1, "
        "0, 1, 0, 0, 0, 0, 1)\n"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "\nin:\n" << run.out;
  }

  const auto bad = Cmptool("info '" SVCMP_TEST_DATA "/utf/truncated.cmp'");
  EXPECT_EQ(bad.exitStatus, 1);
  EXPECT_EQ(bad.out, "");
  EXPECT_EQ(bad.err, "error: " SVCMP_TEST_DATA
                     "/utf/truncated.cmp: the node table runs past the end of the file\n");
  EXPECT_EQ(Cmptool("info").exitStatus, 2);
}

TEST(InfoCommand, JsonHoldsEveryJointField) {
  const std::string file = WriteTemporary(testing::OtherToolFile(), "joints.cmp");
  const auto run = Cmptool("info --json '" + file + "'");
  fs::remove(file);
  ASSERT_EQ(run.exitStatus, 0);
  const auto parts = nlohmann::json::parse(run.out)["parts"];
  EXPECT_EQ(parts[1]["joint"], nlohmann::json::parse(R"({"kind": "Rev", "parent": "Root",
      "child": "turret", "origin": [0, 1, 2], "offset": [0.5, 0, 0],
      "rotation": [1, 0, 0, 0, 1, 0, 0, 0, 1], "axis": [0, 1, 0], "min": -1.5, "max": 1.5})"));
  EXPECT_EQ(parts[3]["joint"]["limits"], nlohmann::json::parse("[-1, 1, -0.5, 0.25, -2, 2]"));
  EXPECT_EQ(parts[4]["joint"]["parent"], "turret");
}

// The turret's wire indexes its only level; the ship's names a library of
// an older mesh.
UtfTree OtherToolFileWithWires() {
  UtfTree tree = testing::OtherToolFile();
  const auto addWire = [&](const char* model, std::vector<std::uint8_t> bytes) {
    UtfNode wire = tree.AddNode(tree.FindNode(tree.Root(), model), "VMeshWire");
    testing::AddTestLeaf(tree, wire, "VWireData", std::move(bytes));
  };
  addWire("turret.3db", testing::WireBytes(NameCrc("ship.lod0.vms"), 1, 2, 4, {0, 2, 2, 1}));
  addWire("ship.3db", testing::WireBytes(0x00C0FFEEu, 0, 2, 4, {1, 3}));
  return tree;
}

TEST(InfoCommand, NamesEachPartsWireAndTheLevelItIndexes) {
  const std::string file = WriteTemporary(OtherToolFileWithWires(), "wires.cmp");
  const auto text = Cmptool("info '" + file + "'");
  const auto json = Cmptool("info --json '" + file + "'");
  const auto check = Cmptool("check '" + file + "'");
  fs::remove(file);
  ASSERT_EQ(text.exitStatus, 0);
  EXPECT_NE(text.out.find("  wire: 2 segments over 3 vertices of level 0\n"), std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("  wire: 1 segment over 2 vertices of library 0x00C0FFEE, which no "
                          "level uses\n"),
            std::string::npos)
      << text.out;
  const auto parts = nlohmann::json::parse(json.out)["parts"];
  nlohmann::json expected = nlohmann::json::parse(R"({"path": "/turret.3db/VMeshWire/VWireData",
      "level": 0, "segments": 2, "vertices": 3})");
  expected["libraryId"] = NameCrc("ship.lod0.vms");
  EXPECT_EQ(parts[1]["wire"], expected) << parts[1]["wire"].dump();
  EXPECT_EQ(parts[0]["wire"]["level"], nullptr);
  EXPECT_FALSE(parts[2].contains("wire"));
  // The stale library is a warning; the turret's stored counts (2 vertices,
  // bound 4) are wrong, which is noted too.
  EXPECT_EQ(check.exitStatus, 0) << check.out << check.err;
  EXPECT_NE(check.out.find("[wire-library]"), std::string::npos) << check.out;
  EXPECT_NE(check.out.find("[wire-counts]"), std::string::npos) << check.out;
}

// The other tool's file with a door that opens past its limit and a turret
// that turns at a fixed interval.
UtfTree ScriptedFile() {
  UtfTree tree = testing::OtherToolFile();
  testing::AddTestScript(tree, "Sc_open",
                         {testing::TimedScalarMap("Root", "door", {0, 0, 1.5f, 1, 2.5f, 2.25f}),
                          {"Root", "turret", testing::ChannelHeader(4, 0.5f, 0x01),
                           testing::LeafBuilder().Floats({0, 0.5f, 1, 1.5f}).Take()}});
  return tree;
}

TEST(InfoCommand, ListsScriptsWithTheirJointsFramesAndDurations) {
  const std::string file = WriteTemporary(ScriptedFile(), "scripted.cmp");
  const auto text = Cmptool("info '" + file + "'");
  const auto json = Cmptool("info --json '" + file + "'");
  fs::remove(file);
  ASSERT_EQ(text.exitStatus, 0);
  EXPECT_NE(text.out.find("script Sc_open: 2 maps, 2.5 s\n"
                          "  door on Root: Pris, 3 frames, 2.5 s, timed\n"
                          "  turret on Root: Rev, 4 frames, 1.5 s, every 0.5 s\n"
                          "totals: "),
            std::string::npos)
      << text.out;
  const auto scripts = nlohmann::json::parse(json.out)["scripts"];
  ASSERT_EQ(scripts.size(), 1u);
  EXPECT_EQ(scripts[0]["duration"], 2.5);
  EXPECT_EQ(scripts[0]["maps"][1], nlohmann::json::parse(R"({"path":
      "/Animation/Script/Sc_open/Joint map 1", "parent": "Root", "child": "turret",
      "joint": "Rev", "type": 1, "interval": 0.5, "frames": 4, "duration": 1.5})"));
}

TEST(CheckCommand, WarnsOfScriptValuesPastTheJointsLimits) {
  const std::string file = WriteTemporary(ScriptedFile(), "limits.cmp");
  const auto run = Cmptool("check '" + file + "'");
  fs::remove(file);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_NE(run.out.find(": /Animation/Script/Sc_open/Joint map 0: warning [anim-limits] frame 2 "
                         "at 2.5 s: 2.25 lies outside the limits 0 to 2 of the joint of "
                         "\"door\"\n"),
            std::string::npos)
      << run.out;
}

TEST(CheckCommand, OurExportsPassWithWarningsOnly) {
  const auto run =
      Cmptool("check '" + kExports + "single_lod0.cmp' '" + kExports + "parts_lod2.cmp'");
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.out.find(": error ["), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\n2 files checked: 0 errors, "), std::string::npos) << run.out;
}

TEST(CheckCommand, PrintsOneLinePerFindingAndFailsOnErrors) {
  UtfTree tree = testing::OtherToolFile();
  tree.SetData(tree.FindNode(tree.FindNode(nullptr, "ship.3db"), "VMeshPart"), {});
  tree.SetData(tree.FindNode(nullptr, "VMeshRef"),
               testing::MeshRefBytes(NameCrc("ship.lod0.vms"), 0, 4, 0, 5, 0, 2));
  const std::string file = WriteTemporary(tree, "broken.cmp");
  const auto run = Cmptool("check '" + file + "' missing.cmp");
  fs::remove(file);
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(
      run.out,
      file +
          ": /ship.3db/VMeshPart/VMeshRef: error [ref-index-sum] the index count is 5, its meshes "
          "hold 6\n" +
          file +
          ": /VMeshLibrary/ship.lod0.vms/VMeshData: warning [missing-material] material id "
          "0x000000AA has no material in the files checked (give the .mat file too)\n" +
          file +
          ": /VMeshLibrary/ship.lod0.vms/VMeshData: warning [missing-material] material id "
          "0x000000BB has no material in the files checked (give the .mat file too)\n"
          "missing.cmp: /: error [unreadable] cannot open missing.cmp: No such file or directory\n"
          "2 files checked: 2 errors, 2 warnings\n");
  EXPECT_EQ(Cmptool("check").exitStatus, 2);
}

}  // namespace
}  // namespace svcmp
