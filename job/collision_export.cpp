#include "job/collision_export.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "collision/part_collision.h"
#include "collision/sur_writer.h"
#include "format/cmp_node_names.h"
#include "format/name_crc.h"
#include "inspect/collision_checks.h"
#include "inspect/collision_decoder.h"
#include "job/collision_update.h"

namespace svcmp {
namespace {

std::vector<MeshCorners> TrianglesOf(const MeshRecord& mesh) {
  std::vector<MeshCorners> triangles;
  triangles.reserve(mesh.triangles.size());
  for (const MeshTriangle& t : mesh.triangles) triangles.push_back({t.index[0], t.index[1], t.index[2]});
  return triangles;
}

std::vector<CollisionVector> PointsOf(const MeshRecord& mesh) {
  std::vector<CollisionVector> points;
  points.reserve(mesh.vertices.size());
  for (const MeshVertex& vertex : mesh.vertices) {
    points.push_back({vertex.position[0], vertex.position[1], vertex.position[2]});
  }
  return points;
}

// The index of the node part whose object name is `name`.
std::optional<std::size_t> NodePartNamed(std::span<const NodePart> parts, std::string_view name) {
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (PartObjectName(i, parts[i].name) == name) return i;
  }
  return std::nullopt;
}

// The node tree's joints: what moves, and which parts Fix joints hold where.
void JoinNodeParts(std::span<const NodePart> nodeParts, std::vector<CollisionPartInput>& parts) {
  for (std::size_t i = 1; i < parts.size(); ++i) {
    const PartJoint& joint = nodeParts[i].joint;
    parts[i].moves = joint.kind != PartJointKind::Fix;
    const std::optional<std::size_t> parent = NodePartNamed(nodeParts, joint.parent);
    if (joint.kind != PartJointKind::Fix || !parent) continue;
    CollisionVector place{};
    for (int k = 0; k < 3; ++k) place[k] = joint.origin[k] + joint.offset[k];
    parts[*parent].fixedChildren.push_back({i, joint.rotation, place});
  }
}

// The modelled pieces in place of the generated ones of their parts, and
// the hardpoint hulls beside them.
void UseModelledHulls(std::span<const ModelledHull> hulls, std::vector<CollisionPartInput>& parts) {
  std::vector<std::vector<CollisionPiece>> modelled(parts.size());
  for (const ModelledHull& hull : hulls) {
    if (hull.part >= parts.size() || !hull.hardpoint.empty()) continue;
    modelled[hull.part].push_back({parts[hull.part].id, hull.node, hull.points, {}});
  }
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (!modelled[i].empty()) parts[i].pieces = std::move(modelled[i]);
  }
  for (const ModelledHull& hull : hulls) {
    if (hull.part >= parts.size() || hull.hardpoint.empty()) continue;
    CollisionPartInput& part = parts[hull.part];
    const std::uint32_t id = NameCrc(hull.hardpoint);
    part.pieces.push_back({id, hull.node, hull.points, {}});
    if (std::find(part.hardpointIds.begin(), part.hardpointIds.end(), id) ==
        part.hardpointIds.end()) {
      part.hardpointIds.push_back(id);
    }
  }
}

// The parts as the export forms them, each with its geometry meshes as
// pieces; groups are named after their first mesh, parts from the node
// tree after their node.
std::vector<CollisionPartInput> PartsOf(const MeshList& meshes, const CollisionShape& shape) {
  std::vector<const MeshRecord*> geometry;
  for (const MeshRecord& mesh : meshes) {
    if (!mesh.isHardpoint) geometry.push_back(&mesh);
  }
  const bool nodeParts = !shape.nodeParts.empty();
  std::vector<CollisionPartInput> parts;
  std::size_t next = 0;
  for (std::size_t i = 0; i < shape.meshesPerPart.size(); ++i) {
    if (nodeParts ? i >= shape.nodeParts.size() : next >= geometry.size()) break;
    CollisionPartInput part;
    const std::string objectName =
        nodeParts ? shape.nodeParts[i].name : geometry[next]->meshName + kGroupObjectSuffix;
    // A one-part .cmp names its part Root too, and the game finds a part's
    // hulls by the id of its name (0 is for single-part .3db models only).
    part.name = PartObjectName(i, objectName);
    part.id = NameCrc(part.name);
    part.moves = i == 0 || !shape.fixJoints;
    const std::size_t end =
        std::min(geometry.size(), next + static_cast<std::size_t>(shape.meshesPerPart[i]));
    for (; next < end; ++next) {
      std::vector<CollisionVector> points = PointsOf(*geometry[next]);
      if (shape.hullPerPart && !part.pieces.empty()) {
        part.pieces.front().points.insert(part.pieces.front().points.end(), points.begin(),
                                          points.end());
      } else {
        part.pieces.push_back({part.id, geometry[next]->meshName, std::move(points),
                               shape.decompose ? TrianglesOf(*geometry[next]) : std::vector<MeshCorners>{}});
      }
    }
    parts.push_back(std::move(part));
  }
  if (nodeParts) {
    JoinNodeParts(shape.nodeParts, parts);
    UseModelledHulls(shape.modelledHulls, parts);
  } else if (shape.fixJoints) {
    // Fix joints hold the other parts where they lie, so Root holds them unmoved.
    for (std::size_t i = 1; i < parts.size(); ++i) parts.front().fixedChildren.push_back({i});
  }
  return parts;
}

// A finding names the part and the piece each hull was made of: the file
// holds, in order, the parts that have hulls.
void NameHulls(const std::vector<CollisionPartInput>& parts, const CollisionBuild& built,
               CollisionFile& file) {
  std::size_t written = 0;
  for (std::size_t p = 0; p < built.parts.size() && written < file.parts.size(); ++p) {
    if (built.parts[p].leaves.empty()) continue;
    CollisionPart& part = file.parts[written++];
    part.name = parts[p].name;
    for (std::size_t h = 0; h < part.hulls.size() && h < built.sources[p].size(); ++h) {
      part.hulls[h].source = built.sources[p][h];
    }
  }
}

}  // namespace

bool CollisionWriterAvailable() { return true; }

StepResult<CollisionFileBytes> MakeCollisionFile(const MeshList& meshes,
                                                 const CollisionShape& shape) {
  using Result = StepResult<CollisionFileBytes>;
  const std::vector<CollisionPartInput> parts = PartsOf(meshes, shape);
  CollisionBuild built = BuildCollision(parts, shape.maxHullFaces, shape.decompose ? shape.maxHullsPerPart : 1);
  CollisionFileBytes made;
  for (const CollisionPartInput& part : parts) made.partIds.push_back(part.id);
  std::vector<std::string> warnings = std::move(built.warnings);
  std::vector<PartHulls> withHulls = built.parts;
  std::erase_if(withHulls, [](const PartHulls& part) { return part.leaves.empty(); });
  if (withHulls.empty()) {
    made.leftOut = "the model has no piece a collision hull can be made of";
    return Result::Made(std::move(made), std::move(warnings));
  }
  for (const PartHulls& part : withHulls) {
    for (const ConvexHull& hull : part.leaves) {
      if (hull.triangles.size() > shape.maxHullFaces) {
        return Result::Failed("a hull cannot be made of at most " +
                                  std::to_string(shape.maxHullFaces) +
                                  " faces; allow more with --max-hull-faces",
                              std::move(warnings));
      }
    }
  }
  SurWriting written = WriteSurFile(withHulls);
  if (!written.error.empty()) {
    return Result::Failed("the collision file cannot be made: " + written.error,
                          std::move(warnings));
  }
  CollisionDecoding decoded = DecodeCollisionFile(written.bytes);
  if (!decoded.file) {
    return Result::Failed("the collision file made " + BrokenCollisionRule(decoded.error),
                          std::move(warnings));
  }
  NameHulls(parts, built, *decoded.file);
  const Findings findings = CheckCollisionFile(*decoded.file, nullptr);
  if (!findings.empty()) {
    return Result::Failed("the collision file made breaks the rule " + findings.front().rule +
                              " in " + findings.front().path + ": " + findings.front().message,
                          std::move(warnings));
  }
  made.bytes = std::move(written.bytes);
  return Result::Made(std::move(made), std::move(warnings));
}

}  // namespace svcmp
