#include "exporter/scripts_from_animations.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <optional>

#include "exporter/node_frames.h"

namespace svcmp {
namespace {

using frames::Affine;
using frames::Frame;
using frames::Mat3;
using frames::Vec3;

// A part may move this share of the model's size where its joint lets it
// only turn, or leave its axis by it where it slides: float keys of a
// part turning about a point away from the origin stay far below it.
constexpr double kMoveTolerance = 1e-4;
// Radians a part may turn where its joint does not let it (or about
// another axis than its joint's).
constexpr double kTurnTolerance = 1e-4;
constexpr double kPi = std::numbers::pi;

using Quaternion = std::array<double, 4>;  // w, x, y, z

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string Seconds(double time) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", time);
  return text;
}

std::string NumberText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

bool StartsWithNoCase(std::string_view name, std::string_view prefix) {
  if (name.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(name[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i]))) {
      return false;
    }
  }
  return true;
}

// The rotation's unit quaternion with w >= 0.
Quaternion QuaternionOf(const Mat3& m) {
  Quaternion q;
  const double trace = m[0] + m[4] + m[8];
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
  for (double& c : q) c *= sign / length;
  return q;
}

double Dot(const Vec3& a, const Vec3& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

Vec3 Unit(const Vec3& v) {
  const double length = frames::Length(v);
  return length > 0 ? Vec3{v[0] / length, v[1] / length, v[2] / length} : Vec3{0, 1, 0};
}

// What is left of `v` across the unit direction `axis`.
double Across(const Vec3& v, const Vec3& axis) {
  const double along = Dot(v, axis);
  return frames::Length({v[0] - along * axis[0], v[1] - along * axis[1], v[2] - along * axis[2]});
}

// Whether the channel's keys hold more than one value.
bool Varies(const msAnimationChannel* channel) {
  const std::size_t size = channel->values.size() / channel->times.size();
  for (std::size_t i = size; i < channel->values.size(); ++i) {
    if (channel->values[i] != channel->values[i % size]) return true;
  }
  return false;
}

// The number of floats a key of the channel holds.
std::size_t KeySize(const msAnimationChannel& channel) {
  const std::size_t size = channel.path == msAnimationPath::Rotation ? 4 : 3;
  return channel.interpolation == msInterpolation::CubicSpline ? 3 * size : size;
}

// The channel's value at `time`: before its first key the first, after its
// last the last; between keys as its interpolation says (rotations along the
// shorter arc, spline rotations made unit).
std::array<double, 4> Sample(const msAnimationChannel& channel, double time) {
  const std::size_t size = channel.path == msAnimationPath::Rotation ? 4 : 3;
  const bool cubic = channel.interpolation == msInterpolation::CubicSpline;
  const auto value = [&](std::size_t key, std::size_t part) {  // part: 0 in, 1 value, 2 out
    std::array<double, 4> out{};
    const std::size_t at = cubic ? (3 * key + part) * size : key * size;
    for (std::size_t i = 0; i < size; ++i) out[i] = channel.values[at + i];
    return out;
  };
  const std::vector<float>& times = channel.times;
  const auto after = std::upper_bound(times.begin(), times.end(), time);
  if (after == times.begin()) return value(0, 1);
  if (after == times.end()) return value(times.size() - 1, 1);
  const auto next = static_cast<std::size_t>(after - times.begin());
  const std::size_t key = next - 1;
  if (channel.interpolation == msInterpolation::Step) return value(key, 1);
  const double span = double{times[next]} - times[key];
  const double s = span > 0 ? (time - times[key]) / span : 0;
  std::array<double, 4> out{};
  const auto a = value(key, 1), b = value(next, 1);
  if (cubic) {
    const auto outTangent = value(key, 2), inTangent = value(next, 0);
    const double s2 = s * s, s3 = s2 * s;
    for (std::size_t i = 0; i < size; ++i) {
      out[i] = (2 * s3 - 3 * s2 + 1) * a[i] + (s3 - 2 * s2 + s) * span * outTangent[i] +
               (-2 * s3 + 3 * s2) * b[i] + (s3 - s2) * span * inTangent[i];
    }
  } else if (size == 4) {
    double dot = 0;
    for (std::size_t i = 0; i < 4; ++i) dot += a[i] * b[i];
    const double sign = dot < 0 ? -1 : 1;
    dot = std::min(std::abs(dot), 1.0);
    const double angle = std::acos(dot);
    const double wa = angle > 1e-9 ? std::sin((1 - s) * angle) / std::sin(angle) : 1 - s;
    const double wb = angle > 1e-9 ? std::sin(s * angle) / std::sin(angle) : s;
    for (std::size_t i = 0; i < 4; ++i) out[i] = wa * a[i] + sign * wb * b[i];
  } else {
    for (std::size_t i = 0; i < size; ++i) out[i] = a[i] + (b[i] - a[i]) * s;
  }
  return out;
}

class ScriptFormer {
 public:
  ScriptFormer(const msModel& model, const PartsFromNodes& parts, int divisor, int sign)
      : model_(model), parts_(parts), divisor_(divisor), sign_(sign) {
    world_.resize(model.nodes.size());
    for (std::size_t i = 0; i < model.nodes.size(); ++i) {
      const int parent = model.nodes[i].parent;
      world_[i] = parent >= 0 && parent < static_cast<int>(i)
                      ? frames::Compose(world_[static_cast<std::size_t>(parent)],
                                        frames::LocalTransform(model.nodes[i]))
                      : frames::LocalTransform(model.nodes[i]);
    }
    tolerance_ = kMoveTolerance * ModelSize();
  }

  ScriptsFromAnimations Form() {
    ScriptsFromAnimations result;
    std::vector<std::size_t> madeBy;  // per script, its animation
    for (std::size_t a = 0; a < model_.animations.size() && error_.empty(); ++a) {
      std::optional<AnimationScript> script = FormScript(a);
      if (!script) continue;
      for (std::size_t s = 0; s < result.scripts.size() && error_.empty(); ++s) {
        const std::string& earlier = result.scripts[s].name;
        if (earlier.size() == script->name.size() && StartsWithNoCase(earlier, script->name)) {
          error_ = "animations " + Quoted(AnimationName(madeBy[s])) + " and " +
                   Quoted(AnimationName(a)) + " both make the script " + Quoted(script->name) +
                   " (letter case aside), and the game starts scripts by name; rename one";
        }
      }
      result.scripts.push_back(std::move(*script));
      madeBy.push_back(a);
    }
    result.warnings = std::move(warnings_);
    if (!error_.empty()) {
      result.scripts.clear();
      result.error = std::move(error_);
    }
    return result;
  }

 private:
  // The longest side of the box around every vertex (in the model's frame), 1 without any.
  double ModelSize() const {
    std::array<double, 3> low{}, high{};
    bool any = false;
    for (const msMesh& mesh : model_.meshes) {
      for (const msVertex& vertex : mesh.vertices) {
        for (int k = 0; k < 3; ++k) {
          low[k] = any ? std::min(low[k], double{vertex.position[k]}) : vertex.position[k];
          high[k] = any ? std::max(high[k], double{vertex.position[k]}) : vertex.position[k];
        }
        any = true;
      }
    }
    const double size = std::max({high[0] - low[0], high[1] - low[1], high[2] - low[2]});
    return size > 0 ? size : 1;
  }

  std::string AnimationName(std::size_t a) const {
    const std::string& name = model_.animations[a].name;
    return name.empty() ? "animation " + std::to_string(a + 1) : name;
  }

  std::string NodeName(std::size_t node) const {
    const std::string& name = model_.nodes[node].name;
    return name.empty() ? "node_" + std::to_string(node + 1) : name;
  }

  void Fail(std::size_t a, std::size_t node, const std::string& what) {
    if (error_.empty()) {
      error_ = "animation " + Quoted(AnimationName(a)) + ", node " + Quoted(NodeName(node)) + ": " +
               what;
    }
  }

  std::optional<AnimationScript> FormScript(std::size_t a) {
    const msAnimation& animation = model_.animations[a];
    std::map<std::size_t, std::vector<const msAnimationChannel*>> byNode;  // in node order
    for (const msAnimationChannel& channel : animation.channels) {
      if (channel.node < 0 || static_cast<std::size_t>(channel.node) >= model_.nodes.size()) {
        error_ = "animation " + Quoted(AnimationName(a)) + " keys a node the model does not have";
        return std::nullopt;
      }
      const auto node = static_cast<std::size_t>(channel.node);
      if (channel.times.empty() ||
          channel.values.size() != channel.times.size() * KeySize(channel)) {
        Fail(a, node,
             "a channel holds " + std::to_string(channel.values.size()) + " values for " +
                 std::to_string(channel.times.size()) + " keys");
        return std::nullopt;
      }
      for (std::size_t k = 0; k < channel.times.size(); ++k) {
        if (!std::isfinite(channel.times[k]) || channel.times[k] < 0 ||
            (k > 0 && !(channel.times[k] > channel.times[k - 1]))) {
          Fail(a, node,
               "key times start at 0 s or later and rise from key to key; key " +
                   std::to_string(k) + " is at " + Seconds(channel.times[k]));
          return std::nullopt;
        }
      }
      byNode[node].push_back(&channel);
    }
    AnimationScript script;
    script.name = AnimationName(a);
    if (!StartsWithNoCase(script.name, kScriptPrefix))
      script.name = std::string(kScriptPrefix) + script.name;
    std::vector<std::string> notParts;
    for (const auto& [node, channels] : byNode) {
      const auto found = std::find(parts_.partNodes.begin(), parts_.partNodes.end(), node);
      if (found == parts_.partNodes.end()) {
        // Keys that hold a node still lose nothing.
        if (std::any_of(channels.begin(), channels.end(), Varies)) {
          notParts.push_back(Quoted(NodeName(node)));
        }
        continue;
      }
      const auto part = static_cast<std::size_t>(found - parts_.partNodes.begin());
      std::optional<ScriptMap> map = FormMap(a, node, part, channels);
      if (!error_.empty()) return std::nullopt;
      if (map) script.maps.push_back(std::move(*map));
    }
    if (!notParts.empty()) {
      std::string list;
      for (const std::string& name : notParts) list += (list.empty() ? "" : ", ") + name;
      warnings_.push_back(
          "animation " + Quoted(AnimationName(a)) +
          " keys nodes that are no parts, which a script cannot move; left out: " + list);
    }
    // One that moves no part with a joint makes no script; the warnings
    // above name what it moves.
    if (script.maps.empty()) return std::nullopt;
    return script;
  }

  // The times of the part's frames: the keys of its linear channels merged,
  // or 30 a second to its last key where one is step or cubic; from 0 s.
  static std::vector<double> FrameTimes(const std::vector<const msAnimationChannel*>& channels) {
    std::vector<double> times{0.0};
    double last = 0;
    bool sampled = false;
    for (const msAnimationChannel* channel : channels) {
      sampled |= channel->interpolation != msInterpolation::Linear;
      last = std::max(last, double{channel->times.back()});
      times.insert(times.end(), channel->times.begin(), channel->times.end());
    }
    if (sampled) {
      times.clear();
      for (int i = 0; i / double{kScriptSamplesPerSecond} < last; ++i) {
        times.push_back(i / double{kScriptSamplesPerSecond});
      }
      times.push_back(last);
    }
    std::sort(times.begin(), times.end());
    // Times that the script's floats would not tell apart are one frame, at
    // the latest of them: a key's own time, where a sample falls just before it.
    std::vector<double> merged;
    for (const double time : times) {
      if (!merged.empty() && static_cast<float>(merged.back()) == static_cast<float>(time)) {
        merged.back() = time;
      } else {
        merged.push_back(time);
      }
    }
    return merged;
  }

  // The part's node transform at `time`: its rest transform with what the
  // channels key put in.
  Affine LocalAt(std::size_t node, const std::vector<const msAnimationChannel*>& channels,
                 double time) const {
    const msNode& rest = model_.nodes[node];
    std::array<float, 3> translation = rest.translation, scale = rest.scale;
    std::array<float, 4> rotation = rest.rotation;
    for (const msAnimationChannel* channel : channels) {
      const auto value = Sample(*channel, time);
      switch (channel->path) {
        case msAnimationPath::Translation:
          for (int i = 0; i < 3; ++i) translation[i] = static_cast<float>(value[i]);
          break;
        case msAnimationPath::Rotation:
          for (int i = 0; i < 4; ++i) rotation[i] = static_cast<float>(value[i]);
          break;
        case msAnimationPath::Scale:
          for (int i = 0; i < 3; ++i) scale[i] = static_cast<float>(value[i]);
          break;
      }
    }
    return frames::TrsTransform(translation, rotation, scale);
  }

  std::optional<ScriptMap> FormMap(std::size_t a, std::size_t node, std::size_t part,
                                   const std::vector<const msAnimationChannel*>& channels) {
    const std::vector<double> times = FrameTimes(channels);
    const int parent = model_.nodes[node].parent;
    const Affine parentWorld = parent >= 0 ? world_[static_cast<std::size_t>(parent)] : Affine{};
    bool sheared = false;
    const Frame rest = frames::RigidFrameOf(world_[node], sheared).value_or(Frame{});
    const PartJoint& joint = parts_.parts[part].joint;
    // The axis in the part's frame and the model's orientation, as the node property gave it.
    const Vec3 axis =
        Unit({joint.axis[0], sign_ * double{joint.axis[1]}, sign_ * double{joint.axis[2]}});

    ScriptMap map;
    map.parent = joint.parent;
    map.child = parts_.parts[part].name;
    AnimationChannel& channel = map.channel;
    channel.type = joint.kind == PartJointKind::Sphere ? kChannelQuaternion : kChannelScalar;
    bool moves = false;
    Quaternion previous{1, 0, 0, 0};
    double previousAngle = 0;
    for (const double time : times) {
      const std::optional<Frame> now = frames::RigidFrameOf(
          frames::Compose(parentWorld, LocalAt(node, channels, time)), sheared);
      if (!now) {
        Fail(a, node, "at " + Seconds(time) + " the part is scaled to nothing along an axis");
        return std::nullopt;
      }
      // The motion in the part's rest frame.
      const Mat3 turn = frames::Multiply(frames::Transposed(rest.rotation), now->rotation);
      const Vec3 move =
          frames::Apply(frames::Transposed(rest.rotation), frames::Minus(now->origin, rest.origin));
      Quaternion q = QuaternionOf(turn);
      const double turned = 2 * std::atan2(frames::Length({q[1], q[2], q[3]}), q[0]);
      const double moved = frames::Length(move);
      moves |= turned > kTurnTolerance || moved > tolerance_;
      const std::string at = "at " + Seconds(time) + " the part ";
      channel.times.push_back(static_cast<float>(time));
      switch (joint.kind) {
        case PartJointKind::Fix:
          continue;  // an error below if it moves at all
        case PartJointKind::Rev: {
          if (moved > tolerance_) {
            Fail(a, node,
                 at + "moves by " + NumberText(moved) +
                     " while its rev joint only lets it turn; move its parent instead");
            return std::nullopt;
          }
          const Vec3 about{q[1], q[2], q[3]};
          if (Across(about, axis) > std::sin(kTurnTolerance / 2)) {
            Fail(a, node,
                 at + "turns about another axis than its rev joint's (property "
                      "axis_rotation)");
            return std::nullopt;
          }
          double angle = 2 * std::atan2(Dot(about, axis), q[0]);
          // Continuous turns keep counting past half a turn.
          angle += 2 * kPi * std::round((previousAngle - angle) / (2 * kPi));
          previousAngle = angle;
          channel.values.push_back(static_cast<float>(angle));
          break;
        }
        case PartJointKind::Pris:
          if (turned > kTurnTolerance) {
            Fail(a, node,
                 at + "turns by " + NumberText(turned) +
                     " radians while its pris joint only lets it slide");
            return std::nullopt;
          }
          if (Across(move, axis) > tolerance_) {
            Fail(a, node,
                 at +
                     "leaves the axis of its pris joint (property axis_translation) "
                     "by " +
                     NumberText(Across(move, axis)));
            return std::nullopt;
          }
          channel.values.push_back(static_cast<float>(Dot(move, axis) / divisor_));
          break;
        case PartJointKind::Sphere: {
          if (moved > tolerance_) {
            Fail(
                a, node,
                at + "moves by " + NumberText(moved) + " while its sphere joint only lets it turn");
            return std::nullopt;
          }
          // Into the file's orientation; the nearer of q and -q to the frame before.
          q = {q[0], q[1], sign_ * q[2], sign_ * q[3]};
          if (q[0] * previous[0] + q[1] * previous[1] + q[2] * previous[2] + q[3] * previous[3] <
              0) {
            for (double& c : q) c = -c;
          }
          previous = q;
          for (double c : q) channel.values.push_back(static_cast<float>(c));
          break;
        }
      }
    }
    if (joint.kind == PartJointKind::Fix) {
      // No script moves a part without a joint that moves: keys that leave
      // it where it is (tools key every node) say nothing; a motion is left
      // out with a word, as files that move the whole model export as before.
      if (moves) {
        warnings_.push_back(
            "animation " + Quoted(AnimationName(a)) + ", node " + Quoted(NodeName(node)) +
            (part == 0 ? ": the root part moves, which no script can do; left out"
                       : ": the part moves, but its joint is fix; left out (give the node the "
                         "property construct: rev, pris or sphere)"));
      }
      return std::nullopt;
    }
    WarnOfLimits(a, node, map, joint);
    return map;
  }

  void WarnOfLimits(std::size_t a, std::size_t node, const ScriptMap& map, const PartJoint& joint) {
    const AnimationChannel& channel = map.channel;
    for (std::size_t frame = 0; frame < channel.FrameCount(); ++frame) {
      std::string why;
      if (joint.kind == PartJointKind::Sphere) {
        const float* q = &channel.values[4 * frame];
        const auto angles = SphereTurnAngles(q[0], q[1], q[2], q[3]);
        for (std::size_t k = 0; k < 3 && why.empty(); ++k) {
          if (angles[k] < joint.sphereLimits[2 * k] || angles[k] > joint.sphereLimits[2 * k + 1]) {
            why = "turns " + NumberText(angles[k]) + " radians about " + "xyz"[k] +
                  ", outside its limits " + NumberText(joint.sphereLimits[2 * k]) + " to " +
                  NumberText(joint.sphereLimits[2 * k + 1]);
          }
        }
      } else if (channel.values[frame] < joint.min || channel.values[frame] > joint.max) {
        why = (joint.kind == PartJointKind::Rev ? "turns to " : "slides to ") +
              NumberText(channel.values[frame]) + ", outside its limits " + NumberText(joint.min) +
              " to " + NumberText(joint.max) + " (properties min, max)";
      }
      if (why.empty()) continue;
      warnings_.push_back("animation " + Quoted(AnimationName(a)) + ", node " +
                          Quoted(NodeName(node)) + ": at " + Seconds(channel.times[frame]) +
                          " the part " + why);
      return;  // one a part is enough
    }
  }

  const msModel& model_;
  const PartsFromNodes& parts_;
  const int divisor_;
  const int sign_;
  std::vector<Affine> world_;
  double tolerance_ = 0;
  std::vector<std::string> warnings_;
  std::string error_;
};

}  // namespace

ScriptsFromAnimations FormScriptsFromAnimations(const msModel& model, const PartsFromNodes& parts,
                                                int scaleDivisor, int orientationSign) {
  return ScriptFormer(model, parts, scaleDivisor, orientationSign).Form();
}

}  // namespace svcmp
