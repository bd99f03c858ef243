#include "plugin/mesh_normals.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace svcmp {
namespace {

bool NamesOnlyMeshVertices(const MeshTriangle& triangle, std::size_t vertexCount) {
  return triangle.index[0] < vertexCount && triangle.index[1] < vertexCount &&
         triangle.index[2] < vertexCount;
}

void SetNormal(MeshVertex& vertex, const FaceNormal& normal) {
  vertex.normal[0] = normal.x;
  vertex.normal[1] = normal.y;
  vertex.normal[2] = normal.z;
}

struct NormalSum {
  FaceNormal sum;  // +0.0 to start, so an all-zero sum stays +0.0
  std::uint32_t count = 0;
};

}  // namespace

FaceNormal Normalise(const FaceNormal& vector) {
  const double x = vector.x;
  const double y = vector.y;
  const double z = vector.z;
  float length = static_cast<float>(std::sqrt((x * x + y * y) + z * z));
  if (length == 0.0f) length = 1.0f;
  // float / float rounds exactly like the quotient taken in double and then
  // rounded to float.
  return {vector.x / length, vector.y / length, vector.z / length};
}

FaceNormal ComputeFaceNormal(const MeshVertex& a, const MeshVertex& b, const MeshVertex& c) {
  // Each edge component is rounded to a float before the cross product.
  double e1[3];
  double e2[3];
  for (int axis = 0; axis < 3; ++axis) {
    e1[axis] = static_cast<float>(static_cast<double>(b.position[axis]) - a.position[axis]);
    e2[axis] = static_cast<float>(static_cast<double>(c.position[axis]) - a.position[axis]);
  }
  // The products of floats are exact in double; each component is rounded
  // once more, to float.
  const FaceNormal raw{static_cast<float>(e1[1] * e2[2] - e1[2] * e2[1]),
                       static_cast<float>(e1[2] * e2[0] - e1[0] * e2[2]),
                       static_cast<float>(e1[0] * e2[1] - e1[1] * e2[0])};
  return Normalise(raw);
}

void ComputeMeshNormals(MeshRecord& record) {
  std::vector<MeshVertex>& vertices = record.vertices;
  const std::size_t vertexCount = vertices.size();
  record.faceNormals.assign(record.triangles.size(), FaceNormal{});
  // Without triangles (a hardpoint's marker, say) no vertex is used, and
  // there is nothing to sum.
  if (record.triangles.empty()) {
    for (MeshVertex& vertex : vertices) SetNormal(vertex, kUnusedVertexNormal);
    return;
  }

  // Walking the triangles once in ascending order adds each vertex's face
  // normals in the same order as asking every triangle about every vertex,
  // so the float sums come out bit for bit the same.
  std::vector<NormalSum> sums(vertexCount);
  const auto add = [&sums](std::uint16_t index, const FaceNormal& normal) {
    NormalSum& entry = sums[index];
    entry.sum.x += normal.x;
    entry.sum.y += normal.y;
    entry.sum.z += normal.z;
    ++entry.count;
  };
  for (std::size_t k = 0; k < record.triangles.size(); ++k) {
    const MeshTriangle& triangle = record.triangles[k];
    if (!NamesOnlyMeshVertices(triangle, vertexCount)) continue;
    const std::uint16_t a = triangle.index[0];
    const std::uint16_t b = triangle.index[1];
    const std::uint16_t c = triangle.index[2];
    const FaceNormal normal = ComputeFaceNormal(vertices[a], vertices[b], vertices[c]);
    record.faceNormals[k] = normal;
    // A triangle that names a vertex twice counts once for it.
    add(a, normal);
    if (b != a) add(b, normal);
    if (c != a && c != b) add(c, normal);
  }

  for (std::size_t j = 0; j < vertexCount; ++j) {
    const NormalSum& entry = sums[j];
    FaceNormal normal = kUnusedVertexNormal;
    if (entry.count != 0) {
      const float count = static_cast<float>(entry.count);
      normal = Normalise({entry.sum.x / count, entry.sum.y / count, entry.sum.z / count});
    }
    SetNormal(vertices[j], normal);
  }
}

}  // namespace svcmp
