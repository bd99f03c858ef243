#include "exporter/scripts_from_animations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace svcmp {
namespace {

constexpr float kPi = std::numbers::pi_v<float>;

int AddMeshNode(msModel& model, const std::string& name, int parent, std::array<float, 3> at,
                std::vector<msNodeProperty> properties = {},
                std::array<float, 4> rotation = {0, 0, 0, 1}) {
  msMesh& mesh = model.meshes.emplace_back();
  mesh.name = name;
  mesh.vertices = {
      {{at[0], at[1], at[2]}}, {{at[0] + 1, at[1], at[2]}}, {{at[0], at[1] + 1, at[2]}}};
  mesh.triangles = {{{0, 1, 2}}};
  msNode& node = model.nodes.emplace_back();
  node.name = name;
  node.parent = parent;
  node.meshes = {static_cast<int>(model.meshes.size()) - 1};
  node.properties = std::move(properties);
  node.rotation = rotation;
  // Node translations are relative to the parent; `at` is in the model's frame.
  node.translation = at;
  if (parent >= 0) {
    const auto& above = model.nodes[static_cast<std::size_t>(parent)].translation;
    for (int k = 0; k < 3; ++k) node.translation[k] -= above[k];
  }
  return static_cast<int>(model.nodes.size()) - 1;
}

// A hull 10 units long; a door on it sliding along its own z, turned a
// quarter about y at rest (so its z is the model's x); a turret turning
// about its y; a dish on the turret turning every way.
msModel Ship() {
  msModel model;
  const int hull = AddMeshNode(model, "hull", -1, {0, 0, 0});
  model.meshes[0].vertices.push_back({{10, 0, 0}});
  const float s = std::sqrt(0.5f);
  AddMeshNode(model, "door", hull, {1, 2, 3},
              {{"construct", std::string("pris")},
               {"axis_translation", std::vector<double>{0, 0, 1}},
               {"min", 0.0},
               {"max", 4.0}},
              {0, s, 0, s});
  const int turret = AddMeshNode(model, "turret", hull, {0, 5, 0},
                                 {{"construct", std::string("rev")},
                                  {"axis_rotation", std::vector<double>{0, 1, 0}},
                                  {"min", -360.0},
                                  {"max", 360.0}});
  AddMeshNode(model, "dish", turret, {0, 6, 0}, {{"construct", std::string("sphere")}});
  AddMeshNode(model, "mast", hull, {0, 0, 4});  // fixed
  return model;
}

msAnimationChannel Keys(int node, msAnimationPath path, std::vector<float> times,
                        std::vector<float> values,
                        msInterpolation interpolation = msInterpolation::Linear) {
  return {node, path, interpolation, std::move(times), std::move(values)};
}

// A quaternion x, y, z, w about the unit axis.
std::vector<float> Turn(std::array<float, 3> axis, float angle) {
  const float s = std::sin(angle / 2);
  return {axis[0] * s, axis[1] * s, axis[2] * s, std::cos(angle / 2)};
}

std::vector<float> Join(std::initializer_list<std::vector<float>> parts) {
  std::vector<float> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

ScriptsFromAnimations Form(const msModel& model, int divisor = 2, int sign = -1) {
  const PartsFromNodes parts = FormPartsFromNodes(model, divisor, sign);
  EXPECT_EQ(parts.error, "");
  return FormScriptsFromAnimations(model, parts, divisor, sign);
}

void ExpectValues(const std::vector<float>& actual, const std::vector<float>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-5f) << i;
}

constexpr int kDoor = 1, kTurret = 2, kDish = 3, kMast = 4;

TEST(ScriptsFromAnimations, MeasuresEachJointAlongItsOwnAxisAtItsOwnKeys) {
  const float c30 = std::cos(kPi / 6), s30 = std::sin(kPi / 6);
  struct Case {
    const char* what;
    msAnimation animation;
    std::string name;
    std::vector<std::string> children;
    std::vector<std::vector<float>> times, values;
    std::uint32_t firstType;
  };
  const Case cases[] = {
      {"a door slides 3 along the model's x, its own z, by 1.5 units at scale 2",
       {"open door", {Keys(kDoor, msAnimationPath::Translation, {0.5f, 2}, {1, 2, 3, 4, 2, 3})}},
       "Sc_open door",
       {"door"},
       {{0, 0.5f, 2}},
       {{0, 0, 1.5f}},
       kChannelScalar},
      {"a turret turns past half a turn",
       {"Sc_turn",
        {Keys(kTurret, msAnimationPath::Rotation, {0, 1, 3},
              Join({Turn({0, 1, 0}, 0), Turn({0, 1, 0}, kPi / 2), Turn({0, 1, 0}, 1.25f * kPi)}))}},
       "Sc_turn",
       {"turret"},
       {{0, 1, 3}},
       {{0, kPi / 2, 1.25f * kPi}},
       kChannelScalar},
      {"a dish turns about y, which the orientation turns round",
       {"sc_dish",
        {Keys(kDish, msAnimationPath::Rotation, {0, 1},
              Join({Turn({0, 1, 0}, 0), Turn({0, 1, 0}, kPi / 3)}))}},
       "sc_dish",
       {"dish"},
       {{0, 1}},
       {{1, 0, 0, 0, c30, 0, -s30, 0}},
       kChannelQuaternion},
      {"a dish turns about x and z: x stays, z turns round",
       {"Sc_dish two",
        {Keys(kDish, msAnimationPath::Rotation, {0, 1},
              Join({Turn({1, 0, 0}, kPi / 3), Turn({0, 0, 1}, kPi / 3)}))}},
       "Sc_dish two",
       {"dish"},
       {{0, 1}},
       {{c30, s30, 0, 0, c30, 0, 0, -s30}},
       kChannelQuaternion},
      {"two joints, each at its own keys; the mast's still keys make no map",
       {"Sc_open both",
        {Keys(kTurret, msAnimationPath::Rotation, {0, 2},
              Join({Turn({0, 1, 0}, 0), Turn({0, 1, 0}, -1)})),
         Keys(kMast, msAnimationPath::Translation, {0, 2}, {0, 0, 4, 0, 0, 4}),
         Keys(kDoor, msAnimationPath::Translation, {1}, {5, 2, 3})}},
       "Sc_open both",
       {"door", "turret"},
       {{0, 1}, {0, 2}},
       {{2, 2}, {0, -1}},
       kChannelScalar},
      {"step keys sampled 30 a second",
       {"Sc_step",
        {Keys(kDoor, msAnimationPath::Translation, {0, 0.1f}, {1, 2, 3, 3, 2, 3},
              msInterpolation::Step)}},
       "Sc_step",
       {"door"},
       {{0, 1 / 30.0f, 2 / 30.0f, 0.1f}},
       {{0, 0, 0, 1}},
       kChannelScalar},
      {"cubic keys sampled 30 a second, the tangents between the keys followed",
       {"Sc_cubic",
        {Keys(kDoor, msAnimationPath::Translation, {0, 0.1f},
              {999, 999, 999, 1, 2, 3, 0, 0, 0,  // in, value, out
               60, 0, 0, 4, 2, 3, 999, 999, 999},
              msInterpolation::CubicSpline)}},
       // x = 1 + 3 h01(s) + 0.1 x 60 h11(s) at s = 1/3 and 2/3, halved by the scale.
       "Sc_cubic",
       {"door"},
       {{0, 1 / 30.0f, 2 / 30.0f, 0.1f}},
       {{0, 1 / 6.0f, 2 / 3.0f, 1.5f}},
       kChannelScalar},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    msModel model = Ship();
    model.animations = {c.animation};
    const ScriptsFromAnimations formed = Form(model);
    ASSERT_EQ(formed.error, "");
    EXPECT_TRUE(formed.warnings.empty()) << formed.warnings.front();
    ASSERT_EQ(formed.scripts.size(), 1u);
    const AnimationScript& script = formed.scripts[0];
    EXPECT_EQ(script.name, c.name);
    ASSERT_EQ(script.maps.size(), c.children.size());
    for (std::size_t m = 0; m < script.maps.size(); ++m) {
      const ScriptMap& map = script.maps[m];
      EXPECT_EQ(map.child, c.children[m]);
      EXPECT_EQ(map.parent, map.child == "dish" ? "turret" : "Root");
      EXPECT_EQ(map.channel.interval, kTimedInterval);
      EXPECT_EQ(map.channel.type, m == 0 ? c.firstType : kChannelScalar);
      ExpectValues(map.channel.times, c.times[m]);
      ExpectValues(map.channel.values, c.values[m]);
    }
  }
}

TEST(ScriptsFromAnimations, MovesTheJointCannotMakeNameNodeAndAnimation) {
  struct Case {
    msAnimationChannel keys;
    std::string error;
  };
  const Case cases[] = {
      {Keys(kTurret, msAnimationPath::Translation, {0, 1}, {0, 5, 0, 0, 5.5f, 0}),
       "animation \"a\", node \"turret\": at 1 s the part moves by 0.5 while its rev joint only "
       "lets it turn; move its parent instead"},
      {Keys(kTurret, msAnimationPath::Rotation, {0, 1},
            Join({Turn({0, 1, 0}, 0), Turn({1, 0, 0}, 0.5f)})),
       "animation \"a\", node \"turret\": at 1 s the part turns about another axis than its rev "
       "joint's (property axis_rotation)"},
      {Keys(kDoor, msAnimationPath::Translation, {0, 2}, {1, 2, 3, 1, 2.5f, 3}),
       "animation \"a\", node \"door\": at 2 s the part leaves the axis of its pris joint "
       "(property "
       "axis_translation) by 0.5"},
      {Keys(kDoor, msAnimationPath::Rotation, {0, 1},
            Join({Turn({0, 1, 0}, kPi / 2), Turn({0, 1, 0}, kPi / 2 + 0.1f)})),
       "animation \"a\", node \"door\": at 1 s the part turns by 0.1 radians while its pris joint "
       "only lets it slide"},
      {Keys(kDish, msAnimationPath::Translation, {0, 1}, {0, 1, 0, 0, 1, 1}),
       "animation \"a\", node \"dish\": at 1 s the part moves by 1 while its sphere joint only "
       "lets it turn"},
      {Keys(kDoor, msAnimationPath::Translation, {0, 1}, {1, 2, 3}),
       "animation \"a\", node \"door\": a channel holds 3 values for 2 keys"},
      {Keys(kDoor, msAnimationPath::Translation, {1, 1}, {1, 2, 3, 1, 2, 3}),
       "animation \"a\", node \"door\": key times start at 0 s or later and rise from key to key; "
       "key 1 is at 1 s"},
  };
  for (const Case& c : cases) {
    msModel model = Ship();
    model.animations = {{"a", {c.keys}}};
    const ScriptsFromAnimations formed = Form(model);
    EXPECT_EQ(formed.error, c.error);
    EXPECT_TRUE(formed.scripts.empty());
  }
}

TEST(ScriptsFromAnimations, WarnsOfLimitsAndOfMotionsNoScriptCanHold) {
  msModel model = Ship();
  msNode& hardpoint = model.nodes.emplace_back();
  hardpoint.name = "HpMount01";
  hardpoint.parent = 0;
  model.animations = {
      {"far",
       {Keys(kDoor, msAnimationPath::Translation, {0, 1, 2}, {1, 2, 3, 10, 2, 3, 1, 2, 3}),
        Keys(kMast, msAnimationPath::Translation, {0, 1}, {0, 0, 4, 0, 0, 5}),
        Keys(0, msAnimationPath::Rotation, {0, 1},
             Join({Turn({0, 1, 0}, 0), Turn({0, 1, 0}, 1)}))}},
      {"mount", {Keys(5, msAnimationPath::Translation, {0, 1}, {0, 0, 0, 1, 0, 0})}},
      {"still", {Keys(5, msAnimationPath::Translation, {0, 1}, {0, 0, 0, 0, 0, 0})}},
      {"Sc_far", {Keys(kTurret, msAnimationPath::Rotation, {0}, Turn({0, 1, 0}, 1))}}};
  const ScriptsFromAnimations formed = Form(model);
  EXPECT_EQ(formed.error,
            "animations \"far\" and \"Sc_far\" both make the script \"Sc_far\" (letter case "
            "aside), and the game starts scripts by name; rename one");
  model.animations.pop_back();
  const ScriptsFromAnimations warned = Form(model);
  EXPECT_EQ(warned.error, "");
  ASSERT_EQ(warned.scripts.size(), 1u);
  EXPECT_EQ(warned.warnings,
            (std::vector<std::string>{
                "animation \"far\", node \"hull\": the root part moves, which no script can do; "
                "left out",
                "animation \"far\", node \"door\": at 1 s the part slides to 4.5, outside its "
                "limits 0 to 2 (properties min, max)",
                "animation \"far\", node \"mast\": the part moves, but its joint is fix; left "
                "out (give the node the property construct: rev, pris or sphere)",
                "animation \"mount\" keys nodes that are no parts, which a script cannot move; "
                "left out: \"HpMount01\""}));
}

}  // namespace
}  // namespace svcmp
