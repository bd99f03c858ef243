#include "cmp/animation_scripts.h"

#include <gtest/gtest.h>

#include <bit>

#include "inspect/animation_decoder.h"
#include "utf/utf_reader.h"
#include "utf/utf_writer.h"

namespace svcmp {
namespace {

AnimationChannel Channel(std::uint32_t type, float interval, std::vector<float> times,
                         std::vector<float> values) {
  return {type, interval, std::move(times), std::move(values)};
}

// A bay door's script as released files hold it, byte for byte.
TEST(AnimationScripts, ChannelBytesAreTheReleasedLayout) {
  // 3.3333335 s, a float above 10/3 as the released file has it.
  const float end = std::bit_cast<float>(0x40555556u);
  const AnimationChannel door = Channel(kChannelScalar, -1, {0, end}, {0, 1.22173f});
  EXPECT_EQ(ChannelHeaderBytes(door),
            (std::vector<std::uint8_t>{2, 0, 0, 0, 0x00, 0x00, 0x80, 0xBF, 1, 0, 0, 0}));
  EXPECT_EQ(ChannelFrameBytes(door),
            (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0x56, 0x55, 0x55, 0x40, 0xA6, 0x61,
                                       0x9C, 0x3F}));
  // A fixed interval: no times, 16 bytes a quaternion, w first.
  const AnimationChannel fan = Channel(kChannelQuaternion, 1.0f, {0, 1}, {1, 0, 0, 0, 0, 0, -1, 0});
  EXPECT_EQ(ChannelHeaderBytes(fan),
            (std::vector<std::uint8_t>{2, 0, 0, 0, 0x00, 0x00, 0x80, 0x3F, 4, 0, 0, 0}));
  EXPECT_EQ(
      ChannelFrameBytes(fan),
      (std::vector<std::uint8_t>{0, 0, 0x80, 0x3F, 0, 0, 0, 0, 0, 0, 0,    0,    0, 0, 0, 0,  //
                                 0, 0, 0,    0,    0, 0, 0, 0, 0, 0, 0x80, 0xBF, 0, 0, 0, 0}));
}

std::vector<AnimationScript> Scripts() {
  AnimationScript open{"Sc_open baydoor", {}, {}, {}};
  open.maps.push_back(
      {false, "Root", "door", Channel(kChannelScalar, -1, {0, 1.5f, 3.3f}, {0, 0.7f, 1.2f}), {}});
  open.maps.push_back({false,
                       "turret",
                       "dish",
                       Channel(kChannelQuaternion, -1, {0, 2}, {1, 0, 0, 0, 0.6f, 0, 0.8f, 0}),
                       {}});
  AnimationScript fly{"Sc_fly", {}, 3.87e-4f, {}};
  fly.maps.push_back({true,
                      "Root",
                      "",
                      Channel(kChannelPositionQuaternion, 0.5f, {0, 0.5f},
                              {1, 2, 3, 1, 0, 0, 0, -1, -2, -3, 0, 1, 0, 0}),
                      {}});
  return {open, fly};
}

TEST(AnimationScripts, ReadBackAsWritten) {
  UtfTree tree;
  UtfNode top = tree.AddNode(nullptr, "\\");
  tree.AddNode(tree.AddNode(top, "Animation"), "Script");  // an old one, replaced
  WriteAnimationScripts(tree, Scripts());
  UtfTree read;
  ASSERT_TRUE(ReadUtfBytes(WriteUtfBytes(tree), read, nullptr).ok());
  Findings findings;
  std::vector<AnimationScript> decoded = DecodeAnimationScripts(read, findings);
  EXPECT_TRUE(findings.empty());
  const std::vector<AnimationScript> written = Scripts();
  ASSERT_EQ(decoded.size(), written.size());
  for (std::size_t s = 0; s < written.size(); ++s) {
    EXPECT_EQ(decoded[s].name, written[s].name);
    EXPECT_EQ(decoded[s].rootHeight, written[s].rootHeight);
    ASSERT_EQ(decoded[s].maps.size(), written[s].maps.size());
    for (std::size_t m = 0; m < written[s].maps.size(); ++m) {
      const ScriptMap& a = decoded[s].maps[m];
      const ScriptMap& b = written[s].maps[m];
      EXPECT_EQ(a.objectMap, b.objectMap);
      EXPECT_EQ(a.parent, b.parent);
      EXPECT_EQ(a.child, b.child);
      EXPECT_EQ(a.channel.type, b.channel.type);
      EXPECT_EQ(a.channel.interval, b.channel.interval);
      EXPECT_EQ(a.channel.times, b.channel.times);
      EXPECT_EQ(a.channel.values, b.channel.values);
    }
  }
  // One "Animation", its maps' children in the order released files mostly use.
  UtfNode animation = read.FindNode(read.Root(), "Animation");
  ASSERT_NE(animation, nullptr);
  EXPECT_EQ(read.NextSibling(animation), nullptr);
  std::vector<std::string> names;
  UtfNode map = read.FindNode(nullptr, "Joint map 1");
  for (UtfNode child = read.FirstChild(map); child; child = read.NextSibling(child)) {
    names.push_back(read.Name(child));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Parent name", "Child name", "Channel"}));
  EXPECT_EQ(read.Data(read.FindNode(map, "Child name"))->size(), 5u);  // "dish" and a zero
  EXPECT_EQ(read.Name(read.FirstChild(read.FindNode(nullptr, "Sc_fly"))), "Object map 0");

  WriteAnimationScripts(tree, {});
  EXPECT_EQ(tree.FindNode(top, "Animation"), nullptr);
}

// Child names of each script's maps after an update, "-" for an object map.
std::vector<std::string> MapsAfter(const UtfTree& tree) {
  std::vector<std::string> lines;
  UtfNode list = tree.FindNode(tree.FindNode(tree.Root(), "Animation"), "Script");
  for (UtfNode script = list ? tree.FirstChild(list) : nullptr; script;
       script = tree.NextSibling(script)) {
    std::string line = tree.Name(script) + ":";
    for (UtfNode map = tree.FirstChild(script); map; map = tree.NextSibling(map)) {
      UtfNode child = tree.FindNode(map, "Child name");
      std::string name =
          child ? std::string(tree.Data(child)->begin(), tree.Data(child)->end() - 1) : "-";
      line += " " + tree.Name(map) + "=" + (tree.FirstChild(map) ? name : "leaf");
    }
    lines.push_back(line);
  }
  return lines;
}

TEST(AnimationScripts, UpdateReplacesTheMapsOfExportedPartsAndKeepsTheOthers) {
  UtfTree tree;
  tree.AddNode(nullptr, "\\");
  const auto map = [](const char* child, float value) {
    return ScriptMap{false, "Root", child, Channel(kChannelScalar, -1, {0}, {value}), {}};
  };
  AnimationScript open{"Sc_open", {map("door", 1), map("turret", 2), map("hatch", 3)}, 0.5f, {}};
  AnimationScript fly{"Sc_fly", {}, {}, {}};
  fly.maps.push_back(
      {true, "Root", "", Channel(kChannelPositionQuaternion, -1, {0}, {0, 0, 0, 1, 0, 0, 0}), {}});
  AnimationScript turn{"Sc_turn", {map("turret", 4)}, {}, {}};
  WriteAnimationScripts(tree, {open, fly, turn});

  // The export holds door and turret; its script "sc_OPEN" moves the door alone.
  MergeAnimationScripts(
      tree, {{"sc_OPEN", {map("door", 9)}, {}, {}}, {"Sc_new", {map("turret", 7)}, {}, {}}},
      {"DOOR", "turret"});
  EXPECT_EQ(MapsAfter(tree), (std::vector<std::string>{
                                 "Sc_open: Joint map 0=hatch Joint map 1=door Root height=leaf",
                                 "Sc_fly: Object map 0=-", "Sc_new: Joint map 0=turret"}));
  UtfNode door = tree.FindNode(tree.FindNode(nullptr, "Sc_open"), "Joint map 1");
  const std::vector<std::uint8_t> frames = ChannelFrameBytes(Channel(kChannelScalar, -1, {0}, {9}));
  EXPECT_TRUE(*tree.Data(tree.FindNode(tree.FindNode(door, "Channel"), "Frames")) ==
              std::span<const std::uint8_t>(frames));
}

}  // namespace
}  // namespace svcmp
