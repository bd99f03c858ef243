#include "exporter/parts_from_nodes.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace svcmp {
namespace {

constexpr float kHalfTurn = 0.70710677f;  // sin and cos of 45 degrees

msMesh Triangle(const std::string& name, float x) {
  msMesh mesh;
  mesh.name = name;
  mesh.vertices = {{{x, 0, 0}}, {{x + 1, 0, 0}}, {{x, 1, 0}}};
  mesh.triangles = {{{0, 1, 2}}};
  return mesh;
}

void ExpectNear(const std::array<float, 9>& actual, const std::array<float, 9>& expected) {
  for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_NEAR(actual[k], expected[k], 1e-6f) << k;
}

void ExpectNear(const std::array<float, 3>& actual, const std::array<float, 3>& expected) {
  for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_NEAR(actual[k], expected[k], 1e-5f) << k;
}

TEST(PartsFromNodes, JointsAndHardpointsLieInTheirPartsFrame) {
  // A turret a quarter turn about Z, away from the hull's origin; its gun's
  // hardpoint a quarter turn about Y within the turret. Written in the
  // turret's frame, the gun keeps only its own turn: the turret's would
  // make it point elsewhere.
  msModel model;
  model.meshes = {Triangle("hull", 0), Triangle("turret", 5)};
  model.nodes = {
      {"hull", -1, {0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}, {0}},
      {"turret", 0, {1, 2, 3}, {0, 0, kHalfTurn, kHalfTurn}, {1, 1, 1}, {1},
       {{"construct", std::string("rev")}}},
      {"HpGun01", 1, {0, 4, 0}, {0, kHalfTurn, 0, kHalfTurn}, {1, 1, 1}, {}},
  };
  // The export's frame change turns Y and Z over (sign -1) and divides
  // lengths: rotations are met on both sides by diag(1, -1, -1).
  const struct {
    int divisor, sign;
    std::array<float, 3> jointOrigin, hardpointPosition;
    std::array<float, 9> jointRotation, hardpointOrientation;
  } cases[] = {
      {1, 1, {1, 2, 3}, {0, 4, 0}, {0, -1, 0, 1, 0, 0, 0, 0, 1}, {0, 0, 1, 0, 1, 0, -1, 0, 0}},
      {2, -1, {0.5f, -1, -1.5f}, {0, -2, 0}, {0, 1, 0, -1, 0, 0, 0, 0, 1},
       {0, 0, -1, 0, 1, 0, 1, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sign);
    const PartsFromNodes formed = FormPartsFromNodes(model, c.divisor, c.sign);
    ASSERT_EQ(formed.error, "");
    ASSERT_EQ(formed.parts.size(), 2u);
    const NodePart& turret = formed.parts[1];
    EXPECT_EQ(turret.name, "turret");
    EXPECT_EQ(turret.joint.kind, PartJointKind::Rev);
    ExpectNear(turret.joint.origin, c.jointOrigin);
    ExpectNear(turret.joint.rotation, c.jointRotation);
    EXPECT_TRUE(formed.parts[0].hardpoints.empty());
    ASSERT_EQ(turret.hardpoints.size(), 1u);
    EXPECT_EQ(turret.hardpoints[0].name, "HpGun01");
    ExpectNear(turret.hardpoints[0].position, c.hardpointPosition);
    ExpectNear(turret.hardpoints[0].orientation, c.hardpointOrientation);
  }
}

}  // namespace
}  // namespace svcmp
