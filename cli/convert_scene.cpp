#include "cli/convert_scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <optional>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "cli/shortest_double.h"
#include "host/node_property_names.h"
#include "inspect/node_lookup.h"
#include "inspect/wire_decoder.h"
#include "inspect/script_pose.h"

namespace svcmp::cli {
namespace {

// Named like the compound root: a name that begins with "Hp" would make an
// importer take the empty root for a hardpoint.
constexpr char kSceneRoot[] = "Cmpnd";
// A part's level N is the node PART$lodN below it.
constexpr char kLevelSuffix[] = "$lod";
// A collision hull is the mesh node NAME$hull, the node it belongs to's name.
constexpr char kHullSuffix[] = "$hull";
constexpr char kHullMaterial[] = "collision_hull";
// A part's wire is the line mesh PART$wire below it.
constexpr char kWireSuffix[] = "$wire";
constexpr char kWireMaterial[] = "wire";

// The export's transform undone for one file coordinate set: in double,
// rounded to float once, so that exporting again gives the file's floats
// back to within one rounding.
class Undo {
 public:
  explicit Undo(const ExportTransform& transform)
      : scale_(transform.scaleDivisor), sign_(transform.orientationSign) {}

  std::array<float, 3> Point(const Vector3& p) const {
    return {static_cast<float>(static_cast<double>(p[0]) * scale_),
            static_cast<float>(static_cast<double>(p[1]) * scale_ * sign_),
            static_cast<float>(static_cast<double>(p[2]) * scale_ * sign_)};
  }
  double Length(float length) const { return ShortestDouble(static_cast<float>(length * scale_)); }
  // A sphere's limits about x, y and z as (min, max) in the host's frame:
  // turned half about x, a turn about y or z runs the other way.
  std::array<std::array<float, 3>, 2> SphereLimits(const std::array<float, 6>& limits) const {
    std::array<std::array<float, 3>, 2> minMax{};
    for (std::size_t axis = 0; axis < 3; ++axis) {
      const bool turned = axis > 0 && sign_ < 0;
      minMax[0][axis] = turned ? -limits[2 * axis + 1] : limits[2 * axis];
      minMax[1][axis] = turned ? -limits[2 * axis] : limits[2 * axis + 1];
    }
    return minMax;
  }
  std::array<float, 3> Direction(const Vector3& d) const {
    return {d[0], d[1] * static_cast<float>(sign_), d[2] * static_cast<float>(sign_)};
  }
  // S m S with S = diag(1, sign, sign): the same turn seen in the host's frame.
  Matrix3 Turn(const Matrix3& m) const {
    Matrix3 turned = m;
    for (std::size_t row = 0; row < 3; ++row) {
      for (std::size_t column = 0; column < 3; ++column) {
        const int flips = (row > 0 ? 1 : 0) + (column > 0 ? 1 : 0);
        if (sign_ < 0 && flips == 1) turned[row * 3 + column] = -turned[row * 3 + column];
      }
    }
    return turned;
  }

 private:
  double scale_;
  int sign_;
};

// The part file's name without ".3db" and the "_lod1" that multi-part
// exports add: the first mesh's name at export.
std::string MeshStem(const LevelPart& part) {
  std::string stem = part.fileName;
  for (std::string_view suffix : {".3db", "_lod1"}) {
    if (stem.size() >= suffix.size() &&
        SameNameNoCase(std::string_view(stem).substr(stem.size() - suffix.size()), suffix)) {
      stem.resize(stem.size() - suffix.size());
    }
  }
  return stem.empty() ? part.name : stem;
}

std::string MaterialName(const CompoundModel& model, std::uint32_t id) {
  const auto known = model.materialNames.find(id);
  if (known != model.materialNames.end()) return known->second;
  char name[32];
  std::snprintf(name, sizeof name, "material_0x%08X", static_cast<unsigned>(id));
  return name;
}

namespace property = node_property;

constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;
constexpr Matrix3 kIdentity = {1, 0, 0, 0, 1, 0, 0, 0, 1};

std::vector<double> Numbers(const std::array<float, 3>& values) {
  return {ShortestDouble(values[0]), ShortestDouble(values[1]), ShortestDouble(values[2])};
}

double Degrees(float radians) {
  return ShortestDouble(static_cast<float>(radians * kDegreesPerRadian));
}

// The joint's kind and motion as the node tree spells them, in the host's
// frame: axes, offsets and a sphere's limits turned back, offsets and a
// slide's limits scaled back; angles in degrees but a sphere's, which stay in
// radians.
std::vector<SceneProperty> JointProperties(const Joint& joint, const Undo& undo) {
  switch (joint.kind) {
    case JointKind::Fix:
      return {{property::kConstruct, std::string(property::kFix)}};
    case JointKind::Rev:
      return {{property::kConstruct, std::string(property::kRev)},
              {property::kAxisRotation, Numbers(undo.Direction(joint.axis))},
              {property::kMin, Degrees(joint.min)},
              {property::kMax, Degrees(joint.max)},
              {property::kOffset, Numbers(undo.Point(joint.offset))}};
    case JointKind::Pris:
      return {{property::kConstruct, std::string(property::kPris)},
              {property::kAxisTranslation, Numbers(undo.Direction(joint.axis))},
              {property::kMin, undo.Length(joint.min)},
              {property::kMax, undo.Length(joint.max)},
              {property::kOffset, Numbers(undo.Point(joint.offset))}};
    case JointKind::Sphere: {
      const auto [min, max] = undo.SphereLimits(joint.sphereLimits);
      return {{property::kConstruct, std::string(property::kSphere)},
              {property::kMin, Numbers(min)},
              {property::kMax, Numbers(max)},
              {property::kOffset, Numbers(undo.Point(joint.offset))}};
    }
  }
  return {};
}

std::vector<SceneProperty> HardpointProperties(const Hardpoint& hardpoint, const Undo& undo) {
  std::vector<SceneProperty> properties{{property::kHardpoint, true}};
  if (hardpoint.kind == HardpointKind::Revolute) {
    properties.push_back({property::kHardpointType, std::string(property::kRev)});
    if (hardpoint.axis) {
      properties.push_back({property::kAxis, Numbers(undo.Direction(*hardpoint.axis))});
    }
    if (hardpoint.min) properties.push_back({property::kMin, Degrees(*hardpoint.min)});
    if (hardpoint.max) properties.push_back({property::kMax, Degrees(*hardpoint.max)});
  }
  return properties;
}

Vector3 FaceNormal(const std::array<Vector3, 3>& corners) {
  const auto& [a, b, c] = corners;
  const double ab[3] = {double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
  const double ac[3] = {double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
  const double n[3] = {ab[1] * ac[2] - ab[2] * ac[1], ab[2] * ac[0] - ab[0] * ac[2],
                       ab[0] * ac[1] - ab[1] * ac[0]};
  const double length = std::hypot(n[0], n[1], n[2]);
  if (!(length > 0) || !std::isfinite(length)) return {0, 1, 0};
  return {static_cast<float>(n[0] / length), static_cast<float>(n[1] / length),
          static_cast<float>(n[2] / length)};
}

bool IsFinite(std::span<const float> values) {
  return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
}

// Released files carry the odd texture coordinate or normal that is no
// number; no model file can hold one. Texture coordinates become 0, normals
// the mean of their triangles' (a triangle with a corner that is no number,
// or none of the mesh, counts for nothing); positions are left for the
// writer to refuse. What was done, or empty.
std::string RepairNumbers(SceneMesh& mesh) {
  std::size_t textures = 0;
  for (auto& texture : mesh.texture) {
    if (IsFinite(texture)) continue;
    texture = {0, 0};
    ++textures;
  }
  std::vector<std::size_t> broken;
  for (std::size_t v = 0; v < mesh.normals.size(); ++v) {
    if (!IsFinite(mesh.normals[v])) broken.push_back(v);
  }
  if (!broken.empty()) {
    std::vector<std::array<double, 3>> sums(mesh.normals.size());
    for (std::size_t k = 0; k + 2 < mesh.indices.size(); k += 3) {
      const std::uint32_t* corner = &mesh.indices[k];
      if (std::any_of(corner, corner + 3, [&](std::uint32_t at) { return at >= sums.size(); })) {
        continue;
      }
      const std::array<Vector3, 3> corners{mesh.positions[corner[0]], mesh.positions[corner[1]],
                                           mesh.positions[corner[2]]};
      if (!IsFinite(corners[0]) || !IsFinite(corners[1]) || !IsFinite(corners[2])) continue;
      const Vector3 face = FaceNormal(corners);
      for (std::size_t c = 0; c < 3; ++c) {
        for (std::size_t axis = 0; axis < 3; ++axis) sums[mesh.indices[k + c]][axis] += face[axis];
      }
    }
    for (std::size_t v : broken) {
      const auto& [x, y, z] = sums[v];
      const double length = std::hypot(x, y, z);
      mesh.normals[v] =
          length > 0 ? Vector3{static_cast<float>(x / length), static_cast<float>(y / length),
                               static_cast<float>(z / length)}
                     : Vector3{0, 1, 0};
    }
  }
  std::string done;
  if (textures > 0) {
    done = std::to_string(textures) +
           (textures == 1 ? " texture coordinate that is not a finite number"
                          : " texture coordinates that are not finite numbers") +
           " set to 0";
  }
  if (!broken.empty()) {
    done += (done.empty() ? "" : ", ") + std::to_string(broken.size()) +
            (broken.size() == 1 ? " normal that is not a finite number"
                                : " normals that are not finite numbers") +
            " made again from the triangles";
  }
  return done;
}

// The transform that undoes a hardpoint's orientation (not always a pure
// turn in other tools' files) and position: its hull lies in its part's
// frame, below the hardpoint's node. None when the orientation flattens.
std::optional<std::pair<Matrix3, Vector3>> Inverse(const Matrix3& m, const Vector3& position) {
  const auto at = [&m](std::size_t row, std::size_t column) {
    return static_cast<double>(m[row * 3 + column]);
  };
  Matrix3 inverse{};
  double determinant = 0;
  for (std::size_t column = 0; column < 3; ++column) {
    // The cofactors of row `column`, which make column `column` of the inverse.
    for (std::size_t row = 0; row < 3; ++row) {
      const std::size_t r0 = (row + 1) % 3, r1 = (row + 2) % 3;
      const std::size_t c0 = (column + 1) % 3, c1 = (column + 2) % 3;
      const double cofactor = at(c0, r0) * at(c1, r1) - at(c0, r1) * at(c1, r0);
      if (row == 0) determinant += at(column, 0) * cofactor;
      inverse[row * 3 + column] = static_cast<float>(cofactor);
    }
  }
  if (!(std::fabs(determinant) > 0) || !std::isfinite(determinant)) return std::nullopt;
  for (float& entry : inverse) entry = static_cast<float>(entry / determinant);
  const Vector3 turned = Rotate(inverse, position);
  return std::pair{inverse, Vector3{-turned[0], -turned[1], -turned[2]}};
}

// Builds the scene: the parts as a tree of nodes, each holding its meshes.
class SceneBuilder {
 public:
  SceneBuilder(const CompoundModel& model, const Undo& undo) : model_(model), undo_(undo) {
    scene_.name = kSceneRoot;
  }

  int AddNode(std::string name, int parent, const Matrix3& rotation, const Vector3& position) {
    SceneNode& node = scene_.nodes.emplace_back();
    node.name = std::move(name);
    node.parent = parent;
    node.rotation = undo_.Turn(rotation);
    node.translation = undo_.Point(position);
    return static_cast<int>(scene_.nodes.size() - 1);
  }

  // One mesh of the node per mesh record, named `stem`, `stem_2`, ...
  void AddMeshes(int node, const std::vector<LevelMesh>& meshes, const std::string& stem) {
    for (std::size_t m = 0; m < meshes.size(); ++m) {
      const LevelMesh& mesh = meshes[m];
      SceneMesh& converted = scene_.meshes.emplace_back();
      converted.name = m == 0 ? stem : stem + "_" + std::to_string(m + 1);
      converted.material = MaterialIndex(MaterialName(model_, mesh.materialId));
      for (const BufferVertex& vertex : mesh.vertices) {
        converted.positions.push_back(undo_.Point(vertex.position));
        converted.normals.push_back(undo_.Direction(vertex.normal));
        converted.texture.push_back(vertex.texture);
      }
      converted.indices = mesh.indices;
      if (const std::string repaired = RepairNumbers(converted); !repaired.empty()) {
        warnings_.push_back("mesh " + converted.name + ": " + repaired);
      }
      scene_.nodes[static_cast<std::size_t>(node)].meshes.push_back(
          static_cast<std::uint32_t>(scene_.meshes.size() - 1));
    }
  }

  // The hull's faces as a mesh with a normal per face, in the part's frame.
  void AddHull(int node, const LevelHull& hull, const std::string& name) {
    SceneMesh& converted = scene_.meshes.emplace_back();
    converted.name = name;
    converted.material = MaterialIndex(kHullMaterial);
    const std::vector<CollisionPoint>& points = hull.part->points;
    for (const CollisionFace& face : hull.hull->faces) {
      if (std::any_of(face.points.begin(), face.points.end(),
                      [&](std::uint16_t at) { return at >= points.size(); })) {
        continue;
      }
      std::array<Vector3, 3> corners;
      for (std::size_t k = 0; k < 3; ++k) corners[k] = undo_.Point(points[face.points[k]].position);
      const Vector3 normal = FaceNormal(corners);
      for (const Vector3& corner : corners) {
        converted.indices.push_back(static_cast<std::uint32_t>(converted.positions.size()));
        converted.positions.push_back(corner);
        converted.normals.push_back(normal);
        converted.texture.push_back({0, 0});
      }
    }
    scene_.nodes[static_cast<std::size_t>(node)].meshes.push_back(
        static_cast<std::uint32_t>(scene_.meshes.size() - 1));
  }

  // The wire's segments as a line mesh over the vertices they reach, in the
  // order first reached, in the part's frame. Segments past the library's
  // vertices are left out (check names them).
  void AddWire(int node, const Wire& wire, const std::vector<BufferVertex>& vertices,
               const std::string& name) {
    SceneMesh& converted = scene_.meshes.emplace_back();
    converted.name = name;
    converted.material = MaterialIndex(kWireMaterial);
    converted.lines = true;
    std::map<std::size_t, std::uint32_t> added;
    for (const auto& segment : wire.segments) {
      const std::size_t a = std::size_t{wire.startVertex} + segment[0];
      const std::size_t b = std::size_t{wire.startVertex} + segment[1];
      if (a >= vertices.size() || b >= vertices.size()) continue;
      for (std::size_t at : {a, b}) {
        const auto [found, isNew] =
            added.try_emplace(at, static_cast<std::uint32_t>(converted.positions.size()));
        if (isNew) {
          converted.positions.push_back(undo_.Point(vertices[at].position));
          converted.normals.push_back(undo_.Direction(vertices[at].normal));
          converted.texture.push_back(vertices[at].texture);
        }
        converted.indices.push_back(found->second);
      }
    }
    scene_.nodes[static_cast<std::size_t>(node)].meshes.push_back(
        static_cast<std::uint32_t>(scene_.meshes.size() - 1));
  }

  void SetProperties(int node, std::vector<SceneProperty> properties) {
    scene_.nodes[static_cast<std::size_t>(node)].properties = std::move(properties);
  }

  SceneDocument Take() { return std::move(scene_); }
  std::vector<std::string> TakeWarnings() { return std::move(warnings_); }

 private:
  std::uint32_t MaterialIndex(const std::string& name) {
    const auto [material, added] =
        materialIndex_.try_emplace(name, static_cast<std::uint32_t>(scene_.materials.size()));
    if (added) scene_.materials.push_back(name);
    return material->second;
  }

  const CompoundModel& model_;
  const Undo& undo_;
  SceneDocument scene_;
  std::map<std::string, std::uint32_t> materialIndex_;
  std::vector<std::string> warnings_;
};

// The part's hulls below its node and its hardpoints' below theirs, each
// in a node of its own named after its owner.
void AddHullNodes(SceneBuilder& builder, const std::vector<LevelHull>& hulls,
                  const LevelPart& part, int partNode,
                  const std::map<const Hardpoint*, int>& hardpointNodes) {
  std::map<int, int> countOfNode;
  for (const LevelHull& hull : hulls) {
    int parent = partNode;
    std::string owner = part.name;
    Matrix3 rotation = kIdentity;
    Vector3 position{};
    if (hull.hardpointHull) {
      if (!hull.hardpoint) continue;
      const auto undone =
          Inverse(hull.hardpoint->orientation.value_or(kIdentity), *hull.hardpoint->position);
      // Below a hardpoint that flattens everything the hull would be lost:
      // it stays with its part.
      if (undone) {
        parent = hardpointNodes.at(hull.hardpoint);
        owner = hull.hardpoint->name;
        std::tie(rotation, position) = *undone;
      }
    }
    const int count = ++countOfNode[parent];
    const std::string name =
        (count == 1 ? owner : owner + "_" + std::to_string(count)) + kHullSuffix;
    builder.AddHull(builder.AddNode(name, parent, rotation, position), hull, name);
  }
}

// Each script an animation of the part nodes it moves: per joint map, the
// node's translation and rotation at the map's own frame times, as its joint
// places the part moved by the script. Maps that move nothing (no such
// joint, a channel of the wrong kind) and object maps stay behind.
void AddScriptAnimations(const CompoundModel& model, const LevelGeometry& geometry,
                         const std::vector<int>& partNodes, const Undo& undo,
                         SceneDocument& scene) {
  for (const AnimationScript& script : model.scripts) {
    msAnimation animation;
    animation.name = script.name;
    for (const ScriptMap& map : script.maps) {
      const std::string key = NameKey(map.child);
      const auto part = std::find_if(geometry.parts.begin(), geometry.parts.end(),
                                     [&key](const LevelPart& p) { return NameKey(p.name) == key; });
      if (map.objectMap || part == geometry.parts.end()) continue;
      const int node = partNodes[static_cast<std::size_t>(part - geometry.parts.begin())];
      if (node < 0 || !part->joint) continue;
      msAnimationChannel move{node, msAnimationPath::Translation, msInterpolation::Linear, {}, {}};
      msAnimationChannel turn{node, msAnimationPath::Rotation, msInterpolation::Linear, {}, {}};
      for (const float time : map.channel.times) {
        const ScriptPose pose = PoseOfScript(model, script, time);
        const auto moved = pose.find(key);
        if (moved == pose.end()) break;
        const auto position =
            undo.Point(ApplyTransform(part->toParent, moved->second.translation));
        const auto q = MatrixQuaternion(
            undo.Turn(MultiplyMatrices(part->toParent.rotation, moved->second.rotation)));
        move.times.push_back(time);
        move.values.insert(move.values.end(), position.begin(), position.end());
        turn.times.push_back(time);
        turn.values.insert(turn.values.end(), {q[1], q[2], q[3], q[0]});
      }
      if (move.times.empty()) continue;
      animation.channels.push_back(std::move(move));
      animation.channels.push_back(std::move(turn));
    }
    if (!animation.channels.empty()) scene.animations.push_back(std::move(animation));
  }
}

}  // namespace

SceneDocument ConvertedScene(const CompoundModel& model, const LevelGeometry& geometry,
                             std::span<const LevelGeometry> furtherLevels,
                             const ExportTransform& transform, const LevelCollision* hulls,
                             bool wires, std::vector<std::string>* warnings) {
  const Undo undo(transform);
  SceneBuilder builder(model, undo);

  // Depth first, so that a reader that takes meshes in node order meets
  // them in the file's order: a part, its levels, then the parts hung on it.
  std::vector<std::vector<std::size_t>> childParts(geometry.parts.size());
  std::vector<std::pair<std::size_t, int>> pending;  // part, its parent's node
  std::vector<int> partNodes(geometry.parts.size(), -1);
  // A part no joint hangs on another (an export without --fix, a joint
  // loop) hangs on the first part, where the game leaves it: a tree has one
  // top, and no properties make a fixed joint.
  for (std::size_t p = geometry.parts.size(); p-- > 0;) {
    const int parent = geometry.parts[p].parent;
    if (p == 0) {
      pending.emplace_back(p, -1);
    } else {
      childParts[static_cast<std::size_t>(std::max(parent, 0))].push_back(p);
    }
  }
  while (!pending.empty()) {
    const auto [p, parentNode] = pending.back();
    pending.pop_back();
    const LevelPart& part = geometry.parts[p];
    // The node lies where the joint places the part, its origin plus its
    // offset; the offset travels as a property beside it.
    const int partNode =
        builder.AddNode(part.name, parentNode, part.toParent.rotation, part.toParent.translation);
    if (part.joint) builder.SetProperties(partNode, JointProperties(*part.joint, undo));
    const std::string stem = MeshStem(part);
    builder.AddMeshes(partNode, part.meshes, stem);
    for (std::size_t k = 0; k < furtherLevels.size(); ++k) {
      // Every level lists the same parts in the same order.
      const LevelPart& level = furtherLevels[k].parts.at(p);
      if (level.meshes.empty()) continue;
      const std::string suffix = kLevelSuffix + std::to_string(k + 1);
      builder.AddMeshes(builder.AddNode(part.name + suffix, partNode, kIdentity, {}), level.meshes,
                        stem + suffix);
    }
    std::map<const Hardpoint*, int> hardpointNodes;
    for (const Hardpoint& hardpoint : part.hardpoints) {
      const int node = builder.AddNode(
          hardpoint.name, partNode, hardpoint.orientation.value_or(kIdentity), *hardpoint.position);
      builder.SetProperties(node, HardpointProperties(hardpoint, undo));
      hardpointNodes[&hardpoint] = node;
    }
    if (hulls) AddHullNodes(builder, hulls->hullsOfPart.at(p), part, partNode, hardpointNodes);
    // A wire of a library no level uses is left out: the game draws none.
    const Part& source = model.parts[part.modelPart];
    const MeshLibraryEntry* library = source.wire ? model.FindLibrary(source.wire->libraryId) : nullptr;
    if (wires && library && library->buffer && FindWireTarget(source, *source.wire)) {
      const std::string name = part.name + kWireSuffix;
      builder.AddWire(builder.AddNode(name, partNode, kIdentity, {}), *source.wire,
                      library->buffer->vertices, name);
    }
    partNodes[p] = partNode;
    // Listed last part first, so that the first comes off the stack first.
    for (std::size_t child : childParts[p]) pending.emplace_back(child, partNode);
  }
  if (warnings) *warnings = builder.TakeWarnings();
  SceneDocument scene = builder.Take();
  AddScriptAnimations(model, geometry, partNodes, undo, scene);
  return scene;
}

}  // namespace svcmp::cli
