// Feeds arbitrary bytes to the collision file decoder. Whatever it accepts
// must keep the promises its readers rely on: every index it hands out
// names something that exists.
#include <cstdint>
#include <cstdlib>

#include "inspect/collision_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto decoded = svcmp::DecodeCollisionFile({data, size});
  if (!decoded.file) return 0;
  for (const svcmp::CollisionPart& part : decoded.file->parts) {
    for (const svcmp::CollisionHull& hull : part.hulls) {
      for (const svcmp::CollisionFace& face : hull.faces) {
        for (const auto point : face.points) {
          if (point >= part.points.size()) std::abort();
        }
        for (const auto twin : face.twins) {
          if (twin >= 3 * hull.faces.size()) std::abort();
        }
        if (face.pierce >= hull.faces.size()) std::abort();
      }
    }
    for (const svcmp::CollisionNode& node : part.nodes) {
      if (node.hull >= static_cast<int>(part.hulls.size())) std::abort();
      if (node.right >= static_cast<int>(part.nodes.size())) std::abort();
    }
  }
  return 0;
}
