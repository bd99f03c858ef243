#include "inspect/script_pose.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace svcmp {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;

Joint MakeJoint(JointKind kind, const std::string& parent, const std::string& child, Vector3 origin,
                Matrix3 rotation, Vector3 axis = {}) {
  Joint joint;
  joint.kind = kind;
  joint.parent = parent;
  joint.child = child;
  joint.origin = origin;
  joint.rotation = rotation;
  joint.axis = axis;
  joint.min = -10;
  joint.max = 10;
  return joint;
}

ScriptMap Map(const std::string& child, std::uint32_t type, std::vector<float> times,
              std::vector<float> values) {
  ScriptMap map;
  map.parent = "Root";
  map.child = child;
  map.channel.type = type;
  map.channel.times = std::move(times);
  map.channel.values = std::move(values);
  return map;
}

// Root with a mirrored door (Rev about its own z, turned half about y at
// rest), a hatch sliding along its own y (turned a quarter about z at rest),
// a ball on a Sphere joint, and a barrel fixed to the door.
CompoundModel Model() {
  CompoundModel model;
  for (const char* name : {"Root", "door", "hatch", "ball", "barrel"}) {
    model.parts.emplace_back().objectName = name;
  }
  const Matrix3 identity{1, 0, 0, 0, 1, 0, 0, 0, 1};
  model.joints = {
      MakeJoint(JointKind::Rev, "Root", "door", {2, 0, 0}, {-1, 0, 0, 0, 1, 0, 0, 0, -1},
                {0, 0, 1}),
      MakeJoint(JointKind::Pris, "Root", "hatch", {0, 0, 5}, {0, -1, 0, 1, 0, 0, 0, 0, 1},
                {0, 2, 0}),  // not of unit length: values are still model units
      MakeJoint(JointKind::Sphere, "Root", "ball", {0, -1, 0}, identity),
      MakeJoint(JointKind::Fix, "door", "barrel", {1, 0, 0}, identity)};
  AnimationScript& script = model.scripts.emplace_back();
  script.name = "Sc_open";
  const float s = std::sqrt(0.5f);
  script.maps = {Map("door", kChannelScalar, {0, 2}, {0, kPi / 2}),
                 Map("HATCH", kChannelScalar, {0, 1, 3}, {0, 1, 4}),
                 Map("ball", kChannelQuaternion, {0, 2}, {1, 0, 0, 0, s, 0, s, 0})};
  return model;
}

Vector3 Placed(const LevelGeometry& geometry, const std::string& part, const Vector3& point) {
  for (const LevelPart& placed : geometry.parts) {
    if (placed.name == part) return ApplyTransform(placed.toModel, point);
  }
  ADD_FAILURE() << part;
  return {};
}

void ExpectNear(const Vector3& actual, const Vector3& expected) {
  for (int i = 0; i < 3; ++i) EXPECT_NEAR(actual[i], expected[i], 1e-5f) << i;
}

TEST(ScriptPose, MovesEachPartAboutAndAlongItsJointsOwnAxis) {
  const CompoundModel model = Model();
  const float h = std::sqrt(0.5f);
  const float q = std::sin(kPi / 8), c = std::cos(kPi / 8);
  struct Case {
    float time;
    Vector3 doorTip, barrel, hatch, ballTip;
  };
  // door tip (1, 0, 0): turned by the angle about z, mirrored by the rest
  // rotation, then 2 along x; the barrel 1 along the door's x; the hatch
  // the value along its y, which the rest turns onto -x; the ball's (1, 0, 0)
  // turned about y.
  const Case cases[] = {
      {0, {1, 0, 0}, {1, 0, 0}, {0, 0, 5}, {1, -1, 0}},
      {1, {2 - h, h, 0}, {2 - h, h, 0}, {-1, 0, 5}, {c * c - q * q, -1, -2 * q * c}},
      {2, {2, 1, 0}, {2, 1, 0}, {-2.5f, 0, 5}, {0, -1, -1}},
      {9, {2, 1, 0}, {2, 1, 0}, {-4, 0, 5}, {0, -1, -1}},  // after the end: the last frame
      {-1, {1, 0, 0}, {1, 0, 0}, {0, 0, 5}, {1, -1, 0}},   // before the start: the first
  };
  for (const Case& t : cases) {
    SCOPED_TRACE(t.time);
    const LevelGeometry geometry =
        GatherLevelGeometry(model, 0, PoseOfScript(model, model.scripts[0], t.time));
    ExpectNear(Placed(geometry, "door", {1, 0, 0}), t.doorTip);
    ExpectNear(Placed(geometry, "barrel", {0, 0, 0}), t.barrel);
    ExpectNear(Placed(geometry, "hatch", {0, 0, 0}), t.hatch);
    ExpectNear(Placed(geometry, "ball", {1, 0, 0}), t.ballTip);
    ExpectNear(Placed(geometry, "Root", {1, 2, 3}), {1, 2, 3});
  }
}

TEST(ScriptPose, ChannelsThatDoNotFitTheirJointMoveNothing) {
  CompoundModel model = Model();
  AnimationScript& script = model.scripts[0];
  script.maps = {Map("ball", kChannelScalar, {0}, {1}),               // a Sphere by an angle
                 Map("door", kChannelQuaternion, {0}, {0, 0, 1, 0}),  // a Rev by a quaternion
                 Map("barrel", kChannelScalar, {0}, {1}),             // a Fix joint
                 Map("nobody", kChannelScalar, {0}, {1})};
  EXPECT_TRUE(PoseOfScript(model, script, 0).empty());
}

TEST(ScriptPose, ObjectMapMovesTheWholeModel) {
  CompoundModel model = Model();
  ScriptMap map = Map("", kChannelPositionQuaternion, {0, 1},
                      {0, 0, 0, 1, 0, 0, 0,  //
                       1, 2, 3, 0, 0, 0, 1});
  map.objectMap = true;
  model.scripts[0].maps = {map};
  const LevelGeometry geometry =
      GatherLevelGeometry(model, 0, PoseOfScript(model, model.scripts[0], 1));
  // Half a turn about z, then (1, 2, 3) further; the door goes along.
  ExpectNear(Placed(geometry, "Root", {1, 0, 0}), {0, 2, 3});
  ExpectNear(Placed(geometry, "door", {0, 0, 0}), {-1, 2, 3});
}

TEST(ScriptPose, FindsScriptsWhateverTheirLetterCase) {
  const CompoundModel model = Model();
  EXPECT_EQ(FindScript(model, "sc_OPEN"), &model.scripts[0]);
  EXPECT_EQ(FindScript(model, "Sc_close"), nullptr);
}

}  // namespace
}  // namespace svcmp
