#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "plugin/mesh_records.h"
#include "plugin/model_capture.h"

namespace svcmp::testing {

// A captured geometry mesh with `vertexCount` vertices at distinct places and
// `triangleCount` triangles over them; enough for the buffer's counts.
inline MeshRecord MakeMesh(std::string name, std::size_t vertexCount, std::size_t triangleCount = 0,
                           std::string material = "") {
  MeshRecord mesh;
  mesh.meshName = std::move(name);
  mesh.materialName = std::move(material);
  mesh.isHardpoint = IsHardpointName(mesh.meshName);
  for (std::size_t j = 0; j < vertexCount; ++j) {
    const float at = static_cast<float>(j);
    mesh.vertices.push_back({{at, -at, 0.5f * at}, {0, 1, 0}, {0, 0}});
  }
  for (std::size_t k = 0; k < triangleCount; ++k) {
    const auto corner = [&](std::size_t n) {
      return static_cast<std::uint16_t>(vertexCount == 0 ? 0 : (k + n) % vertexCount);
    };
    mesh.triangles.push_back({{corner(0), corner(1), corner(2)}});
  }
  mesh.faceNormals.resize(triangleCount);
  return mesh;
}

// Random vertices on a coarse grid (so corners coincide now and then), random
// triangles with repeated corners, and a few vertices no triangle uses.
inline MeshRecord MakeRandomMesh(std::mt19937& random, std::size_t vertexCount, std::size_t triangleCount) {
  MeshRecord mesh;
  std::uniform_int_distribution<int> grid(-4, 4);
  std::uniform_real_distribution<float> fine(-100.0f, 100.0f);
  std::bernoulli_distribution coarse(0.5);
  for (std::size_t j = 0; j < vertexCount; ++j) {
    MeshVertex vertex{};
    for (float& value : vertex.position) value = coarse(random) ? static_cast<float>(grid(random)) : fine(random);
    mesh.vertices.push_back(vertex);
  }
  // The last few vertices stay unused.
  const std::size_t used = vertexCount > 3 ? vertexCount - 3 : vertexCount;
  std::uniform_int_distribution<std::size_t> pick(0, used - 1);
  std::uniform_int_distribution<int> shape(0, 9);
  for (std::size_t k = 0; k < triangleCount; ++k) {
    MeshTriangle triangle{};
    for (auto& index : triangle.index) index = static_cast<std::uint16_t>(pick(random));
    if (shape(random) == 0) triangle.index[1] = triangle.index[0];  // names a vertex twice
    if (shape(random) == 0) triangle.index[2] = triangle.index[1] = triangle.index[0];  // a point
    mesh.triangles.push_back(triangle);
  }
  return mesh;
}

}  // namespace svcmp::testing
