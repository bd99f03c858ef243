#include "cli/collision_export.h"

namespace svcmp::cli {

// Built where Qhull is not found: export refuses
// --collision before it reads anything, so the maker is never called.
bool CollisionWriterAvailable() { return false; }

CollisionFileBytes MakeCollisionFile(const MeshList&, const CollisionShape&) {
  CollisionFileBytes none;
  none.error = "this cmptool cannot make collision files";
  return none;
}

}  // namespace svcmp::cli
