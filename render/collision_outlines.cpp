#include "render/collision_outlines.h"

#include <algorithm>
#include <set>
#include <utility>

namespace svcmp::render {
namespace {

// The hull's edges, each once although both its faces run along it.
SceneOutline OutlineOf(const LevelHull& hull, const PartTransform& toModel) {
  SceneOutline outline;
  outline.kind = hull.hardpointHull ? OutlineKind::HardpointHull : OutlineKind::Hull;
  const std::vector<CollisionPoint>& points = hull.part->points;
  std::set<std::pair<std::uint16_t, std::uint16_t>> drawn;
  for (const CollisionFace& face : hull.hull->faces) {
    for (std::size_t k = 0; k < 3; ++k) {
      const std::uint16_t a = face.points[k];
      const std::uint16_t b = face.points[(k + 1) % 3];
      if (a >= points.size() || b >= points.size()) continue;
      if (!drawn.insert(std::minmax(a, b)).second) continue;
      outline.edges.push_back(
          {ApplyTransform(toModel, points[a].position), ApplyTransform(toModel, points[b].position)});
    }
  }
  return outline;
}

}  // namespace

void AddCollisionOutlines(Scene& scene, const LevelGeometry& geometry,
                          const LevelCollision& collision) {
  for (std::size_t p = 0; p < geometry.parts.size() && p < collision.hullsOfPart.size(); ++p) {
    for (const LevelHull& hull : collision.hullsOfPart[p]) {
      scene.outlines.push_back(OutlineOf(hull, geometry.parts[p].toModel));
      scene.outlines.back().part = p;
    }
  }
}

}  // namespace svcmp::render
