#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <utility>

#include "host/host_model.h"
#include "plugin/mesh_normals.h"
#include "plugin/mesh_records.h"
#include "plugin/model_capture.h"

namespace svcmp::testing {

// Kind, bounds and normals as capture makes them.
inline MeshRecord Finished(MeshRecord mesh) {
  mesh.isHardpoint = IsHardpointName(mesh.meshName);
  mesh.bounds = BoundsOf(mesh.vertices);
  ComputeMeshNormals(mesh);
  return mesh;
}

// A sphere about the origin in `rings` bands of `segments` quads each, with a
// texture seam where the longitude wraps round: 2 * segments * (rings - 1)
// triangles. Triangles [firstRing, lastRing) only, for pieces of it.
inline MeshRecord MakeSphere(std::string name, float radius, int rings, int segments,
                             int firstRing = 0, int lastRing = -1) {
  if (lastRing < 0) lastRing = rings;
  MeshRecord mesh;
  mesh.meshName = std::move(name);
  mesh.materialName = "hull";
  for (int r = firstRing; r <= lastRing; ++r) {
    const double latitude = std::numbers::pi * r / rings;
    for (int s = 0; s <= segments; ++s) {
      const double longitude = 2 * std::numbers::pi * s / segments;
      MeshVertex vertex{};
      vertex.position[0] = static_cast<float>(radius * std::sin(latitude) * std::cos(longitude));
      vertex.position[1] = static_cast<float>(radius * std::cos(latitude));
      vertex.position[2] = static_cast<float>(radius * std::sin(latitude) * std::sin(longitude));
      vertex.texture[0] = static_cast<float>(s) / segments;
      vertex.texture[1] = static_cast<float>(r) / rings;
      mesh.vertices.push_back(vertex);
    }
  }
  const auto at = [&](int r, int s) {
    return static_cast<std::uint16_t>((r - firstRing) * (segments + 1) + s);
  };
  for (int r = firstRing; r < lastRing; ++r) {
    for (int s = 0; s < segments; ++s) {
      // The poles' quads are single triangles.
      if (r != 0) mesh.triangles.push_back({{at(r, s), at(r, s + 1), at(r + 1, s)}});
      if (r != rings - 1)
        mesh.triangles.push_back({{at(r, s + 1), at(r + 1, s + 1), at(r + 1, s)}});
    }
  }
  return Finished(std::move(mesh));
}

// A cube of edge `size` about the origin whose faces are grids of `cells` x
// `cells` quads, each face with its own vertices and texture coordinates from
// (0, 0) to (1, 1): every edge of the cube is a texture seam.
inline MeshRecord MakeTexturedBox(std::string name, float size, int cells) {
  MeshRecord mesh;
  mesh.meshName = std::move(name);
  mesh.materialName = "crate";
  for (int face = 0; face < 6; ++face) {
    const int axis = face / 2;  // the face's normal axis
    const float side = face % 2 == 0 ? size / 2 : -size / 2;
    const auto first = static_cast<std::uint16_t>(mesh.vertices.size());
    for (int a = 0; a <= cells; ++a) {
      for (int b = 0; b <= cells; ++b) {
        MeshVertex vertex{};
        vertex.position[axis] = side;
        vertex.position[(axis + 1) % 3] = size * (static_cast<float>(a) / cells - 0.5f);
        vertex.position[(axis + 2) % 3] = size * (static_cast<float>(b) / cells - 0.5f);
        vertex.texture[0] = static_cast<float>(a) / cells;
        vertex.texture[1] = static_cast<float>(b) / cells;
        mesh.vertices.push_back(vertex);
      }
    }
    const auto at = [&](int a, int b) {
      return static_cast<std::uint16_t>(first + a * (cells + 1) + b);
    };
    for (int a = 0; a < cells; ++a) {
      for (int b = 0; b < cells; ++b) {
        mesh.triangles.push_back({{at(a, b), at(a + 1, b), at(a, b + 1)}});
        mesh.triangles.push_back({{at(a + 1, b), at(a + 1, b + 1), at(a, b + 1)}});
      }
    }
  }
  return Finished(std::move(mesh));
}

// A closed sphere about the origin in one host mesh named "sphere", as an
// import gives it: 2 * rings * segments triangles over (rings + 1) *
// (segments + 1) vertices, beyond 16-bit indices for big counts.
inline msMesh MakeHostSphere(float radius, int rings, int segments) {
  msMesh mesh;
  mesh.name = "sphere";
  for (int r = 0; r <= rings; ++r) {
    const double latitude = std::numbers::pi * r / rings;
    for (int s = 0; s <= segments; ++s) {
      const double longitude = 2 * std::numbers::pi * s / segments;
      msVertex& vertex = mesh.vertices.emplace_back();
      vertex.position[0] = static_cast<float>(radius * std::sin(latitude) * std::cos(longitude));
      vertex.position[1] = static_cast<float>(radius * std::cos(latitude));
      vertex.position[2] = static_cast<float>(radius * std::sin(latitude) * std::sin(longitude));
      vertex.texCoords[0] = static_cast<float>(s) / static_cast<float>(segments);
      vertex.texCoords[1] = static_cast<float>(r) / static_cast<float>(rings);
    }
  }
  const auto at = [segments](int r, int s) {
    return static_cast<std::uint32_t>(r * (segments + 1) + s);
  };
  for (int r = 0; r < rings; ++r) {
    for (int s = 0; s < segments; ++s) {
      mesh.triangles.push_back({{at(r, s), at(r + 1, s), at(r + 1, s + 1)}});
      mesh.triangles.push_back({{at(r, s), at(r + 1, s + 1), at(r, s + 1)}});
    }
  }
  return mesh;
}

}  // namespace svcmp::testing
