#include "simplify/surface_check.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace svcmp {
namespace {

using PositionKey = std::array<std::uint32_t, 3>;

struct PositionKeyHash {
  std::size_t operator()(const PositionKey& key) const {
    return (static_cast<std::size_t>(key[0]) * 73856093u) ^
           (static_cast<std::size_t>(key[1]) * 19349663u) ^
           (static_cast<std::size_t>(key[2]) * 83492791u);
  }
};

PositionKey KeyOf(const float* position) {
  // +0 and -0 are one place.
  return {std::bit_cast<std::uint32_t>(position[0] + 0.0f),
          std::bit_cast<std::uint32_t>(position[1] + 0.0f),
          std::bit_cast<std::uint32_t>(position[2] + 0.0f)};
}

// The face normal, as long as twice the face's area.
std::array<double, 3> CornerCross(const MeshRecord& mesh, const MeshTriangle& triangle) {
  const float* a = mesh.vertices[triangle.index[0]].position;
  const float* b = mesh.vertices[triangle.index[1]].position;
  const float* c = mesh.vertices[triangle.index[2]].position;
  const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const double v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  return {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
}

double Length(const std::array<double, 3>& v) {
  return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

bool NamesOwnVertices(const MeshRecord& mesh, const MeshTriangle& triangle) {
  const std::size_t count = mesh.vertices.size();
  return triangle.index[0] < count && triangle.index[1] < count && triangle.index[2] < count;
}

// Calls visit(mesh, triangle) for every triangle of a geometry mesh.
template <typename Visit>
void ForEachTriangle(const MeshList& meshList, Visit visit) {
  for (const MeshRecord& mesh : meshList) {
    if (mesh.isHardpoint) continue;
    for (const MeshTriangle& triangle : mesh.triangles) {
      if (NamesOwnVertices(mesh, triangle)) visit(mesh, triangle);
    }
  }
}

// Positions numbered as first met, and the edges between them that one
// triangle alone uses.
class OpenEdgeFinder {
 public:
  std::vector<std::pair<std::uint32_t, std::uint32_t>> OpenEdges(const MeshList& meshList) {
    std::unordered_map<std::uint64_t, std::uint32_t> uses;
    ForEachTriangle(meshList, [&](const MeshRecord& mesh, const MeshTriangle& triangle) {
      std::uint32_t id[3];
      for (int k = 0; k < 3; ++k) id[k] = IdOf(mesh.vertices[triangle.index[k]].position);
      for (int k = 0; k < 3; ++k) {
        const std::uint32_t a = std::min(id[k], id[(k + 1) % 3]);
        const std::uint32_t b = std::max(id[k], id[(k + 1) % 3]);
        if (a != b) ++uses[std::uint64_t{a} << 32 | b];
      }
    });
    std::vector<std::pair<std::uint32_t, std::uint32_t>> open;
    for (const auto& [edge, count] : uses) {
      if (count == 1)
        open.emplace_back(static_cast<std::uint32_t>(edge >> 32), static_cast<std::uint32_t>(edge));
    }
    return open;
  }

 private:
  std::uint32_t IdOf(const float* position) {
    return ids_.try_emplace(KeyOf(position), static_cast<std::uint32_t>(ids_.size())).first->second;
  }

  std::unordered_map<PositionKey, std::uint32_t, PositionKeyHash> ids_;
};

}  // namespace

SurfaceDefects FindSurfaceDefects(const MeshList& level, const MeshList& source) {
  SurfaceDefects defects;
  // An open edge of the level is new unless both its ends lie on the
  // source's own open border (which simplification may shorten).
  OpenEdgeFinder edges;
  std::unordered_set<std::uint32_t> onSourceBorder;
  for (const auto& [a, b] : edges.OpenEdges(source)) onSourceBorder.insert({a, b});
  for (const auto& [a, b] : edges.OpenEdges(level)) {
    if (!onSourceBorder.contains(a) || !onSourceBorder.contains(b)) ++defects.newOpenEdges;
  }

  // The source surface's direction at each position: its faces' normals
  // (area-weighted, as the cross product is) added up.
  std::unordered_map<PositionKey, std::array<double, 3>, PositionKeyHash> normalAt;
  ForEachTriangle(source, [&](const MeshRecord& mesh, const MeshTriangle& triangle) {
    const std::array<double, 3> normal = CornerCross(mesh, triangle);
    for (const std::uint16_t index : triangle.index) {
      std::array<double, 3>& sum = normalAt[KeyOf(mesh.vertices[index].position)];
      for (int axis = 0; axis < 3; ++axis) sum[axis] += normal[axis];
    }
  });
  double area = 0;
  double flippedArea = 0;
  ForEachTriangle(level, [&](const MeshRecord& mesh, const MeshTriangle& triangle) {
    const std::array<double, 3> normal = CornerCross(mesh, triangle);
    area += Length(normal);
    std::array<double, 3> surface = {0, 0, 0};
    for (const std::uint16_t index : triangle.index) {
      const auto found = normalAt.find(KeyOf(mesh.vertices[index].position));
      if (found == normalAt.end()) continue;
      for (int axis = 0; axis < 3; ++axis) surface[axis] += found->second[axis];
    }
    const double dot = normal[0] * surface[0] + normal[1] * surface[1] + normal[2] * surface[2];
    if (dot < 0) {
      ++defects.flippedFaces;
      flippedArea += Length(normal);
    }
  });
  defects.flippedAreaShare = area > 0 ? flippedArea / area : 0;
  return defects;
}

}  // namespace svcmp
