#include "plugin/export_checks.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace svcmp {

std::string Grouped(std::size_t value) {
  const std::string digits = std::to_string(value);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i != 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

namespace {

const std::string kLimit = Grouped(kMaxMeshBufferCount);

}  // namespace

std::optional<std::string> CheckMeshBufferLimits(const MeshList& meshList) {
  std::size_t meshes = 0;
  std::size_t vertices = 0;
  std::size_t indices = 0;
  for (const MeshRecord& mesh : meshList) {
    if (mesh.isHardpoint) continue;
    ++meshes;
    vertices += mesh.vertices.size();
    indices += 3 * mesh.triangles.size();
  }
  if (meshes > kMaxMeshBufferCount) {
    return "The model has " + Grouped(meshes) + " meshes that are not hardpoints; a .cmp file holds at most " +
           kLimit + ". Merge some meshes and export again.";
  }
  if (vertices > kMaxMeshBufferCount) {
    return "The model's meshes have " + Grouped(vertices) +
           " vertices in all; a .cmp file holds at most " + kLimit +
           ". Reduce the model or split it into several files and export again.";
  }
  if (indices > kMaxMeshBufferCount) {
    return "The model's meshes have " + Grouped(indices / 3) + " triangles in all (" + Grouped(indices) +
           " vertex indices); a .cmp file holds at most " + Grouped(kMaxMeshBufferCount / 3) + " triangles (" +
           kLimit + " indices). Reduce the model or split it into several files and export again.";
  }
  return std::nullopt;
}

namespace {

std::optional<std::string> CheckTriangles(const MeshList& meshList) {
  for (const MeshRecord& mesh : meshList) {
    if (mesh.isHardpoint) continue;
    const std::size_t vertexCount = mesh.vertices.size();
    for (std::size_t k = 0; k < mesh.triangles.size(); ++k) {
      const auto& index = mesh.triangles[k].index;
      const auto* outside = std::find_if(std::begin(index), std::end(index),
                                         [vertexCount](std::uint16_t i) { return i >= vertexCount; });
      if (outside == std::end(index)) continue;
      return "Triangle " + std::to_string(k) + " (counted from 0) of mesh \"" + mesh.meshName +
             "\" uses vertex " + std::to_string(*outside) + ", but the mesh has only " +
             std::to_string(vertexCount) + (vertexCount == 1 ? " vertex" : " vertices") +
             ". Repair the mesh and export again.";
    }
  }
  return std::nullopt;
}

bool IsFinite(const float (&vector)[3]) {
  return std::isfinite(vector[0]) && std::isfinite(vector[1]) && std::isfinite(vector[2]);
}

// Coordinates far beyond any ship's size are still finite, but the cross
// products behind the normals overflow, and a NaN normal breaks the model's
// lighting in the game without a word.
std::optional<std::string> CheckNormals(const MeshList& meshList) {
  for (const MeshRecord& mesh : meshList) {
    if (mesh.isHardpoint) continue;
    const bool faceFault =
        std::any_of(mesh.faceNormals.begin(), mesh.faceNormals.end(), [](const FaceNormal& n) {
          return !IsFinite({n.x, n.y, n.z});
        });
    const bool vertexFault = std::any_of(mesh.vertices.begin(), mesh.vertices.end(),
                                         [](const MeshVertex& v) { return !IsFinite(v.normal); });
    if (!faceFault && !vertexFault) continue;
    return "The normals of mesh \"" + mesh.meshName +
           "\" come out as no finite number: its coordinates are too large even after the "
           "scale-down. Scale the model down and export again.";
  }
  return std::nullopt;
}

std::optional<std::string> CheckQuantities(int groupCount,
                                           const std::array<std::int32_t, kMaxGroupCount>& quantities) {
  if (groupCount <= 1) return std::nullopt;
  const int counted = std::min(groupCount, kMaxGroupCount);
  for (int g = 0; g < counted; ++g) {
    const std::int32_t quantity = quantities[static_cast<std::size_t>(g)];
    if (quantity >= 0) continue;
    return "Mesh group " + std::to_string(g + 1) + " is set to " + std::to_string(quantity) +
           " meshes; a group cannot hold fewer than 0. Correct the group quantities and export again.";
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> CheckExportable(const MeshList& meshList, int groupCount,
                                           const std::array<std::int32_t, kMaxGroupCount>& quantities) {
  if (auto problem = CheckQuantities(groupCount, quantities)) return problem;
  if (auto problem = CheckMeshBufferLimits(meshList)) return problem;
  if (auto problem = CheckTriangles(meshList)) return problem;
  return CheckNormals(meshList);
}

}  // namespace svcmp
