#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The joint animation scripts of a compound model ("Animation/Script"): node
// names, the channel's layout, and the script as the reader gives it and the
// writer takes it.
namespace svcmp {

inline constexpr std::string_view kNodeAnimation = "Animation";
inline constexpr std::string_view kNodeScript = "Script";
// Maps are numbered from 0: "Joint map 0", "Joint map 1", ...
inline constexpr std::string_view kJointMapPrefix = "Joint map ";
inline constexpr std::string_view kObjectMapPrefix = "Object map ";
inline constexpr std::string_view kNodeParentName = "Parent name";
inline constexpr std::string_view kNodeChildName = "Child name";
inline constexpr std::string_view kNodeChannel = "Channel";
inline constexpr std::string_view kNodeHeader = "Header";
inline constexpr std::string_view kNodeFrames = "Frames";
inline constexpr std::string_view kNodeRootHeight = "Root height";
// The game's data files start scripts by names that begin so.
inline constexpr std::string_view kScriptPrefix = "Sc_";

// "Channel/Header":
//   0 i32 frame count (at least 1)
//   4 f32 interval: -1 when every frame carries its time, else the seconds between frames
//   8 u32 channel type
inline constexpr std::size_t kChannelHeaderSize = 4 + 4 + 4;
static_assert(kChannelHeaderSize == 12);
inline constexpr float kTimedInterval = -1.0f;

// Channel types: one float (radians about a Rev joint's axis, distance along
// a Pris joint's axis); a quaternion w, x, y, z (a Sphere joint); a position
// then a quaternion (the whole model, in an object map).
inline constexpr std::uint32_t kChannelScalar = 0x01;
inline constexpr std::uint32_t kChannelQuaternion = 0x04;
inline constexpr std::uint32_t kChannelPositionQuaternion = 0x06;

// The floats of one frame's value; 0 for a type that is none of the above.
constexpr std::size_t ChannelValueCount(std::uint32_t type) {
  switch (type) {
    case kChannelScalar:
      return 1;
    case kChannelQuaternion:
      return 4;
    case kChannelPositionQuaternion:
      return 3 + 4;
  }
  return 0;
}

// "Channel/Frames" holds frame count frames of this size: the time (timed
// channels only), then the value.
constexpr std::size_t ChannelFrameSize(std::uint32_t type, bool timed) {
  return (timed ? 4 : 0) + 4 * ChannelValueCount(type);
}
static_assert(ChannelFrameSize(kChannelScalar, true) == 8 &&
              ChannelFrameSize(kChannelQuaternion, false) == 16 &&
              ChannelFrameSize(kChannelPositionQuaternion, true) == 32);

// A Sphere joint's limits are three pairs, about x, y and z: the angles of
// the turns about x, then y, then z that the unit quaternion (w, x, y, z)
// makes, each within -pi to pi, are what they bound.
inline std::array<double, 3> SphereTurnAngles(double w, double x, double y, double z) {
  const double sinY = std::clamp(2 * (w * y - z * x), -1.0, 1.0);
  return {std::atan2(2 * (w * x + y * z), 1 - 2 * (x * x + y * y)), std::asin(sinY),
          std::atan2(2 * (w * z + x * y), 1 - 2 * (y * y + z * z))};
}

struct AnimationChannel {
  std::uint32_t type = kChannelScalar;
  float interval = kTimedInterval;
  std::vector<float> times;   // one per frame in seconds; with a fixed interval i x interval
  std::vector<float> values;  // ChannelValueCount(type) per frame
  std::size_t FrameCount() const { return times.size(); }
  bool Timed() const { return interval == kTimedInterval; }
};

// A joint map moves the joint whose child is `child`; an object map (no
// child) moves the whole model.
struct ScriptMap {
  bool objectMap = false;
  std::string parent, child;
  AnimationChannel channel;
  std::string path;  // the map's node, where it was read from; unused by the writer
};

struct AnimationScript {
  std::string name;
  std::vector<ScriptMap> maps;
  std::optional<float> rootHeight;
  std::string path;  // the script's node, where it was read from; unused by the writer
  float Duration() const {
    float end = 0;
    for (const ScriptMap& map : maps) {
      if (!map.channel.times.empty() && map.channel.times.back() > end)
        end = map.channel.times.back();
    }
    return end;
  }
};

}  // namespace svcmp
