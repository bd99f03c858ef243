#include "inspect/model_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <utility>

#include "format/cmp_leaf_layout.h"
#include "inspect/model_summary.h"
#include "inspect/node_lookup.h"
#include "inspect/wire_decoder.h"

namespace svcmp {
namespace {

// How far the rows of a hardpoint's orientation or a joint's rotation may be
// from unit length and from square to each other before it is no rotation,
// and a joint's axis from unit length: far looser than float rounding, far
// tighter than a skewed or scaled matrix.
constexpr float kRotationTolerance = 1e-3f;

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string NumberText(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

template <typename Floats>
bool AllFinite(const Floats& values) {
  for (float value : values) {
    if (!std::isfinite(value)) return false;
  }
  return true;
}

bool IsRotation(const Matrix3& m) {
  for (int i = 0; i < 3; ++i) {
    for (int j = i; j < 3; ++j) {
      const double dot = double{m[3 * i]} * m[3 * j] + double{m[3 * i + 1]} * m[3 * j + 1] +
                         double{m[3 * i + 2]} * m[3 * j + 2];
      if (std::fabs(dot - (i == j ? 1.0 : 0.0)) > kRotationTolerance) return false;
    }
  }
  const double det = double{m[0]} * (double{m[4]} * m[8] - double{m[5]} * m[7]) -
                     double{m[1]} * (double{m[3]} * m[8] - double{m[5]} * m[6]) +
                     double{m[2]} * (double{m[3]} * m[7] - double{m[4]} * m[6]);
  return det > 0;
}

bool BoxHoldsOrigin(const Box& b) {
  return b.minX <= 0 && b.maxX >= 0 && b.minY <= 0 && b.maxY >= 0 && b.minZ <= 0 && b.maxZ >= 0;
}

class ModelRules {
 public:
  ModelRules(const std::vector<CheckedModel>& models, std::size_t self, Findings& findings)
      : models_(models), model_(*models[self].model), findings_(findings) {}

  void Run() {
    for (const MeshLibraryEntry& library : model_.libraries) {
      if (library.buffer) CheckVertices(library);
    }
    for (const Part& part : model_.parts) {
      if (model_.compound && part.modelPath.empty()) {
        Error(part.path, rules::kPartFile,
              part.fileName.empty() ? "the part has no \"File name\""
                                    : "\"File name\" " + Quoted(part.fileName) +
                                          " names no model node under the top node");
      }
      for (const Level& level : part.levels) {
        for (const MeshRef& ref : level.meshRefs) CheckMeshRef(ref);
      }
      for (const Hardpoint& hardpoint : part.hardpoints) CheckHardpoint(hardpoint);
      if (part.wire) CheckWire(part, *part.wire);
    }
    CheckJoints();
    for (const AnimationScript& script : model_.scripts) CheckScript(script);
    CheckOrphans();
    CheckEmptyFix();
  }

 private:
  void Error(const std::string& path, std::string_view rule, std::string message) {
    findings_.push_back({path, Severity::Error, std::string(rule), std::move(message)});
  }
  void Warning(const std::string& path, std::string_view rule, std::string message) {
    findings_.push_back({path, Severity::Warning, std::string(rule), std::move(message)});
  }

  void CheckVertices(const MeshLibraryEntry& library) {
    const auto& vertices = library.buffer->vertices;
    for (std::size_t v = 0; v < vertices.size(); ++v) {
      if (!AllFinite(vertices[v].position) || !AllFinite(vertices[v].normal)) {
        Error(library.path, rules::kBadFloat,
              "vertex " + std::to_string(v) +
                  " has a position or normal that is not a finite number");
        return;  // one is enough to find the culprit
      }
    }
  }

  // The library in this file first, then in the others checked with it.
  const MeshLibraryEntry* FindLibrary(std::uint32_t id) const {
    if (const MeshLibraryEntry* own = model_.FindLibrary(id)) return own;
    for (const CheckedModel& other : models_) {
      if (const MeshLibraryEntry* found = other.model->FindLibrary(id)) return found;
    }
    return nullptr;
  }

  void CheckMeshRef(const MeshRef& ref) {
    const Box& b = ref.box;
    if (!AllFinite(std::array{b.maxX, b.minX, b.maxY, b.minY, b.maxZ, b.minZ, ref.radius}) ||
        !AllFinite(ref.centre)) {
      Error(ref.path, rules::kBadFloat,
            "the box, centre or radius holds a value that is not a finite number");
    } else if (ref.radius == 0) {
      Warning(ref.path, rules::kZeroSphere,
              "the radius is 0; the game may cull the part too early");
    } else if (ref.centre == Vector3{} && !BoxHoldsOrigin(b)) {
      Warning(ref.path, rules::kZeroSphere,
              "the centre is (0, 0, 0), outside the box; the game may cull the part too early");
    }
    const MeshLibraryEntry* library = FindLibrary(ref.libraryId);
    if (library == nullptr) {
      char id[16];
      std::snprintf(id, sizeof id, "0x%08X", static_cast<unsigned>(ref.libraryId));
      Warning(ref.path, rules::kRefLibrary,
              std::string("the mesh library ") + id +
                  " is in none of the files checked (the game may load it from elsewhere)");
      return;
    }
    if (library->buffer) CheckRefRanges(ref, library->name, *library->buffer);
  }

  void CheckRefRanges(const MeshRef& ref, const std::string& libraryName,
                      const MeshBuffer& buffer) {
    const auto outside = [&](std::string what, std::size_t start, std::size_t count,
                             std::size_t size) {
      if (start + count <= size) return false;
      Error(ref.path, rules::kRefRange,
            what + " " + std::to_string(start) + " to " + std::to_string(start + count - 1) +
                " lie outside the " + std::to_string(size) + " of " + libraryName);
      return true;
    };
    if (outside("meshes", ref.startMesh, ref.meshCount, buffer.meshes.size()) ||
        outside("vertices", ref.startVertex, ref.vertexCount, buffer.vertices.size()) ||
        outside("indices", ref.startIndex, ref.indexCount, buffer.indices.size())) {
      return;
    }
    std::size_t indexSum = 0;
    for (std::size_t m = ref.startMesh; m < std::size_t{ref.startMesh} + ref.meshCount; ++m) {
      const BufferMesh& mesh = buffer.meshes[m];
      indexSum += mesh.indexCount;
      if (outside("mesh " + std::to_string(m) + ": its vertices",
                  std::size_t{ref.startVertex} + mesh.startVertex, mesh.VertexCount(),
                  buffer.vertices.size())) {
        return;
      }
    }
    if (indexSum != ref.indexCount) {
      Error(ref.path, rules::kRefIndexSum,
            "the index count is " + std::to_string(ref.indexCount) + ", its meshes hold " +
                std::to_string(indexSum));
    }
  }

  // A wire of a library no level uses is left over from an older mesh: the
  // game draws no outline, as for the few released wires like it. Wrong
  // stored counts are what other tools write; readers recount them.
  void CheckWire(const Part& part, const Wire& wire) {
    const std::optional<WireTarget> target = FindWireTarget(part, wire);
    if (!target) {
      char id[16];
      std::snprintf(id, sizeof id, "0x%08X", static_cast<unsigned>(wire.libraryId));
      Warning(wire.path, rules::kWireLibrary,
              std::string("the mesh library ") + id +
                  " is used by no level of the part; the game draws no outline for it");
      return;
    }
    // Released wires are drawn on the coarsest level up to Level3; one left
    // on a finer level (a coarser one added since) outlines another mesh.
    int coarsest = -1;
    for (const Level& level : part.levels) {
      if (level.number <= kWireCoarsestLevel) coarsest = std::max(coarsest, level.number);
    }
    if (target->level->number != coarsest && coarsest >= 0) {
      Warning(wire.path, rules::kWireLevel,
              "the wire indexes level " + std::to_string(target->level->number) +
                  ", released files draw it on the coarsest level up to Level3, here level " +
                  std::to_string(coarsest));
    }
    const MeshRef& ref = *target->ref;
    if (wire.startVertex != ref.startVertex) {
      Error(wire.path, rules::kWireRange,
            "the start vertex is " + std::to_string(wire.startVertex) + ", the mesh reference " +
                ref.path + " starts at " + std::to_string(ref.startVertex));
    }
    for (std::size_t s = 0; s < wire.segments.size(); ++s) {
      const auto& [a, b] = wire.segments[s];
      if (a < ref.vertexCount && b < ref.vertexCount) continue;
      Error(wire.path, rules::kWireRange,
            "segment " + std::to_string(s) + " (" + std::to_string(a) + ", " + std::to_string(b) +
                ") indexes beyond the " + std::to_string(ref.vertexCount) + " vertices of " +
                ref.path);
      break;  // one names the fault; the others are likely the same
    }
    const WireCounts counts = CountWire(wire.segments);
    if (counts.indexBound != wire.indexBound || counts.distinctVertices != wire.vertexCount) {
      Warning(wire.path, rules::kWireCounts,
              "the header counts " + std::to_string(wire.vertexCount) + " vertices below bound " +
                  std::to_string(wire.indexBound) + ", the segments " +
                  std::to_string(counts.distinctVertices) + " below " +
                  std::to_string(counts.indexBound) + "; readers recount them");
    }
  }

  void CheckHardpoint(const Hardpoint& hardpoint) {
    bool finite = true;
    if (hardpoint.position) finite &= AllFinite(*hardpoint.position);
    if (hardpoint.orientation) finite &= AllFinite(*hardpoint.orientation);
    if (hardpoint.axis) finite &= AllFinite(*hardpoint.axis);
    if (hardpoint.min) finite &= std::isfinite(*hardpoint.min);
    if (hardpoint.max) finite &= std::isfinite(*hardpoint.max);
    if (!finite) {
      Error(hardpoint.path, rules::kBadFloat,
            "the hardpoint holds a value that is not a finite number");
    } else if (hardpoint.orientation && !IsRotation(*hardpoint.orientation)) {
      Warning(hardpoint.path, rules::kHardpointRotation,
              "\"Orientation\" is not a rotation (its rows are not of unit length and square to "
              "each other); what is mounted there may look skewed");
    }
  }

  bool IsPartName(std::string_view name) const {
    for (const Part& part : model_.parts) {
      if (!part.objectName.empty() && SameNameNoCase(part.objectName, name)) return true;
    }
    return false;
  }

  void CheckJoints() {
    for (const Joint& joint : model_.joints) {
      const std::string record = RecordText(joint);
      for (const std::string* name : {&joint.parent, &joint.child}) {
        if (!IsPartName(*name)) {
          Error(joint.path, rules::kJointName,
                record + (name == &joint.parent ? "parent " : "child ") + Quoted(*name) +
                    " is no part's \"Object name\"");
        }
      }
      if (!AllFinite(joint.origin) || !AllFinite(joint.offset) || !AllFinite(joint.rotation) ||
          !AllFinite(joint.axis) || !AllFinite(std::array{joint.min, joint.max}) ||
          !AllFinite(joint.sphereLimits)) {
        Error(joint.path, rules::kBadFloat,
              record + "the joint holds a value that is not a finite number");
        continue;
      }
      CheckJointMotion(joint, record);
    }
    CheckJointTree();
  }

  static std::string RecordText(const Joint& joint) {
    return "record " + std::to_string(joint.record) + ": ";
  }

  void CheckJointMotion(const Joint& joint, const std::string& record) {
    if (!IsRotation(joint.rotation)) {
      Warning(joint.path, rules::kJointRotation,
              record +
                  "the rotation is not one (its rows are not of unit length and square to "
                  "each other); " +
                  Quoted(joint.child) + " may look skewed");
    }
    if (joint.kind == JointKind::Rev || joint.kind == JointKind::Pris) {
      const double length =
          std::sqrt(double{joint.axis[0]} * joint.axis[0] + double{joint.axis[1]} * joint.axis[1] +
                    double{joint.axis[2]} * joint.axis[2]);
      if (std::fabs(length - 1.0) > kRotationTolerance) {
        Warning(joint.path, rules::kJointAxis,
                record + "the axis " + Quoted(joint.child) + " moves along or about is " +
                    NumberText(length) + " long, not 1");
      }
      if (joint.min > joint.max) {
        Warning(joint.path, rules::kJointLimits,
                record + "min " + NumberText(joint.min) + " lies above max " +
                    NumberText(joint.max) + "; " + Quoted(joint.child) + " cannot move");
      }
    } else if (joint.kind == JointKind::Sphere) {
      const auto& limits = joint.sphereLimits;
      for (std::size_t axis = 0; axis < 3; ++axis) {
        if (limits[2 * axis] <= limits[2 * axis + 1]) continue;
        Warning(joint.path, rules::kJointLimits,
                record + "min " + "xyz"[axis] + " " + NumberText(limits[2 * axis]) +
                    " lies above max " + "xyz"[axis] + " " + NumberText(limits[2 * axis + 1]) +
                    "; " + Quoted(joint.child) + " cannot turn about " + "xyz"[axis]);
      }
    }
  }

  // A part hangs on one parent and the joints lead down from the root
  // without coming back: the game follows one parent and never ends a loop.
  void CheckJointTree() {
    std::map<std::string, std::size_t> partByKey;
    for (std::size_t p = 0; p < model_.parts.size(); ++p) {
      if (!model_.parts[p].objectName.empty()) {
        partByKey.try_emplace(NameKey(model_.parts[p].objectName), p);
      }
    }
    const auto partOf = [&partByKey](const std::string& name) {
      const auto found = partByKey.find(NameKey(name));
      return found == partByKey.end() ? std::optional<std::size_t>() : found->second;
    };
    std::vector<const Joint*> hangsBy(model_.parts.size(), nullptr);
    std::vector<std::vector<std::pair<std::size_t, const Joint*>>> below(model_.parts.size());
    for (const Joint& joint : model_.joints) {
      const auto parent = partOf(joint.parent);
      const auto child = partOf(joint.child);
      if (!parent || !child) continue;  // joint-name says so
      below[*parent].emplace_back(*child, &joint);
      if (const Joint* first = hangsBy[*child]) {
        Error(joint.path, rules::kTwoParents,
              RecordText(joint) + Quoted(joint.child) + " hangs on " + Quoted(joint.parent) +
                  " here and on " + Quoted(first->parent) + " in record " +
                  std::to_string(first->record) + " of " + first->path + "; a part has one parent");
      } else {
        hangsBy[*child] = &joint;
      }
    }
    FindLoops(below);
  }

  // Depth first over parent-to-child joints; a joint back to a part still
  // on the path closes a loop, named part by part.
  void FindLoops(const std::vector<std::vector<std::pair<std::size_t, const Joint*>>>& below) {
    enum class Mark { New, OnPath, Done };
    std::vector<Mark> marks(below.size(), Mark::New);
    for (std::size_t start = 0; start < below.size(); ++start) {
      if (marks[start] != Mark::New) continue;
      std::vector<std::pair<std::size_t, std::size_t>> path{{start, 0}};  // part, next joint
      marks[start] = Mark::OnPath;
      while (!path.empty()) {
        auto& [part, next] = path.back();
        if (next == below[part].size()) {
          marks[part] = Mark::Done;
          path.pop_back();
          continue;
        }
        const auto [child, joint] = below[part][next++];
        if (marks[child] == Mark::New) {
          marks[child] = Mark::OnPath;
          path.emplace_back(child, 0);
        } else if (marks[child] == Mark::OnPath) {
          std::string chain;
          bool inLoop = false;
          for (const auto& step : path) {
            inLoop |= step.first == child;
            if (inLoop) chain += model_.parts[step.first].objectName + " -> ";
          }
          Error(joint->path, rules::kJointLoop,
                RecordText(*joint) + "the joints form a loop (" + chain +
                    model_.parts[child].objectName + "); no part of it hangs on the root");
        }
      }
    }
  }

  void CheckScript(const AnimationScript& script) {
    for (const ScriptMap& map : script.maps) {
      const AnimationChannel& channel = map.channel;
      if (!AllFinite(channel.times) || !AllFinite(channel.values)) {
        Error(map.path, rules::kBadFloat,
              "a frame holds a time or value that is not a finite number");
        continue;
      }
      if (map.objectMap) {
        if (!IsPartName(map.parent)) {
          Error(map.path, rules::kAnimationJoint,
                "parent " + Quoted(map.parent) + " is no part's \"Object name\"");
        }
        if (channel.type != kChannelPositionQuaternion) {
          Error(map.path, rules::kAnimationType,
                "an object map moves the whole model by channel type 6 (position and "
                "quaternion), this one is type " +
                    std::to_string(channel.type));
        }
        continue;
      }
      // The game finds the joint by the child's name alone.
      const Joint* joint = FindJointOfChild(model_, map.child);
      if (joint == nullptr) {
        Error(map.path, rules::kAnimationJoint,
              "no joint of the model has the child " + Quoted(map.child) +
                  "; the script cannot move it");
        continue;
      }
      if (!SameNameNoCase(joint->parent, map.parent)) {
        Warning(map.path, rules::kAnimationJoint,
                "the joint of " + Quoted(map.child) + " hangs it on " + Quoted(joint->parent) +
                    ", not on " + Quoted(map.parent) + "; the game goes by the child");
      }
      const std::uint32_t needed =
          joint->kind == JointKind::Sphere ? kChannelQuaternion : kChannelScalar;
      if (joint->kind == JointKind::Fix || channel.type != needed) {
        Error(map.path, rules::kAnimationType,
              joint->kind == JointKind::Fix
                  ? Quoted(map.child) + " hangs by a Fix joint, which does not move"
                  : Quoted(map.child) + " hangs by a " + JointKindText(joint->kind) +
                        " joint, moved by channel type " + std::to_string(needed) +
                        "; this one is type " + std::to_string(channel.type));
        continue;
      }
      CheckScriptLimits(map, *joint);
    }
  }

  static std::string JointKindText(JointKind kind) {
    return kind == JointKind::Rev ? "Rev" : kind == JointKind::Pris ? "Pris" : "Sphere";
  }

  // Rev and Pris values against min and max; Sphere rotations against the
  // three pairs.
  void CheckScriptLimits(const ScriptMap& map, const Joint& joint) {
    const AnimationChannel& channel = map.channel;
    std::size_t outside = 0;
    std::string first;
    for (std::size_t frame = 0; frame < channel.FrameCount(); ++frame) {
      std::string why;
      if (joint.kind == JointKind::Sphere) {
        const float* q = &channel.values[4 * frame];
        const auto angles = SphereTurnAngles(q[0], q[1], q[2], q[3]);
        for (std::size_t axis = 0; axis < 3 && why.empty(); ++axis) {
          if (OutsideLimits(angles[axis], joint.sphereLimits[2 * axis],
                            joint.sphereLimits[2 * axis + 1])) {
            why = "its turn about " + std::string(1, "xyz"[axis]) + " " + NumberText(angles[axis]) +
                  " lies outside " + NumberText(joint.sphereLimits[2 * axis]) + " to " +
                  NumberText(joint.sphereLimits[2 * axis + 1]);
          }
        }
      } else if (OutsideLimits(channel.values[frame], joint.min, joint.max)) {
        why = NumberText(channel.values[frame]) + " lies outside the limits " +
              NumberText(joint.min) + " to " + NumberText(joint.max);
      }
      if (why.empty()) continue;
      if (outside++ == 0) {
        first = "frame " + std::to_string(frame) + " at " + NumberText(channel.times[frame]) +
                " s: " + why;
      }
    }
    if (outside == 0) return;
    Warning(map.path, rules::kAnimationLimits,
            first + " of the joint of " + Quoted(map.child) +
                (outside > 1 ? " (and " + std::to_string(outside - 1) + " more frames)" : ""));
  }

  // Limits are stored as floats; a value written from the same float is inside.
  static bool OutsideLimits(double value, float min, float max) {
    const double slack = 1e-6 * std::max({1.0, std::fabs(double{min}), std::fabs(double{max})});
    return value < min - slack || value > max + slack;
  }

  void CheckOrphans() {
    for (const std::string& node : model_.modelNodes) {
      bool named = false;
      for (const Part& part : model_.parts) named |= SameNameNoCase(part.fileName, node);
      if (!named) {
        Warning("/" + node, rules::kOrphanModel,
                "no part names this model node (left over from an export with another first "
                "mesh name?)");
      }
    }
  }

  void CheckEmptyFix() {
    if (model_.parts.size() < 2) return;
    std::string unjoined;
    for (std::size_t p = 1; p < model_.parts.size(); ++p) {
      const std::string& name = model_.parts[p].objectName;
      bool joined = false;
      for (const Joint& joint : model_.joints) joined |= SameNameNoCase(joint.child, name);
      if (!joined) unjoined += (unjoined.empty() ? "" : ", ") + name;
    }
    if (unjoined.empty()) return;
    for (const std::string& path : model_.emptyJointLists) {
      if (path.size() >= 4 && SameNameNoCase(path.substr(path.size() - 4), "/Fix")) {
        Warning(path, rules::kEmptyFix,
                "\"Fix\" is empty in a file of " + std::to_string(model_.parts.size()) +
                    " parts; parts without a joint (" + unjoined + ") may not follow the root");
      }
    }
  }

  const std::vector<CheckedModel>& models_;
  const CompoundModel& model_;
  Findings& findings_;
};

// The game's library ids are global: a second library of the same id shows
// the first one's mesh, or the other way round.
void CheckLibrariesDefinedTwice(const std::vector<CheckedModel>& models,
                                std::vector<Findings>& findings) {
  std::map<std::uint32_t, std::string> firstFile;
  for (std::size_t i = 0; i < models.size(); ++i) {
    for (const MeshLibraryEntry& library : models[i].model->libraries) {
      const auto [first, inserted] = firstFile.emplace(library.id, models[i].file);
      if (inserted) continue;
      findings[i].push_back({library.path, Severity::Warning, std::string(rules::kLibraryTwice),
                             "the mesh library " + Quoted(library.name) +
                                 " (or one of the same id) is also in " + first->second +
                                 "; the game knows one library per id, so one model shows the " +
                                 "other's mesh"});
    }
  }
}

}  // namespace

std::vector<Findings> CheckModels(const std::vector<CheckedModel>& models) {
  std::vector<Findings> findings(models.size());
  for (std::size_t i = 0; i < models.size(); ++i) {
    findings[i] = models[i].model->findings;
    ModelRules(models, i, findings[i]).Run();
  }
  CheckLibrariesDefinedTwice(models, findings);
  return findings;
}

}  // namespace svcmp
