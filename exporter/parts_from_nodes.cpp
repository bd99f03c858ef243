#include "exporter/parts_from_nodes.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "cmp/cmp_assembly.h"
#include "exporter/node_frames.h"
#include "format/cmp_leaf_layout.h"
#include "format/cmp_node_names.h"
#include "host/node_property_names.h"
#include "plugin/model_capture.h"
#include "ui/export_settings.h"

// Frames are worked out in double and rounded to float once, where a value
// is stored.
namespace svcmp {
namespace {

namespace property = node_property;
using frames::Affine;
using frames::Apply;
using frames::Compose;
using frames::Frame;
using frames::IntoFrame;
using frames::Length;
using frames::LocalTransform;
using frames::Mat3;
using frames::Minus;
using frames::Multiply;
using frames::RigidFrameOf;
using frames::Transposed;
using frames::Vec3;

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EndsWithWord(std::string_view text, std::string_view word) {
  if (text.size() < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (AsciiLower(text[text.size() - word.size() + i]) != word[i]) return false;
  }
  return true;
}

// N of "NAME$lodN" (1 to 9, letter case aside); 0 for other names.
int LevelOfName(std::string_view name) {
  const bool level = name.size() >= 5 && name.back() >= '1' && name.back() <= '9' &&
                     EndsWithWord(name.substr(0, name.size() - 1), "$lod");
  return level ? name.back() - '0' : 0;
}

// The levels below 3 are the ones a file written here holds.
constexpr int kHighestLevel = 2;

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string NameList(const std::vector<std::string>& names) {
  std::string list;
  for (const std::string& name : names) list += (list.empty() ? "" : ", ") + Quoted(name);
  return list;
}

// How many letters must be put in, taken out or changed to make one name
// the other, letter case aside.
std::size_t LettersApart(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const bool same = AsciiLower(a[i - 1]) == AsciiLower(b[j - 1]);
      row[j] = std::min({above + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// The property name that `name` misspells: one that is not read but lies
// within two letters of a name that is (one letter for names of five
// letters or fewer, which two letters would match to nearly any short
// name), or differs from it in letter case alone.
std::optional<std::string_view> MisspeltName(std::string_view name) {
  for (const std::string_view known : property::kKnownNames) {
    if (name == known) return std::nullopt;
  }
  for (const std::string_view known : property::kKnownNames) {
    if (LettersApart(name, known) <= (known.size() > 5 ? 2u : 1u)) return known;
  }
  return std::nullopt;
}

double Determinant(const Mat3& m) {
  return m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
         m[2] * (m[3] * m[7] - m[4] * m[6]);
}

// The rotation of a mirrored frame (one turned inside out by a negative
// scale) that keeps its forward (Z) and up (Y) axes where the mirror puts
// them and turns its X axis round: a hardpoint's gun then fires and stands
// as the model shows it. Null when the transform flattens the frame.
std::optional<Mat3> ForwardKeepingRotation(const Mat3& m) {
  Vec3 up = {m[1], m[4], m[7]};
  Vec3 forward = {m[2], m[5], m[8]};
  const double forwardLength = Length(forward);
  if (!(forwardLength > 0)) return std::nullopt;
  for (double& value : forward) value /= forwardLength;
  const double along = up[0] * forward[0] + up[1] * forward[1] + up[2] * forward[2];
  for (int k = 0; k < 3; ++k) up[k] -= along * forward[k];
  const double upLength = Length(up);
  if (!(upLength > 1e-12 * forwardLength)) return std::nullopt;
  for (double& value : up) value /= upLength;
  const Vec3 side = {up[1] * forward[2] - up[2] * forward[1],
                     up[2] * forward[0] - up[0] * forward[2],
                     up[0] * forward[1] - up[1] * forward[0]};
  return Mat3{side[0], up[0], forward[0], side[1], up[1], forward[1], side[2], up[2], forward[2]};
}

// A node's custom properties, read with their kinds checked; the first
// property of the wrong kind is remembered in `error`.
class Properties {
 public:
  Properties(const msNode& node, std::string& error) : node_(node), error_(error) {}

  std::optional<bool> Flag(std::string_view name) {
    const msNodePropertyValue* value = Find(name);
    if (value == nullptr) return std::nullopt;
    if (const bool* truth = std::get_if<bool>(value)) return *truth;
    // Modelling tools without true and false write 0 and 1.
    if (const double* number = std::get_if<double>(value); number && (*number == 0 || *number == 1))
      return *number == 1;
    return Wrong(name, "true or false");
  }

  std::optional<double> Number(std::string_view name) {
    const msNodePropertyValue* value = Find(name);
    if (value == nullptr) return std::nullopt;
    if (const double* number = std::get_if<double>(value)) return *number;
    return Wrong(name, "a number");
  }

  std::optional<std::string> Text(std::string_view name) {
    const msNodePropertyValue* value = Find(name);
    if (value == nullptr) return std::nullopt;
    if (const std::string* text = std::get_if<std::string>(value)) return *text;
    return Wrong(name, "text");
  }

  std::optional<Vec3> Vector(std::string_view name) {
    const msNodePropertyValue* value = Find(name);
    if (value == nullptr) return std::nullopt;
    const auto* numbers = std::get_if<std::vector<double>>(value);
    if (numbers == nullptr || numbers->size() != 3) return Wrong(name, "a list of 3 numbers");
    return Vec3{(*numbers)[0], (*numbers)[1], (*numbers)[2]};
  }

  // Names an allowed value that was not given.
  std::nullopt_t Wrong(std::string_view name, std::string_view expected) {
    if (error_.empty()) {
      error_ = "node " + Quoted(node_.name) + ": property " + Quoted(name) + " must be " +
               std::string(expected);
    }
    return std::nullopt;
  }

 private:
  const msNodePropertyValue* Find(std::string_view name) const {
    for (const msNodeProperty& property : node_.properties) {
      if (property.name == name) return &property.value;
    }
    return nullptr;
  }

  const msNode& node_;
  std::string& error_;
};

enum class Role { Empty, Part, Hardpoint, Level, Hull, LeftOut };

struct NodeState {
  Role role = Role::Empty;  // LeftOut: export_ignore here or above
  int part = -1;            // the part of the node or of its nearest mesh-node ancestor
  int hardpoint = -1;       // the hardpoint node it is or lies under, below its part's node
  Affine world;
};

class PartFormer {
 public:
  PartFormer(const msModel& model, int scaleDivisor, int orientationSign, int fillToLevel)
      : model_(model),
        divisor_(scaleDivisor),
        sign_(orientationSign),
        highestLevel_(std::min(fillToLevel, kHighestLevel)) {}

  PartsFromNodes Form() {
    PartsFromNodes result;
    if (model_.nodes.empty()) {
      result.error =
          "the model has no node tree for --parts nodes (glTF, FBX, COLLADA and 3DS "
          "files and model documents with \"nodes\" have one)";
      return result;
    }
    Classify();
    if (error_.empty()) PlaceParts();
    if (error_.empty()) NameParts();
    if (error_.empty()) JoinParts();
    if (error_.empty()) PlaceHardpoints();
    if (error_.empty()) PlaceHulls();
    if (error_.empty()) MatchLevels();
    if (error_.empty()) FillLevels();
    if (!error_.empty()) {
      result.error = std::move(error_);
      result.manyRoots = manyRoots_;
      return result;
    }
    if (!unwrittenLevels_.empty()) {
      warnings_.push_back("levels of detail above 2 are left out: " + NameList(unwrittenLevels_));
    }
    if (!looseHardpoints_.empty()) {
      warnings_.push_back(
          "hardpoint meshes that no node of the tree holds are left out (make them nodes "
          "to place them on a part): " +
          NameList(looseHardpoints_));
    }
    result.model = std::move(filled_.front().model);
    result.meshesPerPart = std::move(filled_.front().meshesPerPart);
    result.sourceMeshes = std::move(filled_.front().sourceMeshes);
    for (std::size_t level = 1; level < filled_.size(); ++level) {
      result.levels.push_back(std::move(filled_[level]));
    }
    result.parts = std::move(parts_);
    for (const PartSource& source : sources_) result.partNodes.push_back(source.node);
    result.hulls = std::move(hulls_);
    result.leftOut = std::move(leftOut_);
    result.warnings = std::move(warnings_);
    return result;
  }

 private:
  static constexpr std::size_t kNoNode = static_cast<std::size_t>(-1);

  struct PartSource {
    std::size_t node;
    Frame frame;  // in the model's frame
    int parent = -1;
    std::vector<std::size_t> levelNodes = {};  // by level; kNoNode where it has none
  };

  struct LevelNode {
    std::size_t node;
    int level;
  };

  // Roles, world transforms and the part each node belongs to, parents first.
  void Classify() {
    const std::vector<msNode>& nodes = model_.nodes;
    state_.resize(nodes.size());
    for (std::size_t i = 0; i < nodes.size() && error_.empty(); ++i) {
      const msNode& node = nodes[i];
      NodeState& state = state_[i];
      if (node.parent >= static_cast<int>(i)) {
        error_ = "node " + Quoted(node.name) + " comes before its parent";
        return;
      }
      for (const int mesh : node.meshes) {
        if (mesh < 0 || static_cast<std::size_t>(mesh) >= model_.meshes.size()) {
          error_ = "node " + Quoted(node.name) + " holds a mesh the model does not have";
          return;
        }
      }
      const NodeState* parent =
          node.parent >= 0 ? &state_[static_cast<std::size_t>(node.parent)] : nullptr;
      state.world = parent ? Compose(parent->world, LocalTransform(node)) : LocalTransform(node);
      state.part = parent ? parent->part : -1;
      state.hardpoint = parent ? parent->hardpoint : -1;
      WarnOfMisspeltProperties(node);
      Properties properties(node, error_);
      const bool ignored = properties.Flag(property::kExportIgnore).value_or(false);
      const bool hull =
          properties.Flag(property::kHull).value_or(false) || EndsWithWord(node.name, "$hull");
      const bool hardpoint =
          properties.Flag(property::kHardpoint).value_or(false) || IsHardpointName(node.name);
      if (!error_.empty()) return;
      if (ignored || (parent && parent->role == Role::LeftOut)) {
        if (ignored && (!parent || parent->role != Role::LeftOut)) leftOut_.push_back(node.name);
        state.role = Role::LeftOut;
      } else if (hull) {
        state.role = Role::Hull;
        hullNodes_.push_back(i);
      } else if (const int level = LevelOfName(node.name); level > 0 && !node.meshes.empty()) {
        state.role = Role::Level;
        if (level > kHighestLevel) {
          unwrittenLevels_.push_back(node.name);
        } else {
          levelNodes_.push_back({i, level});
        }
      } else if (hardpoint) {
        state.role = Role::Hardpoint;
        state.hardpoint = static_cast<int>(i);
      } else if (!node.meshes.empty()) {
        state.role = Role::Part;
        state.hardpoint = -1;
        AddPart(i);
      }
    }
    if (error_.empty() && sources_.empty()) {
      error_ = "the node tree holds no mesh node to make the root part of";
    }
  }

  // Other properties are ignored, as every custom property reaches us from
  // Blender; one that misspells a property read would silently change the
  // part (a misspelt "construct" makes a fixed joint), so it is named.
  void WarnOfMisspeltProperties(const msNode& node) {
    for (const msNodeProperty& property : node.properties) {
      if (const std::optional<std::string_view> known = MisspeltName(property.name)) {
        warnings_.push_back("node " + Quoted(node.name) + ": property " + Quoted(property.name) +
                            " is not read; did you mean " + Quoted(*known) + "?");
      }
    }
  }

  void AddPart(std::size_t node) {
    NodeState& state = state_[node];
    if (state.part < 0 && !sources_.empty()) {
      manyRoots_ = true;
      error_ = "two mesh nodes at the top of the node tree: " +
               Quoted(model_.nodes[sources_.front().node].name) + " and " +
               Quoted(model_.nodes[node].name) + "; make one the other's parent";
      return;
    }
    sources_.push_back({node, {}, state.part});
    state.part = static_cast<int>(sources_.size()) - 1;
  }

  // The root part keeps the model's frame, so that it lies where the model
  // does; every other part takes the rigid frame of its node.
  void PlaceParts() {
    if (sources_.size() > static_cast<std::size_t>(kMaxGroupCount)) {
      error_ = "the node tree makes " + std::to_string(sources_.size()) +
               " parts; an export holds at most " + std::to_string(kMaxGroupCount);
      return;
    }
    std::vector<std::string> sheared;
    for (std::size_t p = 1; p < sources_.size(); ++p) {
      const std::size_t node = sources_[p].node;
      bool shear = false;
      const std::optional<Frame> frame = RigidFrameOf(state_[node].world, shear);
      if (!frame) {
        error_ = "node " + Quoted(model_.nodes[node].name) +
                 " is scaled to nothing along an axis, so its part has no frame";
        return;
      }
      if (shear) sheared.push_back(model_.nodes[node].name);
      sources_[p].frame = *frame;
    }
    if (!sheared.empty()) {
      warnings_.push_back("sheared node transforms are baked into their parts' vertices: " +
                          NameList(sheared));
    }
  }

  // Each part is named after its node; the root part is written as "Root",
  // and a name met before (letter case aside) gets ".0001", ".0002" ...
  void NameParts() {
    parts_.resize(sources_.size());
    std::vector<std::string> taken = {std::string(kNodeRootPart)};
    parts_[0].name = NodeName(sources_[0].node);
    for (std::size_t p = 1; p < sources_.size(); ++p) {
      const std::string wanted = NodeName(sources_[p].node);
      std::string name = wanted;
      for (int n = 1; IsTaken(taken, name); ++n) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%04d", n);
        name = wanted + suffix;
      }
      if (name != wanted) {
        warnings_.push_back("the part name " + Quoted(wanted) +
                            " is taken (letter case aside); this part is written as " +
                            Quoted(name));
      }
      if (name.size() >= kJointNameSize) {
        error_ = "part name " + Quoted(name) + " is longer than " +
                 std::to_string(kJointNameSize - 1) + " bytes, which a joint record holds";
        return;
      }
      taken.push_back(name);
      parts_[p].name = std::move(name);
    }
  }

  // A node without a name is called after its place, as the importer does.
  std::string NodeName(std::size_t node) const {
    const std::string& name = model_.nodes[node].name;
    return name.empty() ? "node_" + std::to_string(node + 1) : name;
  }

  static bool IsTaken(const std::vector<std::string>& taken, const std::string& name) {
    return std::any_of(taken.begin(), taken.end(),
                       [&name](const std::string& other) { return SameName(other, name); });
  }

  // The file's frame: Y and Z turned with the orientation, lengths divided.
  std::array<float, 3> Position(const Vec3& v) const {
    return {static_cast<float>(v[0] / divisor_), static_cast<float>(sign_ * v[1] / divisor_),
            static_cast<float>(sign_ * v[2] / divisor_)};
  }
  std::array<float, 3> Direction(const Vec3& v) const {
    return {static_cast<float>(v[0]), static_cast<float>(sign_ * v[1]),
            static_cast<float>(sign_ * v[2])};
  }
  std::array<float, 9> Rotation(const Mat3& m) const {
    const double d[3] = {1.0, static_cast<double>(sign_), static_cast<double>(sign_)};
    std::array<float, 9> out{};
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) out[r * 3 + c] = static_cast<float>(d[r] * m[r * 3 + c] * d[c]);
    }
    return out;
  }

  void JoinParts() {
    for (std::size_t p = 1; p < sources_.size() && error_.empty(); ++p) {
      const PartSource& source = sources_[p];
      const Frame& parent = sources_[static_cast<std::size_t>(source.parent)].frame;
      PartJoint& joint = parts_[p].joint;
      joint.parent = source.parent == 0 ? std::string(kNodeRootPart)
                                        : parts_[static_cast<std::size_t>(source.parent)].name;
      joint.rotation = Rotation(Multiply(Transposed(parent.rotation), source.frame.rotation));
      ReadJointKind(model_.nodes[source.node], joint, IntoFrame(parent, source.frame.origin));
    }
  }

  // The joint's kind and limits from the node's properties, with the
  // defaults of each kind; `origin` is the part's place in its parent's frame.
  void ReadJointKind(const msNode& node, PartJoint& joint, const Vec3& origin) {
    Properties properties(node, error_);
    const std::string construct = properties.Text(property::kConstruct).value_or(property::kFix);
    // A fix record has no offset.
    const Vec3 offset = construct == property::kFix
                            ? Vec3{0, 0, 0}
                            : properties.Vector(property::kOffset).value_or(Vec3{0, 0, 0});
    if (construct == property::kFix) {
      joint.kind = PartJointKind::Fix;
    } else if (construct == property::kRev || construct == property::kPris) {
      const bool rev = construct == property::kRev;
      joint.kind = rev ? PartJointKind::Rev : PartJointKind::Pris;
      joint.axis =
          Direction(properties.Vector(rev ? property::kAxisRotation : property::kAxisTranslation)
                        .value_or(Vec3{0, 1, 0}));
      const double min = properties.Number(property::kMin).value_or(rev ? -90 : 0);
      const double max = properties.Number(property::kMax).value_or(rev ? 90 : 1);
      const double unit = rev ? std::numbers::pi / 180 : 1.0 / divisor_;
      joint.min = static_cast<float>(min * unit);
      joint.max = static_cast<float>(max * unit);
    } else if (construct == property::kSphere) {
      joint.kind = PartJointKind::Sphere;
      constexpr double kPi = std::numbers::pi;
      const Vec3 min = properties.Vector(property::kMin).value_or(Vec3{-kPi, -kPi, -kPi});
      const Vec3 max = properties.Vector(property::kMax).value_or(Vec3{kPi, kPi, kPi});
      for (int axis = 0; axis < 3; ++axis) {
        // Turned half about X, a turn about Y or Z runs the other way.
        const bool turned = axis > 0 && sign_ < 0;
        joint.sphereLimits[axis * 2] = static_cast<float>(turned ? -max[axis] : min[axis]);
        joint.sphereLimits[axis * 2 + 1] = static_cast<float>(turned ? -min[axis] : max[axis]);
      }
    } else {
      properties.Wrong(property::kConstruct, "fix, rev, pris or sphere");
    }
    // The offset is added to the origin where the joint is placed.
    joint.offset = Position(offset);
    joint.origin = Position(Minus(origin, offset));
  }

  void PlaceHardpoints() {
    for (std::size_t i = 0; i < model_.nodes.size() && error_.empty(); ++i) {
      if (state_[i].role != Role::Hardpoint) continue;
      const std::size_t part = static_cast<std::size_t>(std::max(state_[i].part, 0));
      const Frame& frame = sources_[part].frame;
      const msNode& node = model_.nodes[i];
      PartHardpoint hardpoint;
      bool shear = false;
      Mat3 rotation = RigidFrameOf(state_[i].world, shear).value_or(Frame{}).rotation;
      // A frame has no mirror to give the game; the rigid frame would keep X
      // and Y and turn the gun round.
      if (Determinant(state_[i].world.linear) < 0) {
        if (const std::optional<Mat3> kept = ForwardKeepingRotation(state_[i].world.linear)) {
          rotation = *kept;
          mirroredHardpoints_.push_back(node.name);
        }
      }
      hardpoint.orientation = Rotation(Multiply(Transposed(frame.rotation), rotation));
      hardpoint.position = Position(IntoFrame(frame, HardpointPlace(i)));
      Properties properties(node, error_);
      const std::optional<WrittenHardpoint> named = WrittenHardpointOf(node.name);
      hardpoint.name = WrittenHardpointName(node);
      hardpoint.revolute = named && named->revolute;
      if (const std::optional<std::string> type = properties.Text(property::kHardpointType)) {
        if (*type != property::kRev && *type != property::kFix)
          properties.Wrong(property::kHardpointType, "rev or fix");
        hardpoint.revolute = *type == property::kRev;
      }
      if (hardpoint.revolute) {
        hardpoint.axis = Direction(properties.Vector(property::kAxis).value_or(Vec3{0, 1, 0}));
        hardpoint.min = static_cast<float>(properties.Number(property::kMin).value_or(-45) *
                                           std::numbers::pi / 180);
        hardpoint.max = static_cast<float>(properties.Number(property::kMax).value_or(45) *
                                           std::numbers::pi / 180);
      }
      parts_[part].hardpoints.push_back(std::move(hardpoint));
    }
    if (!mirroredHardpoints_.empty()) {
      warnings_.push_back(
          "hardpoints mirrored by a negative scale (theirs or a node's above them) keep their "
          "forward (Z) and up (Y) axes as the model shows them; their X axis is turned round, "
          "since a hardpoint cannot be mirrored: " +
          NameList(mirroredHardpoints_));
    }
  }

  // A node named like a hardpoint mesh is written under the name the mesh
  // would be; another keeps its own.
  static std::string WrittenHardpointName(const msNode& node) {
    const std::optional<WrittenHardpoint> named = WrittenHardpointOf(node.name);
    return named ? std::string(named->name) : node.name;
  }

  // Each collision node's points in its part's frame; one at the top of the
  // tree, beside the root part's node, is the root part's.
  void PlaceHulls() {
    for (const std::size_t node : hullNodes_) {
      ModelledHull& hull = hulls_.emplace_back();
      hull.node = model_.nodes[node].name;
      hull.part = static_cast<std::size_t>(std::max(state_[node].part, 0));
      if (const int hardpoint = state_[node].hardpoint; hardpoint >= 0) {
        hull.hardpoint = WrittenHardpointName(model_.nodes[static_cast<std::size_t>(hardpoint)]);
      }
      const Frame& frame = sources_[hull.part].frame;
      for (const int index : model_.nodes[node].meshes) {
        for (const msVertex& vertex : model_.meshes[static_cast<std::size_t>(index)].vertices) {
          const Vec3 p = {vertex.position[0], vertex.position[1], vertex.position[2]};
          hull.points.push_back(Position(IntoFrame(frame, p)));
        }
      }
    }
  }

  // A hardpoint mesh marks its place with its first three vertices, as
  // hardpoint meshes always have; an empty node sits at its origin.
  Vec3 HardpointPlace(std::size_t node) const {
    for (const int index : model_.nodes[node].meshes) {
      const msMesh& mesh = model_.meshes[static_cast<std::size_t>(index)];
      if (mesh.vertices.empty()) continue;
      const std::size_t count = std::min<std::size_t>(mesh.vertices.size(), 3);
      Vec3 sum = {0, 0, 0};
      for (std::size_t v = 0; v < count; ++v) {
        for (int k = 0; k < 3; ++k) sum[k] += mesh.vertices[v].position[k];
      }
      return {sum[0] / count, sum[1] / count, sum[2] / count};
    }
    return state_[node].world.translation;
  }

  // Each level node to the part it is a level of: the part whose node has
  // the name before "$lod".
  void MatchLevels() {
    for (const LevelNode& level : levelNodes_) {
      const std::string& name = model_.nodes[level.node].name;
      const std::string_view base = std::string_view(name).substr(0, name.size() - 5);
      const auto part = std::find_if(sources_.begin(), sources_.end(), [&](const PartSource& p) {
        return SameName(model_.nodes[p.node].name, base);
      });
      if (part == sources_.end()) {
        error_ =
            "level node " + Quoted(name) + " names no part: no mesh node is called " + Quoted(base);
        return;
      }
      std::vector<std::size_t>& nodes = part->levelNodes;
      nodes.resize(static_cast<std::size_t>(kHighestLevel) + 1, kNoNode);
      nodes[static_cast<std::size_t>(level.level)] = level.node;
      highestLevel_ = std::max(highestLevel_, level.level);
    }
  }

  // Levels 0 up to the highest the tree gives; a part without a node of a
  // level keeps the meshes of the level below.
  void FillLevels() {
    std::vector<bool> held(model_.meshes.size(), false);
    for (const msNode& node : model_.nodes) {
      for (const int mesh : node.meshes) held[static_cast<std::size_t>(mesh)] = true;
    }
    std::vector<std::size_t> meshNode(sources_.size());
    for (std::size_t p = 0; p < sources_.size(); ++p) meshNode[p] = sources_[p].node;
    for (int level = 0; level <= highestLevel_; ++level) {
      PartsLevel& filled = filled_.emplace_back();
      filled.model = MakeHostModel();
      filled.model->materials = model_.materials;
      for (std::size_t p = 0; p < sources_.size(); ++p) {
        const std::vector<std::size_t>& levels = sources_[p].levelNodes;
        const auto at = static_cast<std::size_t>(level);
        const bool given = level == 0 || (at < levels.size() && levels[at] != kNoNode);
        if (level > 0 && given) meshNode[p] = levels[at];
        filled.givenParts.push_back(given);
        const std::size_t before = filled.model->meshes.size();
        for (const int index : model_.nodes[meshNode[p]].meshes) {
          const auto source = static_cast<std::size_t>(index);
          msMesh mesh = InPartFrame(p, model_.meshes[source]);
          // "hull$lod1" names the level's library as "hull" does level 0's.
          if (LevelOfName(mesh.name) > 0) mesh.name.resize(mesh.name.size() - 5);
          filled.model->meshes.push_back(std::move(mesh));
          filled.sourceMeshes.push_back(source);
        }
        for (std::size_t m = 0; p == 0 && level == 0 && m < model_.meshes.size(); ++m) {
          if (held[m]) continue;
          // Hardpoints come from the tree's nodes; a loose hardpoint mesh
          // would pass for the root part's geometry.
          if (IsHardpointName(model_.meshes[m].name)) {
            looseHardpoints_.push_back(model_.meshes[m].name);
            continue;
          }
          filled.model->meshes.push_back(model_.meshes[m]);
          filled.sourceMeshes.push_back(m);
        }
        filled.meshesPerPart.push_back(
            static_cast<std::int32_t>(filled.model->meshes.size() - before));
      }
    }
  }

  // The mesh with its vertices in part p's frame (the root part's is the model's).
  msMesh InPartFrame(std::size_t p, msMesh mesh) const {
    if (p == 0) return mesh;
    for (msVertex& vertex : mesh.vertices) {
      const Vec3 local = IntoFrame(sources_[p].frame,
                                   {vertex.position[0], vertex.position[1], vertex.position[2]});
      for (int k = 0; k < 3; ++k) vertex.position[k] = static_cast<float>(local[k]);
    }
    return mesh;
  }

  const msModel& model_;
  const int divisor_;
  const int sign_;
  std::vector<NodeState> state_;
  std::vector<PartSource> sources_;
  std::vector<NodePart> parts_;
  std::vector<LevelNode> levelNodes_;
  std::vector<std::string> unwrittenLevels_;
  std::vector<std::string> leftOut_;
  std::vector<std::string> looseHardpoints_;
  std::vector<std::string> mirroredHardpoints_;
  int highestLevel_;
  std::vector<std::size_t> hullNodes_;
  std::vector<ModelledHull> hulls_;
  std::vector<std::string> warnings_;
  std::vector<PartsLevel> filled_;
  std::string error_;
  bool manyRoots_ = false;
};

}  // namespace

PartsFromNodes FormPartsFromNodes(const msModel& model, int scaleDivisor, int orientationSign,
                                  int fillToLevel) {
  return PartFormer(model, scaleDivisor, orientationSign, fillToLevel).Form();
}

}  // namespace svcmp
