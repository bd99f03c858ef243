#include "cmp/animation_scripts.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string_view>

#include "cmp/cmp_leaf_data.h"

namespace svcmp {
namespace {

void AppendU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void AppendFloat(std::vector<std::uint8_t>& out, float value) {
  AppendU32(out, std::bit_cast<std::uint32_t>(value));
}

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

bool StartsWith(std::string_view name, std::string_view prefix) {
  return name.size() >= prefix.size() && SameName(name.substr(0, prefix.size()), prefix);
}

UtfNode FindChild(const UtfTree& tree, UtfNode parent, std::string_view name) {
  for (UtfNode child = parent ? tree.FirstChild(parent) : nullptr; child;
       child = tree.NextSibling(child)) {
    if (SameName(tree.Name(child), name)) return child;
  }
  return nullptr;
}

// A name leaf's text: up to its first zero byte.
std::string NameText(const UtfTree& tree, UtfNode leaf) {
  const DataBlock& data = leaf ? tree.Data(leaf) : DataBlock();
  if (!data) return {};
  std::string text(data->begin(), data->end());
  return text.substr(0, text.find('\0'));
}

// `source` and everything below it as a new last child of `parent`, named `name`.
void CopySubtree(UtfTree& tree, UtfNode source, UtfNode parent, std::string_view name) {
  UtfNode copy = tree.AddNode(parent, name);
  if (const DataBlock& data = tree.Data(source)) tree.SetData(copy, *data);
  for (UtfNode child = tree.FirstChild(source); child; child = tree.NextSibling(child)) {
    CopySubtree(tree, child, copy, tree.Name(child));
  }
}

void AddMap(UtfTree& tree, UtfNode script, const ScriptMap& map, std::size_t& joints,
            std::size_t& objects) {
  UtfNode mapNode =
      tree.AddNode(script, map.objectMap ? std::string(kObjectMapPrefix) + std::to_string(objects++)
                                         : std::string(kJointMapPrefix) + std::to_string(joints++));
  AddLeaf(tree, mapNode, kNodeParentName, StringLeaf(map.parent));
  if (!map.objectMap) AddLeaf(tree, mapNode, kNodeChildName, StringLeaf(map.child));
  UtfNode channel = tree.AddNode(mapNode, kNodeChannel);
  AddLeaf(tree, channel, kNodeHeader, ChannelHeaderBytes(map.channel));
  AddLeaf(tree, channel, kNodeFrames, ChannelFrameBytes(map.channel));
}

}  // namespace

std::vector<std::uint8_t> ChannelHeaderBytes(const AnimationChannel& channel) {
  std::vector<std::uint8_t> out;
  out.reserve(kChannelHeaderSize);
  AppendU32(out, static_cast<std::uint32_t>(channel.FrameCount()));
  AppendFloat(out, channel.interval);
  AppendU32(out, channel.type);
  return out;
}

std::vector<std::uint8_t> ChannelFrameBytes(const AnimationChannel& channel) {
  const std::size_t valueCount = ChannelValueCount(channel.type);
  std::vector<std::uint8_t> out;
  out.reserve(channel.FrameCount() * ChannelFrameSize(channel.type, channel.Timed()));
  for (std::size_t frame = 0; frame < channel.FrameCount(); ++frame) {
    if (channel.Timed()) AppendFloat(out, channel.times[frame]);
    for (std::size_t v = 0; v < valueCount; ++v) {
      AppendFloat(out, channel.values[frame * valueCount + v]);
    }
  }
  return out;
}

void WriteAnimationScripts(UtfTree& tree, const std::vector<AnimationScript>& scripts) {
  if (UtfNode old = FindChild(tree, tree.Root(), kNodeAnimation)) tree.RemoveSubtree(old);
  MergeAnimationScripts(tree, scripts, {});
}

void MergeAnimationScripts(UtfTree& tree, const std::vector<AnimationScript>& scripts,
                           const std::vector<std::string>& exportedParts) {
  UtfNode top = tree.Root();
  UtfNode old = FindChild(tree, top, kNodeAnimation);
  UtfNode oldList = FindChild(tree, old, kNodeScript);
  const auto exported = [&exportedParts](const std::string& child) {
    return std::any_of(exportedParts.begin(), exportedParts.end(),
                       [&child](const std::string& part) { return SameName(part, child); });
  };
  struct Entry {
    std::string name;
    UtfNode old = nullptr;
    std::vector<UtfNode> keptMaps;
    const AnimationScript* fresh = nullptr;
  };
  std::vector<Entry> entries;
  for (UtfNode script = oldList ? tree.FirstChild(oldList) : nullptr; script;
       script = tree.NextSibling(script)) {
    Entry& entry = entries.emplace_back(Entry{tree.Name(script), script, {}, nullptr});
    for (UtfNode child = tree.FirstChild(script); child; child = tree.NextSibling(child)) {
      const bool jointMap = StartsWith(tree.Name(child), kJointMapPrefix);
      if (jointMap && exported(NameText(tree, FindChild(tree, child, kNodeChildName)))) continue;
      if (jointMap || StartsWith(tree.Name(child), kObjectMapPrefix))
        entry.keptMaps.push_back(child);
    }
  }
  for (const AnimationScript& script : scripts) {
    const auto found = std::find_if(entries.begin(), entries.end(), [&script](const Entry& e) {
      return SameName(e.name, script.name);
    });
    if (found != entries.end()) {
      found->fresh = &script;
    } else {
      entries.push_back({script.name, nullptr, {}, &script});
    }
  }

  UtfNode list = nullptr;
  for (const Entry& entry : entries) {
    if (entry.keptMaps.empty() && (!entry.fresh || entry.fresh->maps.empty())) continue;
    if (!list) list = tree.AddNode(tree.AddNode(top, kNodeAnimation), kNodeScript);
    UtfNode node = tree.AddNode(list, entry.name);
    std::size_t joints = 0, objects = 0;
    for (UtfNode map : entry.keptMaps) {
      const bool object = StartsWith(tree.Name(map), kObjectMapPrefix);
      CopySubtree(tree, map, node,
                  object ? std::string(kObjectMapPrefix) + std::to_string(objects++)
                         : std::string(kJointMapPrefix) + std::to_string(joints++));
    }
    if (entry.fresh) {
      for (const ScriptMap& map : entry.fresh->maps) AddMap(tree, node, map, joints, objects);
    }
    // Leaves beside the maps ("Root height" and what other tools add) stay.
    for (UtfNode child = entry.old ? tree.FirstChild(entry.old) : nullptr; child;
         child = tree.NextSibling(child)) {
      const std::string& name = tree.Name(child);
      if (!StartsWith(name, kJointMapPrefix) && !StartsWith(name, kObjectMapPrefix)) {
        CopySubtree(tree, child, node, name);
      }
    }
    if (!entry.old && entry.fresh && entry.fresh->rootHeight) {
      AddLeaf(tree, node, kNodeRootHeight, FloatsLeaf(&*entry.fresh->rootHeight, 1));
    }
  }
  if (old) tree.RemoveSubtree(old);
}

}  // namespace svcmp
