#include "job/collision_export.h"

namespace svcmp {

// Built where Qhull is not found: export refuses
// --collision before it reads anything, so the maker is never called.
bool CollisionWriterAvailable() { return false; }

StepResult<CollisionFileBytes> MakeCollisionFile(const MeshList&, const CollisionShape&) {
  return StepResult<CollisionFileBytes>::Failed("this cmptool cannot make collision files");
}

}  // namespace svcmp
