#include "cli/collision_export.h"

#include <string>
#include <vector>

#include "collision/part_collision.h"
#include "collision/sur_writer.h"
#include "format/cmp_node_names.h"
#include "format/name_crc.h"
#include "inspect/collision_checks.h"
#include "inspect/collision_decoder.h"

namespace svcmp::cli {
namespace {

constexpr std::uint32_t kOnePartId = 0;  // a single-part model's part id

std::vector<CollisionVector> PointsOf(const MeshRecord& mesh) {
  std::vector<CollisionVector> points;
  points.reserve(mesh.vertices.size());
  for (const MeshVertex& vertex : mesh.vertices) {
    points.push_back({vertex.position[0], vertex.position[1], vertex.position[2]});
  }
  return points;
}

// The parts as the export forms them, each with its geometry meshes as
// pieces; groups are named after their first mesh.
std::vector<CollisionPartInput> PartsOf(const MeshList& meshes, const CollisionShape& shape) {
  std::vector<const MeshRecord*> geometry;
  for (const MeshRecord& mesh : meshes) {
    if (!mesh.isHardpoint) geometry.push_back(&mesh);
  }
  std::vector<CollisionPartInput> parts;
  std::size_t next = 0;
  for (std::size_t i = 0; i < shape.meshesPerPart.size() && next < geometry.size(); ++i) {
    CollisionPartInput part;
    const std::string objectName = geometry[next]->meshName + kGroupObjectSuffix;
    part.id = shape.meshesPerPart.size() == 1 ? kOnePartId : NameCrc(PartObjectName(i, objectName));
    part.moves = i == 0 || !shape.fixJoints;
    const std::size_t end =
        std::min(geometry.size(), next + static_cast<std::size_t>(shape.meshesPerPart[i]));
    for (; next < end; ++next) {
      std::vector<CollisionVector> points = PointsOf(*geometry[next]);
      if (shape.hullPerPart && !part.pieces.empty()) {
        part.pieces.front().points.insert(part.pieces.front().points.end(), points.begin(),
                                          points.end());
      } else {
        part.pieces.push_back({part.id, geometry[next]->meshName, std::move(points)});
      }
    }
    parts.push_back(std::move(part));
  }
  // Fix joints hold the other parts where they lie, so Root holds them unmoved.
  if (shape.fixJoints) {
    for (std::size_t i = 1; i < parts.size(); ++i) parts.front().fixedChildren.push_back({i});
  }
  return parts;
}

}  // namespace

bool CollisionWriterAvailable() { return true; }

CollisionFileBytes MakeCollisionFile(const MeshList& meshes, const CollisionShape& shape) {
  CollisionBuild built = BuildCollision(PartsOf(meshes, shape), shape.maxHullFaces);
  CollisionFileBytes made;
  made.warnings = std::move(built.warnings);
  std::erase_if(built.parts, [](const PartHulls& part) { return part.leaves.empty(); });
  if (built.parts.empty()) {
    made.error = "the model has no piece a collision hull can be made of";
    made.nothingToHull = true;
    return made;
  }
  for (const PartHulls& part : built.parts) {
    for (const ConvexHull& hull : part.leaves) {
      if (hull.triangles.size() > shape.maxHullFaces) {
        made.error = "a hull cannot be made of at most " + std::to_string(shape.maxHullFaces) +
                     " faces; allow more with --max-hull-faces";
        return made;
      }
    }
  }
  SurWriting written = WriteSurFile(built.parts);
  if (!written.error.empty()) {
    made.error = "the collision file cannot be made: " + written.error;
    return made;
  }
  const CollisionDecoding decoded = DecodeCollisionFile(written.bytes);
  if (!decoded.file) {
    made.error = "the collision file made breaks the rule " + decoded.error.rule + " at byte " +
                 std::to_string(decoded.error.offset) + ": " + decoded.error.message;
    return made;
  }
  const Findings findings = CheckCollisionFile(*decoded.file, nullptr);
  if (!findings.empty()) {
    made.error = "the collision file made breaks the rule " + findings.front().rule + ": " +
                 findings.front().message;
    return made;
  }
  made.bytes = std::move(written.bytes);
  return made;
}

}  // namespace svcmp::cli
