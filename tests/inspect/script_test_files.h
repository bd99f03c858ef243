#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "tests/inspect/inspect_test_files.h"
#include "utf/utf_tree.h"

// Animation scripts built byte by byte as released files lay them out, for
// the decoder, checker and pose tests.
namespace svcmp::testing {

inline std::vector<std::uint8_t> ChannelHeader(std::int32_t frames, float interval,
                                               std::uint32_t type) {
  return LeafBuilder().U32(static_cast<std::uint32_t>(frames)).Floats({interval}).U32(type).Take();
}

// A name leaf: the text, a zero byte, and `padding` more zero bytes.
inline std::vector<std::uint8_t> NameBytes(std::string_view text, std::size_t padding = 0) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.resize(bytes.size() + 1 + padding, 0);
  return bytes;
}

struct TestMap {
  std::string parent, child;  // no child: an object map
  std::vector<std::uint8_t> header, frames;
  bool reversed = false;  // children stored Channel, Child name, Parent name; Frames first
};

// "Animation/Script/<name>" under the file's top node, made once.
inline UtfNode AddTestScript(UtfTree& tree, std::string_view name,
                             const std::vector<TestMap>& maps) {
  UtfNode top = tree.Root();
  UtfNode animation = tree.FindNode(top, "Animation");
  if (!animation) animation = tree.AddNode(top, "Animation");
  UtfNode list = tree.FindNode(animation, "Script");
  if (!list) list = tree.AddNode(animation, "Script");
  UtfNode script = tree.AddNode(list, name);
  std::size_t joints = 0, objects = 0;
  for (const TestMap& map : maps) {
    const bool object = map.child.empty();
    UtfNode node = tree.AddNode(script, object ? "Object map " + std::to_string(objects++)
                                               : "Joint map " + std::to_string(joints++));
    const auto names = [&] {
      if (!map.reversed) AddTestLeaf(tree, node, "Parent name", NameBytes(map.parent));
      if (!object) AddTestLeaf(tree, node, "Child name", NameBytes(map.child, 2));
      if (map.reversed) AddTestLeaf(tree, node, "Parent name", NameBytes(map.parent, 3));
    };
    if (!map.reversed) names();
    UtfNode channel = tree.AddNode(node, "Channel");
    if (map.reversed) {
      AddTestLeaf(tree, channel, "Frames", map.frames);
      AddTestLeaf(tree, channel, "Header", map.header);
      names();
    } else {
      AddTestLeaf(tree, channel, "Header", map.header);
      AddTestLeaf(tree, channel, "Frames", map.frames);
    }
  }
  return script;
}

// A timed channel of one float per frame: time, value pairs.
inline TestMap TimedScalarMap(std::string parent, std::string child,
                              std::initializer_list<float> timesAndValues) {
  return {std::move(parent), std::move(child),
          ChannelHeader(static_cast<std::int32_t>(timesAndValues.size() / 2), -1.0f, 0x01),
          LeafBuilder().Floats(timesAndValues).Take()};
}

}  // namespace svcmp::testing
