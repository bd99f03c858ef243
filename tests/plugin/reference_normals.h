#pragma once

#include <cstddef>
#include <vector>

#include "plugin/mesh_normals.h"
#include "plugin/mesh_records.h"

namespace svcmp::testing {

// Vertex normals computed the slow, obviously faithful way: for every vertex,
// ask every triangle in ascending order whether it names the vertex. The
// fast pass must agree with this bit for bit.
inline std::vector<FaceNormal> ReferenceVertexNormals(const MeshRecord& record) {
  const std::size_t vertexCount = record.vertices.size();
  std::vector<FaceNormal> faceNormals(record.triangles.size());
  std::vector<bool> usable(record.triangles.size(), false);
  for (std::size_t k = 0; k < record.triangles.size(); ++k) {
    const auto& index = record.triangles[k].index;
    if (index[0] >= vertexCount || index[1] >= vertexCount || index[2] >= vertexCount) continue;
    usable[k] = true;
    faceNormals[k] = ComputeFaceNormal(record.vertices[index[0]], record.vertices[index[1]],
                                       record.vertices[index[2]]);
  }

  std::vector<FaceNormal> normals(vertexCount);
  for (std::size_t j = 0; j < vertexCount; ++j) {
    FaceNormal sum{0.0f, 0.0f, 0.0f};
    int count = 0;
    for (std::size_t k = 0; k < record.triangles.size(); ++k) {
      const auto& index = record.triangles[k].index;
      if (!usable[k] || (index[0] != j && index[1] != j && index[2] != j)) continue;
      sum.x += faceNormals[k].x;
      sum.y += faceNormals[k].y;
      sum.z += faceNormals[k].z;
      ++count;
    }
    if (count == 0) {
      normals[j] = kUnusedVertexNormal;
    } else {
      const float divisor = static_cast<float>(count);
      normals[j] = Normalise({sum.x / divisor, sum.y / divisor, sum.z / divisor});
    }
  }
  return normals;
}

}  // namespace svcmp::testing
