#include "simplify/mesh_simplifier.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "plugin/mesh_normals.h"
#include "plugin/model_capture.h"

namespace svcmp {
namespace {

// The triangle count decides how far to go, never the error.
constexpr float kNoErrorLimit = std::numeric_limits<float>::max();

bool NamesOnlyOwnVertices(const MeshRecord& mesh) {
  const std::size_t vertexCount = mesh.vertices.size();
  return std::all_of(mesh.triangles.begin(), mesh.triangles.end(), [&](const MeshTriangle& t) {
    return t.index[0] < vertexCount && t.index[1] < vertexCount && t.index[2] < vertexCount;
  });
}

// Every simplifiable mesh's vertices and triangles in one buffer: vertices
// that coincide across meshes become seams the simplifier keeps closed.
struct CombinedGeometry {
  std::vector<std::size_t> meshes;         // indices into the mesh list
  std::vector<std::uint32_t> firstVertex;  // per entry of `meshes`, plus the total
  std::vector<float> positions;
  std::vector<std::uint32_t> indices;
};

CombinedGeometry Combine(const MeshList& meshList) {
  CombinedGeometry combined;
  for (std::size_t m = 0; m < meshList.size(); ++m) {
    const MeshRecord& mesh = meshList[m];
    if (mesh.isHardpoint || mesh.triangles.empty() || !NamesOnlyOwnVertices(mesh)) continue;
    const auto base = static_cast<std::uint32_t>(combined.positions.size() / 3);
    combined.meshes.push_back(m);
    combined.firstVertex.push_back(base);
    for (const MeshVertex& vertex : mesh.vertices) {
      combined.positions.insert(combined.positions.end(), vertex.position, vertex.position + 3);
    }
    for (const MeshTriangle& triangle : mesh.triangles) {
      for (const std::uint16_t index : triangle.index) combined.indices.push_back(base + index);
    }
  }
  combined.firstVertex.push_back(static_cast<std::uint32_t>(combined.positions.size() / 3));
  return combined;
}

// Replaces the mesh's triangles by `kept` (combined indices, `base` its first
// vertex): only the vertices they use stay, in their order, and bounds and
// normals are made anew.
void Rebuild(MeshRecord& mesh, const std::vector<std::uint32_t>& kept, std::uint32_t base) {
  constexpr std::uint32_t kUnused = std::numeric_limits<std::uint32_t>::max();
  std::vector<std::uint32_t> newIndex(mesh.vertices.size(), kUnused);
  for (const std::uint32_t index : kept) newIndex[index - base] = 0;
  std::vector<MeshVertex> vertices;
  for (std::size_t j = 0; j < mesh.vertices.size(); ++j) {
    if (newIndex[j] == kUnused) continue;
    newIndex[j] = static_cast<std::uint32_t>(vertices.size());
    vertices.push_back(mesh.vertices[j]);
  }
  std::vector<MeshTriangle> triangles(kept.size() / 3);
  for (std::size_t i = 0; i < kept.size(); ++i) {
    // Fewer vertices than before, so each new index fits 16 bits.
    triangles[i / 3].index[i % 3] = static_cast<std::uint16_t>(newIndex[kept[i] - base]);
  }
  mesh.vertices = std::move(vertices);
  mesh.triangles = std::move(triangles);
  mesh.bounds = BoundsOf(mesh.vertices);
  ComputeMeshNormals(mesh);
}

}  // namespace

bool SimplifierAvailable() { return true; }

SimplifyReport SimplifyGeometry(MeshList& meshList, std::size_t targetTriangles) {
  SimplifyReport report;
  report.trianglesBefore = GeometryTriangleCount(meshList);
  report.trianglesAfter = report.trianglesBefore;
  if (report.trianglesBefore <= targetTriangles) return report;

  const CombinedGeometry combined = Combine(meshList);
  const std::size_t vertexCount = combined.positions.size() / 3;
  // Triangles outside the buffer (meshes left as they are) count against the target.
  const std::size_t outside = report.trianglesBefore - combined.indices.size() / 3;
  const std::size_t targetIndices = std::min(
      combined.indices.size(), 3 * (targetTriangles > outside ? targetTriangles - outside : 0));
  std::vector<std::uint32_t> simplified(combined.indices.size());
  simplified.resize(meshopt_simplify(simplified.data(), combined.indices.data(),
                                     combined.indices.size(), combined.positions.data(),
                                     vertexCount, 3 * sizeof(float), targetIndices, kNoErrorLimit,
                                     0, &report.relativeError));

  // Each triangle lies within one mesh, whose vertex range its first corner names.
  std::vector<std::vector<std::uint32_t>> kept(combined.meshes.size());
  for (std::size_t i = 0; i < simplified.size(); i += 3) {
    const auto owner =
        std::upper_bound(combined.firstVertex.begin(), combined.firstVertex.end(), simplified[i]) -
        combined.firstVertex.begin() - 1;
    auto& triangles = kept[static_cast<std::size_t>(owner)];
    triangles.insert(triangles.end(), simplified.begin() + static_cast<std::ptrdiff_t>(i),
                     simplified.begin() + static_cast<std::ptrdiff_t>(i + 3));
  }
  for (std::size_t k = 0; k < combined.meshes.size(); ++k) {
    MeshRecord& mesh = meshList[combined.meshes[k]];
    const std::size_t keptTriangles = kept[k].size() / 3;
    if (keptTriangles == 0 || keptTriangles == mesh.triangles.size()) continue;
    Rebuild(mesh, kept[k], combined.firstVertex[k]);
  }
  report.trianglesAfter = GeometryTriangleCount(meshList);
  return report;
}

}  // namespace svcmp
