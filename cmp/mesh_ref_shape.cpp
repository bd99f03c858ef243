#include "cmp/mesh_ref_shape.h"

#include <algorithm>
#include <vector>

namespace svcmp {

MeshRefShape ExactMeshRefShape(const MeshList& meshList, std::size_t startMesh,
                               std::size_t meshCount) {
  std::vector<Position> points;
  std::size_t geometryIndex = 0;
  for (const MeshRecord& mesh : meshList) {
    if (mesh.isHardpoint) continue;
    const std::size_t index = geometryIndex++;
    if (index < startMesh || index - startMesh >= meshCount) continue;
    for (const MeshVertex& vertex : mesh.vertices)
      points.push_back({vertex.position[0], vertex.position[1], vertex.position[2]});
  }

  MeshRefShape shape;
  if (points.empty()) return shape;
  Bounds& box = shape.box;
  box = {points[0][0], points[0][0], points[0][1], points[0][1], points[0][2], points[0][2]};
  for (const Position& p : points) {
    box.maxX = std::max(box.maxX, p[0]), box.minX = std::min(box.minX, p[0]);
    box.maxY = std::max(box.maxY, p[1]), box.minY = std::min(box.minY, p[1]);
    box.maxZ = std::max(box.maxZ, p[2]), box.minZ = std::min(box.minZ, p[2]);
  }
  shape.sphere = MinimumEnclosingSphere(points);
  return shape;
}

}  // namespace svcmp
