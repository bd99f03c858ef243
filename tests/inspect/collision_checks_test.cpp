#include "inspect/collision_checks.h"

#include <gtest/gtest.h>

#include "format/name_crc.h"
#include "inspect/collision_decoder.h"
#include "tests/inspect/collision_test_files.h"

namespace svcmp {
namespace {

using testing::SurFile;
using testing::SurPart;
using testing::Tetrahedron;
using testing::TetrahedronPoints;

const std::uint32_t kRoot = NameCrc("Root");
const std::uint32_t kTurret = NameCrc("HpTurret01");

std::vector<std::string> Checked(const std::vector<SurPart>& parts, const CompoundModel* model) {
  const auto decoded = DecodeCollisionFile(SurFile(parts));
  EXPECT_TRUE(decoded.file) << decoded.error.rule << " " << decoded.error.message;
  if (!decoded.file) return {};
  std::vector<std::string> found;
  for (const Finding& finding : CheckCollisionFile(*decoded.file, model)) {
    found.push_back(finding.rule + ": " + finding.path);
  }
  return found;
}

CompoundModel ShipWithDoor() {
  CompoundModel model;
  model.compound = true;
  model.parts.resize(2);
  model.parts[0].objectName = "Root";
  model.parts[0].hardpoints.resize(1);
  model.parts[0].hardpoints[0].name = "HpTurret01";
  model.parts[1].objectName = "Door";
  return model;
}

SurPart RootWithTurretHull() {
  SurPart part{kRoot, true, TetrahedronPoints(0, kRoot), {}, {kTurret}};
  const auto turret = TetrahedronPoints(2, kTurret);
  part.points.insert(part.points.end(), turret.begin(), turret.end());
  part.hulls = {{kRoot, false, Tetrahedron(0)},
                {kTurret, false, Tetrahedron(4)},
                {0, true, {{0, 2, 5}, {0, 5, 3}, {0, 3, 2}, {5, 2, 3}}}};
  return part;
}

TEST(CollisionChecks, NamesIdsOfNoPartOrHardpointAndPartsWithoutCollision) {
  const CompoundModel model = ShipWithDoor();
  EXPECT_EQ(Checked({RootWithTurretHull()}, &model),
            std::vector<std::string>{"sur-no-collision: part Door"});
  EXPECT_TRUE(Checked({RootWithTurretHull()}, nullptr).empty());

  SurPart stranger = RootWithTurretHull();
  stranger.id = 7;
  stranger.hardpointIds = {kTurret, 9};
  EXPECT_EQ(Checked({stranger}, &model),
            (std::vector<std::string>{"sur-part-id: part 0x00000007 at byte 8",
                                      "sur-hardpoint-id: part 0x00000007 at byte 8",
                                      "sur-no-collision: part Root",
                                      "sur-no-collision: part Door"}));
}

TEST(CollisionChecks, FindsHullsNotConvexOrWoundInwards) {
  // A double pyramid over the triangle (0,0,0) (1,0,0) (0,1,0).
  SurPart pyramid{kRoot, false, TetrahedronPoints(0, kRoot), {}, {}};
  pyramid.points[3].first = {0.3f, 0.3f, 1};
  pyramid.points.push_back({{0.3f, 0.3f, -1}, kRoot});
  pyramid.hulls = {{kRoot, false, {{0, 1, 3}, {1, 2, 3}, {2, 0, 3}, {1, 0, 4}, {2, 1, 4}, {0, 2, 4}}}};
  EXPECT_TRUE(Checked({pyramid}, nullptr).empty());

  SurPart dented = pyramid;
  dented.points[4].first = {0.3f, 0.3f, 0.5f};
  EXPECT_EQ(Checked({dented}, nullptr), std::vector<std::string>{"sur-convex: part 0x12688F2D, hull 0 at byte 100"});

  SurPart inwards = pyramid;
  for (auto& face : inwards.hulls[0].faces) std::swap(face[1], face[2]);
  EXPECT_EQ(Checked({inwards}, nullptr), std::vector<std::string>{"sur-convex: part 0x12688F2D, hull 0 at byte 100"});
  const auto decoded = DecodeCollisionFile(SurFile({inwards}));
  ASSERT_TRUE(decoded.file);
  EXPECT_EQ(CheckCollisionFile(*decoded.file, nullptr).at(0).message, "the hull is wound inwards");
  // A writer checking its own file names the part and what the hull was made of.
  CollisionFile named = *decoded.file;
  named.parts[0].name = "Wing";
  named.parts[0].hulls[0].source = "mesh array";
  EXPECT_EQ(CheckCollisionFile(named, nullptr).at(0).path, "part Wing, hull 0 (mesh array) at byte 100");

  SurPart flat{kRoot, false, TetrahedronPoints(0, kRoot), {}, {}};
  flat.points.pop_back();
  flat.hulls = {{kRoot, false, {{0, 1, 2}, {0, 2, 1}}}};
  EXPECT_TRUE(Checked({flat}, nullptr).empty());
}

TEST(CollisionChecks, FindsPointsOutsideTheirNodesBox) {
  // The nodes' boxes reach y = 0.5 + 1.6; one step (radius 2 / 250) beyond
  // is still inside.
  SurPart near = RootWithTurretHull();
  for (std::size_t i = 4; i < 8; ++i) near.points[i].first[1] += 1.105f;
  EXPECT_TRUE(Checked({near}, nullptr).empty());
  SurPart far = RootWithTurretHull();
  for (std::size_t i = 4; i < 8; ++i) far.points[i].first[1] += 2;  // the box reaches y = 2.1
  EXPECT_EQ(Checked({far}, nullptr),
            (std::vector<std::string>{"sur-node-box: part 0x12688F2D, node 0 at byte 472",
                                      "sur-node-box: part 0x12688F2D, node 2 at byte 528"}));
}

}  // namespace
}  // namespace svcmp
