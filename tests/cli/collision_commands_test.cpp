#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>

#include "format/name_crc.h"
#include "tests/cli/cmptool_runner.h"
#include "tests/inspect/collision_test_files.h"

namespace svcmp {
namespace {

namespace fs = std::filesystem;
using testing::RootWithTurretHull;

// A folder holding ship.cmp (an export with the part Root and the hardpoint
// HpTurret01) and the collision file `sur` beside it as ship.sur.
class ShipFolder {
 public:
  explicit ShipFolder(const std::vector<std::uint8_t>& sur)
      : folder_(fs::temp_directory_path() /
                ("svcmp-collision-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    fs::create_directories(folder_);
    fs::copy_file(SVCMP_TEST_DATA "/export/single_lod0.cmp", folder_ / "ship.cmp",
                  fs::copy_options::overwrite_existing);
    testing::WriteBytes(folder_ / "ship.sur", sur);
  }
  ~ShipFolder() { fs::remove_all(folder_); }
  testing::CmptoolRun Cmptool(const std::string& arguments) const {
    return testing::RunCmptool(arguments, folder_);
  }

 private:
  fs::path folder_;
};

TEST(CollisionCommands, InfoNamesPartsAndHardpointsFromTheModelBeside) {
  const ShipFolder ship(RootWithTurretHull());
  const auto run = ship.Cmptool("info ship.sur");
  EXPECT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.out,
            "ship.sur: collision file, 1 part\n"
            "part Root (0x12688F2D): moves (!fxd)\n"
            "  box (0, 0, 0) to (1, 1, 1); centre (0.5, 0.5, 0.5), radius 1\n"
            "  3 hulls, 8 points, 3 nodes\n"
            "  hull 0: part Root, 4 faces, 4 points\n"
            "  hull 1: hardpoint HpTurret01, 4 faces, 4 points\n"
            "  hull 2: wrap, 4 faces, 4 points\n");

  const auto json = ship.Cmptool("info --json ship.sur");
  ASSERT_EQ(json.exitStatus, 0) << json.err;
  const auto parsed = nlohmann::json::parse(json.out);
  EXPECT_EQ(parsed["parts"][0]["name"], "Root");
  EXPECT_EQ(parsed["parts"][0]["inertia"][0], 0.2);
  EXPECT_EQ(parsed["parts"][0]["hulls"][1]["hardpoint"], true);
  EXPECT_EQ(parsed["parts"][0]["hulls"][2]["kind"], "wrap");
}

TEST(CollisionCommands, CheckJudgesTheCollisionFileBesideAModel) {
  const ShipFolder ship(RootWithTurretHull());
  const auto clean = ship.Cmptool("check ship.cmp");
  EXPECT_EQ(clean.out.find("ship.sur"), std::string::npos) << clean.out;
  EXPECT_NE(clean.out.find("2 files checked"), std::string::npos) << clean.out;

  const ShipFolder stranger(RootWithTurretHull(7));
  const auto run = stranger.Cmptool("check ship.cmp ship.sur");
  EXPECT_NE(run.out.find("ship.sur: part 0x00000007 at byte 8: warning [sur-part-id] part id "
                         "0x00000007 names no part of the model\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("ship.sur: part Root: warning [sur-no-collision]"), std::string::npos);
}

TEST(CollisionCommands, ABrokenFileIsRefusedWithItsRuleAndOffset) {
  auto bytes = RootWithTurretHull();
  bytes[12] = 9;  // the section count
  const ShipFolder ship(bytes);
  const auto check = ship.Cmptool("check ship.cmp");
  EXPECT_EQ(check.exitStatus, 1);
  EXPECT_NE(check.out.find("ship.sur: byte 12: error [sur-sections] a part has 2 to 4 sections, "
                           "this one says 9\n"),
            std::string::npos)
      << check.out;
  const auto info = ship.Cmptool("info ship.sur");
  EXPECT_EQ(info.exitStatus, 1);
  EXPECT_EQ(info.err,
            "error: ship.sur: byte 12: a part has 2 to 4 sections, this one says 9 [sur-sections]\n");
}

}  // namespace
}  // namespace svcmp
