#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "plugin/mesh_records.h"

namespace svcmp::cli {

// A collision file made for an export, not yet written: its bytes, or why
// it cannot be made; and the pieces left out of it.
struct CollisionFileBytes {
  std::vector<std::uint8_t> bytes;
  std::string error;  // empty when made
  bool nothingToHull = false;  // no part has a piece a hull can be made of
  std::vector<std::string> warnings;
};

// How the export forms its parts and their hulls.
struct CollisionShape {
  std::span<const std::int32_t> meshesPerPart;  // geometry meshes per part, in order
  bool fixJoints = false;   // --fix: every part but Root hangs from Root by a Fix joint
  bool hullPerPart = false;  // one hull per part rather than per geometry mesh
  unsigned maxHullFaces = 300;
};

// Whether this cmptool can make collision files (it needs Qhull).
bool CollisionWriterAvailable();

// The collision file of an export of one part or of groups, whose parts all
// lie in the model's frame: hulls of at most `maxHullFaces` faces per
// geometry mesh (or per part), Root flagged as moving, the parts hanging
// from it by Fix joints copied into it. Read back by our decoder and
// checked before it is given, so a file that breaks a rule is never written.
// Parts without a piece a hull can be made of are left out (the warnings
// say which pieces); when that is every part, there is no file.
CollisionFileBytes MakeCollisionFile(const MeshList& meshes, const CollisionShape& shape);

}  // namespace svcmp::cli
