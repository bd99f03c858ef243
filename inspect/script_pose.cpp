#include "inspect/script_pose.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "inspect/model_summary.h"
#include "inspect/node_lookup.h"

namespace svcmp {
namespace {

// The frames around `time` and how far between them it lies (0 at the
// first, 1 at the second).
struct Between {
  std::size_t first = 0, second = 0;
  float weight = 0;
};

Between FramesAround(const AnimationChannel& channel, float time) {
  const std::vector<float>& times = channel.times;
  const auto after = std::upper_bound(times.begin(), times.end(), time);
  if (after == times.begin()) return {0, 0, 0};
  if (after == times.end()) return {times.size() - 1, times.size() - 1, 0};
  const auto second = static_cast<std::size_t>(after - times.begin());
  const float span = times[second] - times[second - 1];
  return {second - 1, second, span > 0 ? (time - times[second - 1]) / span : 0};
}

// Normalised linear interpolation, through the nearer of q2 and -q2: the
// shorter way round, as near a spherical one as a preview needs.
std::array<float, 4> BlendQuaternions(const float* q1, const float* q2, float weight) {
  double dot = 0;
  for (int i = 0; i < 4; ++i) dot += double{q1[i]} * q2[i];
  const float sign = dot < 0 ? -1.0f : 1.0f;
  std::array<float, 4> q{};
  double length = 0;
  for (int i = 0; i < 4; ++i) {
    q[i] = q1[i] * (1 - weight) + sign * q2[i] * weight;
    length += double{q[i]} * q[i];
  }
  if (length == 0) return {1, 0, 0, 0};
  for (float& c : q) c = static_cast<float>(c / std::sqrt(length));
  return q;
}

// The motion of one map at `time`, in the moved part's frame.
PartTransform MotionAt(const ScriptMap& map, const Joint* joint, float time) {
  const AnimationChannel& channel = map.channel;
  const Between at = FramesAround(channel, time);
  const std::size_t count = ChannelValueCount(channel.type);
  const float* first = &channel.values[at.first * count];
  const float* second = &channel.values[at.second * count];
  PartTransform motion;
  if (channel.type == kChannelScalar) {
    const float value = first[0] + (second[0] - first[0]) * at.weight;
    const double length =
        std::hypot(double{joint->axis[0]}, double{joint->axis[1]}, double{joint->axis[2]});
    if (!(length > 0)) return motion;  // no axis to move along; check names it
    const Vector3 axis{static_cast<float>(joint->axis[0] / length),
                       static_cast<float>(joint->axis[1] / length),
                       static_cast<float>(joint->axis[2] / length)};
    if (joint->kind == JointKind::Rev) {
      motion.rotation = AxisAngleMatrix(axis, value);
    } else {
      motion.translation = {axis[0] * value, axis[1] * value, axis[2] * value};
    }
    return motion;
  }
  const std::size_t q = channel.type == kChannelPositionQuaternion ? 3 : 0;
  const auto turn = BlendQuaternions(first + q, second + q, at.weight);
  motion.rotation = QuaternionMatrix(turn[0], turn[1], turn[2], turn[3]);
  if (q == 3) {
    for (std::size_t i = 0; i < 3; ++i) {
      motion.translation[i] = first[i] + (second[i] - first[i]) * at.weight;
    }
  }
  return motion;
}

// Whether the channel is one the joint's kind takes; check reports the rest.
bool Fits(const ScriptMap& map, const Joint* joint) {
  if (map.objectMap) return map.channel.type == kChannelPositionQuaternion;
  if (joint == nullptr) return false;
  switch (joint->kind) {
    case JointKind::Rev:
    case JointKind::Pris:
      return map.channel.type == kChannelScalar;
    case JointKind::Sphere:
      return map.channel.type == kChannelQuaternion;
    case JointKind::Fix:
      return false;
  }
  return false;
}

}  // namespace

const AnimationScript* FindScript(const CompoundModel& model, std::string_view name) {
  for (const AnimationScript& script : model.scripts) {
    if (SameNameNoCase(script.name, name)) return &script;
  }
  return nullptr;
}

ScriptPose PoseOfScript(const CompoundModel& model, const AnimationScript& script, float time) {
  ScriptPose pose;
  for (const ScriptMap& map : script.maps) {
    const Joint* joint = map.objectMap ? nullptr : FindJointOfChild(model, map.child);
    if (!Fits(map, joint) || map.channel.times.empty()) continue;
    pose[NameKey(map.objectMap ? map.parent : map.child)] = MotionAt(map, joint, time);
  }
  return pose;
}

Matrix3 QuaternionMatrix(float w, float x, float y, float z) {
  return {1 - 2 * (y * y + z * z), 2 * (x * y - w * z),     2 * (x * z + w * y),
          2 * (x * y + w * z),     1 - 2 * (x * x + z * z), 2 * (y * z - w * x),
          2 * (x * z - w * y),     2 * (y * z + w * x),     1 - 2 * (x * x + y * y)};
}

std::array<float, 4> MatrixQuaternion(const Matrix3& f) {
  const std::array<double, 9> m{f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8]};
  std::array<double, 4> q{};
  const double trace = m[0] + m[4] + m[8];
  // The largest of the four square roots keeps the division away from zero.
  if (trace > 0) {
    const double s = 2 * std::sqrt(trace + 1);
    q = {s / 4, (m[7] - m[5]) / s, (m[2] - m[6]) / s, (m[3] - m[1]) / s};
  } else if (m[0] > m[4] && m[0] > m[8]) {
    const double s = 2 * std::sqrt(1 + m[0] - m[4] - m[8]);
    q = {(m[7] - m[5]) / s, s / 4, (m[1] + m[3]) / s, (m[2] + m[6]) / s};
  } else if (m[4] > m[8]) {
    const double s = 2 * std::sqrt(1 + m[4] - m[0] - m[8]);
    q = {(m[2] - m[6]) / s, (m[1] + m[3]) / s, s / 4, (m[5] + m[7]) / s};
  } else {
    const double s = 2 * std::sqrt(1 + m[8] - m[0] - m[4]);
    q = {(m[3] - m[1]) / s, (m[2] + m[6]) / s, (m[5] + m[7]) / s, s / 4};
  }
  const double length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
  const double sign = q[0] < 0 ? -1 : 1;
  return {static_cast<float>(sign * q[0] / length), static_cast<float>(sign * q[1] / length),
          static_cast<float>(sign * q[2] / length), static_cast<float>(sign * q[3] / length)};
}

Matrix3 AxisAngleMatrix(const Vector3& axis, float angle) {
  const float half = angle / 2;
  const float s = std::sin(half);
  return QuaternionMatrix(std::cos(half), axis[0] * s, axis[1] * s, axis[2] * s);
}

}  // namespace svcmp
