#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "cmp/node_part.h"
#include "exporter/parts_from_nodes.h"
#include "job/step_result.h"
#include "plugin/mesh_records.h"

namespace svcmp {

// A collision file made for an export, not yet written.
struct CollisionFileBytes {
  // Empty when no part has a piece a hull can be made of; `leftOut` says so.
  std::vector<std::uint8_t> bytes;
  std::string leftOut;
  std::vector<std::uint32_t> partIds;  // of every part of the export, with collision or not
};

// How the export forms its parts and their hulls.
struct CollisionShape {
  std::span<const std::int32_t> meshesPerPart;  // geometry meshes per part, in order
  bool fixJoints = false;  // --fix: every part but Root hangs from Root by a Fix joint
  // Parts from the node tree (in place of --fix): their names and joints,
  // and the collision pieces the tree models for them.
  std::span<const NodePart> nodeParts;
  std::span<const ModelledHull> modelledHulls;
  bool hullPerPart = false;  // one hull per part rather than per geometry mesh
  unsigned maxHullFaces = 300;
  // A clearly concave geometry mesh split into convex pieces, a part's
  // meshes into at most `maxHullsPerPart` hulls together.
  bool decompose = true;
  unsigned maxHullsPerPart = 8;
};

// Whether this cmptool can make collision files (it needs Qhull).
bool CollisionWriterAvailable();

// The collision file of an export, each part in its own frame (as
// `meshes` has them): hulls of at most `maxHullFaces` faces per geometry
// mesh (a clearly concave one split into convex pieces, or one per part),
// or of the pieces the node tree models for the part;
// hardpoint hulls; Root and the parts joined by anything but Fix flagged as
// moving, the parts held by Fix joints copied into the part that holds
// them. Read back by our decoder and checked before it is given, so a file
// that breaks a rule is never written.
// Parts without a piece a hull can be made of are left out (the warnings
// say which pieces); when that is every part, there are no bytes.
StepResult<CollisionFileBytes> MakeCollisionFile(const MeshList& meshes,
                                                 const CollisionShape& shape);

}  // namespace svcmp
