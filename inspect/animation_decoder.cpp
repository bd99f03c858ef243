#include "inspect/animation_decoder.h"

#include "inspect/leaf_reader.h"
#include "inspect/node_lookup.h"

namespace svcmp {
namespace {

bool StartsWithNoCase(std::string_view name, std::string_view prefix) {
  return name.size() >= prefix.size() && SameNameNoCase(name.substr(0, prefix.size()), prefix);
}

void Report(Findings& findings, const std::string& path, std::string_view rule,
            std::string message) {
  findings.push_back({path, Severity::Error, std::string(rule), std::move(message)});
}

// Name leaves are zero-terminated, some padded with more zeros.
std::string NameLeaf(const UtfTree& tree, UtfNode leaf) {
  const LeafReader reader(LeafBytes(tree, leaf));
  return reader.Text(0, reader.Size());
}

class ScriptDecoder {
 public:
  ScriptDecoder(const UtfTree& tree, Findings& findings) : tree_(tree), findings_(findings) {}

  AnimationScript Decode(UtfNode node) {
    AnimationScript script;
    script.name = tree_.Name(node);
    script.path = NodePath(tree_, node);
    for (UtfNode child = tree_.FirstChild(node); child; child = tree_.NextSibling(child)) {
      const std::string_view name = tree_.Name(child);
      const bool jointMap = StartsWithNoCase(name, kJointMapPrefix);
      if (jointMap || StartsWithNoCase(name, kObjectMapPrefix)) {
        if (auto map = DecodeMap(child, !jointMap)) script.maps.push_back(std::move(*map));
      } else if (SameNameNoCase(name, kNodeRootHeight)) {
        const LeafReader reader(LeafBytes(tree_, child));
        if (reader.Size() == 4) {
          script.rootHeight = reader.Float(0);
        } else {
          Report(findings_, NodePath(tree_, child), rules::kLeafSize,
                 "\"Root height\" is one 4-byte float, this one " + std::to_string(reader.Size()) +
                     " bytes");
        }
      }
    }
    if (script.maps.empty()) {
      Report(findings_, script.path, rules::kAnimationMap, "the script moves nothing (no map)");
    }
    return script;
  }

 private:
  std::optional<ScriptMap> DecodeMap(UtfNode node, bool objectMap) {
    ScriptMap map;
    map.objectMap = objectMap;
    map.path = NodePath(tree_, node);
    UtfNode parent = FindChildNoCase(tree_, node, kNodeParentName);
    UtfNode child = objectMap ? nullptr : FindChildNoCase(tree_, node, kNodeChildName);
    UtfNode channel = FindChildNoCase(tree_, node, kNodeChannel);
    UtfNode header = FindChildNoCase(tree_, channel, kNodeHeader);
    UtfNode frames = FindChildNoCase(tree_, channel, kNodeFrames);
    std::string missing;
    const auto need = [&missing](UtfNode found, std::string_view name) {
      if (!found) missing += (missing.empty() ? "\"" : ", \"") + std::string(name) + "\"";
    };
    need(parent, kNodeParentName);
    if (!objectMap) need(child, kNodeChildName);
    need(header, std::string(kNodeChannel) + "/" + std::string(kNodeHeader));
    need(frames, std::string(kNodeChannel) + "/" + std::string(kNodeFrames));
    if (!missing.empty()) {
      Report(findings_, map.path, rules::kAnimationMap, "the map lacks " + missing);
      return std::nullopt;
    }
    map.parent = NameLeaf(tree_, parent);
    if (child) map.child = NameLeaf(tree_, child);
    auto decoded = DecodeChannel(LeafBytes(tree_, header), LeafBytes(tree_, frames),
                                 NodePath(tree_, channel), findings_);
    if (!decoded) return std::nullopt;
    map.channel = std::move(*decoded);
    return map;
  }

  const UtfTree& tree_;
  Findings& findings_;
};

}  // namespace

std::optional<AnimationChannel> DecodeChannel(std::span<const std::uint8_t> header,
                                              std::span<const std::uint8_t> frames,
                                              const std::string& path, Findings& findings) {
  const LeafReader head(header);
  if (head.Size() < kChannelHeaderSize) {
    Report(findings, path, rules::kLeafSize,
           "\"Header\" is " + std::to_string(kChannelHeaderSize) + " bytes, this one " +
               std::to_string(head.Size()));
    return std::nullopt;
  }
  const auto count = static_cast<std::int32_t>(head.U32(0));
  AnimationChannel channel;
  channel.interval = head.Float(4);
  channel.type = head.U32(8);
  if (count < 1) {
    Report(findings, path, rules::kAnimationChannel,
           "the header counts " + std::to_string(count) + " frames; a channel has at least one");
    return std::nullopt;
  }
  const std::size_t valueCount = ChannelValueCount(channel.type);
  if (valueCount == 0) {
    Report(findings, path, rules::kAnimationChannel,
           "channel type " + std::to_string(channel.type) +
               " is none of 1 (angle or distance), 4 (quaternion), 6 (position and quaternion)");
    return std::nullopt;
  }
  const bool timed = channel.Timed();
  const std::size_t frameSize = ChannelFrameSize(channel.type, timed);
  const LeafReader data(frames);
  // Divided, not multiplied: a count from the file cannot overflow the check.
  if (data.Size() / frameSize < static_cast<std::size_t>(count)) {
    Report(findings, path, rules::kAnimationSize,
           std::to_string(count) + " frames of " + std::to_string(frameSize) + " bytes need " +
               std::to_string(static_cast<std::uint64_t>(count) * frameSize) +
               " bytes of \"Frames\", it holds " + std::to_string(data.Size()));
    return std::nullopt;
  }
  channel.times.reserve(static_cast<std::size_t>(count));
  channel.values.reserve(static_cast<std::size_t>(count) * valueCount);
  for (std::size_t frame = 0; frame < static_cast<std::size_t>(count); ++frame) {
    std::size_t at = frame * frameSize;
    if (timed) {
      channel.times.push_back(data.Float(at));
      at += 4;
    } else {
      channel.times.push_back(static_cast<float>(frame) * channel.interval);
    }
    for (std::size_t v = 0; v < valueCount; ++v) channel.values.push_back(data.Float(at + 4 * v));
  }
  if (timed) {
    for (std::size_t frame = 0; frame < channel.times.size(); ++frame) {
      const float time = channel.times[frame];
      const bool sound = frame == 0 ? time == 0 : time > channel.times[frame - 1];
      if (!sound) {
        Report(findings, path, rules::kAnimationTimes,
               "frame " + std::to_string(frame) + " is at " + std::to_string(time) +
                   " s; times start at 0 and rise from frame to frame");
        break;
      }
    }
  } else if (!(channel.interval > 0)) {
    Report(findings, path, rules::kAnimationTimes,
           "the interval is " + std::to_string(channel.interval) +
               " s; it is -1 (timed frames) or above 0");
  }
  return channel;
}

std::vector<AnimationScript> DecodeAnimationScripts(const UtfTree& tree, Findings& findings) {
  std::vector<AnimationScript> scripts;
  UtfNode animation = FindChildNoCase(tree, tree.Root(), kNodeAnimation);
  UtfNode list = FindChildNoCase(tree, animation, kNodeScript);
  ScriptDecoder decoder(tree, findings);
  for (UtfNode script = list ? tree.FirstChild(list) : nullptr; script;
       script = tree.NextSibling(script)) {
    scripts.push_back(decoder.Decode(script));
  }
  return scripts;
}

}  // namespace svcmp
