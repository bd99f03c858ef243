#include "inspect/animation_decoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "inspect/compound_model.h"
#include "inspect/model_checks.h"
#include "tests/inspect/script_test_files.h"

namespace svcmp {
namespace {

using testing::AddTestScript;
using testing::ChannelHeader;
using testing::LeafBuilder;
using testing::OtherToolFile;
using testing::TestMap;
using testing::TimedScalarMap;

std::vector<std::string> Rules(const Findings& findings) {
  std::vector<std::string> rules;
  for (const Finding& f : findings) {
    rules.push_back((f.severity == Severity::Error ? "error " : "warning ") + f.rule + " " +
                    f.path);
  }
  return rules;
}

// The layouts released files use, one script each, with the values of each
// frame told apart.
TEST(AnimationDecoder, ReadsReleasedLayouts) {
  UtfTree tree = OtherToolFile();
  // A door opening in 3.3 s, children in reverse order with padded names.
  TestMap door = TimedScalarMap("Root", "door", {0, 0.25f, 3.3333f, 1.22173f});
  door.reversed = true;
  AddTestScript(tree, "Sc_open baydoor", {door});
  // The end pose: one frame at a fixed 1/30 s, 4 bytes of filler after it.
  AddTestScript(tree, "Sc_end anim",
                {{"Root", "turret", ChannelHeader(1, 1 / 30.0f, 0x01),
                  LeafBuilder().Floats({1.22173f}).U32(0).Take()}});
  // A ball turning half about y, fixed interval 1 s, quaternions w first.
  AddTestScript(tree, "Sc_loop",
                {{"Root", "ball", ChannelHeader(3, 1.0f, 0x04),
                  LeafBuilder().Floats({1, 0, 0, 0, 0.7071f, 0, 0.7071f, 0, 0, 0, -1, 0}).Take()}});
  // The whole model: timed position then quaternion, and a root height.
  UtfNode object = AddTestScript(
      tree, "Sc_fly",
      {{"Root", "", ChannelHeader(2, -1.0f, 0x06),
        LeafBuilder()
            .Floats({0, 1, 2, 3, 1, 0, 0, 0, 0.4f, 4, 5, 6, 0.99838f, 0, -0.05689f, 0})
            .Take()}});
  testing::AddTestLeaf(tree, object, "Root height", LeafBuilder().Floats({3.87e-4f}).Take());

  const CompoundModel model = DecodeCompoundModel(tree);
  EXPECT_TRUE(model.findings.empty()) << Rules(model.findings).front();
  struct Expected {
    std::string name, parent, child;
    std::uint32_t type;
    float interval;
    std::vector<float> times, values;
  };
  const Expected expected[] = {
      {"Sc_open baydoor", "Root", "door", 0x01, -1.0f, {0, 3.3333f}, {0.25f, 1.22173f}},
      {"Sc_end anim", "Root", "turret", 0x01, 1 / 30.0f, {0}, {1.22173f}},
      {"Sc_loop",
       "Root",
       "ball",
       0x04,
       1.0f,
       {0, 1, 2},
       {1, 0, 0, 0, 0.7071f, 0, 0.7071f, 0, 0, 0, -1, 0}},
      {"Sc_fly",
       "Root",
       "",
       0x06,
       -1.0f,
       {0, 0.4f},
       {1, 2, 3, 1, 0, 0, 0, 4, 5, 6, 0.99838f, 0, -0.05689f, 0}},
  };
  ASSERT_EQ(model.scripts.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const Expected& e = expected[i];
    const AnimationScript& script = model.scripts[i];
    SCOPED_TRACE(e.name);
    EXPECT_EQ(script.name, e.name);
    ASSERT_EQ(script.maps.size(), 1u);
    const ScriptMap& map = script.maps[0];
    EXPECT_EQ(map.objectMap, e.child.empty());
    EXPECT_EQ(map.parent, e.parent);
    EXPECT_EQ(map.child, e.child);
    EXPECT_EQ(map.channel.type, e.type);
    EXPECT_EQ(map.channel.interval, e.interval);
    EXPECT_EQ(map.channel.times, e.times);
    EXPECT_EQ(map.channel.values, e.values);
    EXPECT_EQ(script.Duration(), e.times.back());
  }
  EXPECT_EQ(model.scripts[3].rootHeight, 3.87e-4f);
  EXPECT_FALSE(model.scripts[0].rootHeight);
  EXPECT_EQ(model.scripts[0].maps[0].path, "/Animation/Script/Sc_open baydoor/Joint map 0");
}

TEST(AnimationDecoder, RefusesChannelsThatDoNotAddUp) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> header, frames;
    const char* rule;  // empty: accepted
  };
  const auto frames = [](std::size_t floats) { return std::vector<std::uint8_t>(4 * floats, 0); };
  const Case cases[] = {
      {"short header", {0x01, 0, 0, 0, 0, 0, 0x80, 0xBF, 0x01, 0, 0}, frames(2), "leaf-size"},
      {"no frames", ChannelHeader(0, -1, 1), frames(2), "anim-channel"},
      {"negative count", ChannelHeader(-1, -1, 1), frames(2), "anim-channel"},
      {"type 2 alone", ChannelHeader(1, -1, 2), frames(4), "anim-channel"},
      {"timed scalar one byte short", ChannelHeader(2, -1, 1), std::vector<std::uint8_t>(15),
       "anim-size"},
      {"quaternions read as untimed", ChannelHeader(2, 1, 4), frames(7), "anim-size"},
      {"position and quaternion", ChannelHeader(2, -1, 6), frames(15), "anim-size"},
      {"count near 2^31", ChannelHeader(0x7FFFFFFF, -1, 6), frames(16), "anim-size"},
      {"timed scalar exact",
       ChannelHeader(2, -1, 1),
       {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80, 0x3F, 0, 0, 0, 0},
       ""},
      {"fixed interval with filler", ChannelHeader(1, 1 / 30.0f, 1), frames(2), ""},
      {"timed quaternions exact", ChannelHeader(1, -1, 4), frames(5), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Findings findings;
    const auto channel = DecodeChannel(c.header, c.frames, "/c", findings);
    if (*c.rule == '\0') {
      EXPECT_TRUE(channel.has_value());
      EXPECT_TRUE(findings.empty());
    } else {
      EXPECT_FALSE(channel.has_value());
      ASSERT_EQ(findings.size(), 1u);
      EXPECT_EQ(findings[0].rule, c.rule);
      EXPECT_EQ(findings[0].path, "/c");
    }
  }
}

// Each shorter "Frames" leaf is refused, the whole one read.
TEST(AnimationDecoder, EveryPrefixOfFramesFailsCleanly) {
  const std::vector<std::uint8_t> whole =
      LeafBuilder().Floats({0, 1, 0, 0, 0, 0.5f, 0, 1, 0, 0}).Take();  // 2 timed quaternions
  const auto header = ChannelHeader(2, -1, 4);
  for (std::size_t size = 0; size <= whole.size(); ++size) {
    Findings findings;
    const auto channel = DecodeChannel(header, std::span(whole).first(size), "/c", findings);
    EXPECT_EQ(channel.has_value(), size == whole.size()) << size;
  }
}

TEST(AnimationDecoder, TimesMustStartAtZeroAndRise) {
  struct Case {
    std::vector<float> frames;
    bool sound;
  };
  const Case cases[] = {{{0, 1, 0.5f, 2, 1, 3}, true},
                        {{0.1f, 1, 0.5f, 2}, false},
                        {{0, 1, 0.5f, 2, 0.5f, 3}, false},
                        {{0, 1, 0.5f, 2, 0.4f, 3}, false}};
  for (const Case& c : cases) {
    LeafBuilder frames;
    for (float f : c.frames) frames.Floats({f});
    Findings findings;
    const auto channel =
        DecodeChannel(ChannelHeader(static_cast<std::int32_t>(c.frames.size() / 2), -1, 1),
                      frames.Take(), "/c", findings);
    ASSERT_TRUE(channel.has_value());  // kept, so info can show it
    EXPECT_EQ(findings.empty(), c.sound) << c.frames[0] << " " << c.frames[2];
    if (!c.sound) {
      EXPECT_EQ(findings[0].rule, "anim-times");
    }
  }
}

TEST(AnimationDecoder, MapWithoutItsNodesIsLeftOutAndNamed) {
  UtfTree tree = OtherToolFile();
  UtfNode script = AddTestScript(tree, "Sc_open", {TimedScalarMap("Root", "door", {0, 0, 1, 1})});
  UtfNode map = tree.AddNode(script, "Joint map 1");
  testing::AddTestLeaf(tree, map, "Parent name", testing::NameBytes("Root"));
  const CompoundModel model = DecodeCompoundModel(tree);
  ASSERT_EQ(model.scripts.size(), 1u);
  EXPECT_EQ(model.scripts[0].maps.size(), 1u);
  ASSERT_EQ(model.findings.size(), 1u);
  EXPECT_EQ(model.findings[0].path, "/Animation/Script/Sc_open/Joint map 1");
  EXPECT_EQ(model.findings[0].message,
            "the map lacks \"Child name\", \"Channel/Header\", \"Channel/Frames\"");
}

// The checker's script rules on the other tool's file: turret Rev about y
// within -1.5 to 1.5, door Pris along y within 0 to 2, ball Sphere within
// x -1 to 1, y -0.5 to 0.25, z -2 to 2, barrel Fix.
TEST(AnimationChecks, JointsTypesAndLimits) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  // A quarter turn about y, then a small one about y: (w, 0, sin, 0).
  const auto turnY = [](float angle) {
    return LeafBuilder()
        .Floats({0, 1, 0, 0, 0, 1, std::cos(angle / 2), 0, std::sin(angle / 2), 0})
        .Take();
  };
  struct Case {
    const char* what;
    TestMap map;
    std::vector<std::string> findings;
  };
  const std::string path = " /Animation/Script/Sc_test/Joint map 0";
  const Case cases[] = {
      {"turret inside its limits", TimedScalarMap("Root", "turret", {0, -1.5f, 2, 1.5f}), {}},
      {"door inside its limits", TimedScalarMap("Root", "door", {0, 0, 2, 2}), {}},
      {"door past max",
       TimedScalarMap("Root", "door", {0, 0, 1, 2.5f, 2, 1}),
       {"warning anim-limits" + path}},
      {"turret below min",
       TimedScalarMap("Root", "turret", {0, -1.6f}),
       {"warning anim-limits" + path}},
      {"ball inside", {"Root", "ball", ChannelHeader(2, -1, 4), turnY(0.2f)}, {}},
      {"ball past y",
       {"Root", "ball", ChannelHeader(2, -1, 4), turnY(0.3f)},
       {"warning anim-limits" + path}},
      {"no such joint", TimedScalarMap("Root", "hatch", {0, 0}), {"error anim-joint" + path}},
      {"another parent", TimedScalarMap("turret", "door", {0, 1}), {"warning anim-joint" + path}},
      {"child in other case", TimedScalarMap("ROOT", "Door", {0, 1}), {}},
      {"quaternion on a Rev",
       {"Root", "turret", ChannelHeader(2, -1, 4), turnY(0.2f)},
       {"error anim-type" + path}},
      {"scalar on a Sphere", TimedScalarMap("Root", "ball", {0, 0.1f}), {"error anim-type" + path}},
      {"a Fix joint", TimedScalarMap("turret", "barrel", {0, 0.1f}), {"error anim-type" + path}},
      {"not a number", TimedScalarMap("Root", "door", {0, 0, 1, nan}), {"error bad-float" + path}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UtfTree tree = OtherToolFile();
    AddTestScript(tree, "Sc_test", {c.map});
    const CompoundModel model = DecodeCompoundModel(tree);
    EXPECT_EQ(Rules(CheckModels({{"a.cmp", &model}}).at(0)), c.findings);
  }
}

TEST(AnimationChecks, ObjectMapMovesAPartByPositionAndQuaternion) {
  struct Case {
    const char* parent;
    std::uint32_t type;
    std::vector<std::string> rules;
  };
  const Case cases[] = {
      {"Root", 6, {}}, {"Hull", 6, {"error anim-joint"}}, {"Root", 4, {"error anim-type"}}};
  for (const Case& c : cases) {
    UtfTree tree = OtherToolFile();
    const std::size_t floats = ChannelValueCount(c.type);
    AddTestScript(
        tree, "Sc_fly",
        {{c.parent, "", ChannelHeader(1, 1, c.type), std::vector<std::uint8_t>(4 * floats, 0)}});
    const CompoundModel model = DecodeCompoundModel(tree);
    std::vector<std::string> rules;
    const std::vector<Findings> findings = CheckModels({{"a.cmp", &model}});
    for (const Finding& f : findings.at(0)) {
      rules.push_back((f.severity == Severity::Error ? "error " : "warning ") + f.rule);
    }
    EXPECT_EQ(rules, c.rules) << c.parent << " " << c.type;
  }
}

}  // namespace
}  // namespace svcmp
