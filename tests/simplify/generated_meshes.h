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

// The mesh flat-shaded, as a modelling program exports it by default: every
// triangle with vertices of its own, so every edge splits the normals.
inline MeshRecord Flattened(MeshRecord mesh) {
  MeshRecord flat;
  flat.meshName = mesh.meshName;
  flat.materialName = mesh.materialName;
  for (const MeshTriangle& triangle : mesh.triangles) {
    MeshTriangle own{};
    for (int k = 0; k < 3; ++k) {
      own.index[k] = static_cast<std::uint16_t>(flat.vertices.size());
      flat.vertices.push_back(mesh.vertices[triangle.index[k]]);
    }
    flat.triangles.push_back(own);
  }
  return Finished(std::move(flat));
}

// A closed cylinder about the Y axis, `height` tall, its side smooth in
// `rings` bands of `segments` quads and its two caps flat: each cap has
// vertices of its own where it meets the side, with the side's texture
// coordinates there, so only the rims split the normals.
inline MeshRecord MakeCylinder(std::string name, float radius, float height, int rings,
                               int segments) {
  MeshRecord mesh;
  mesh.meshName = std::move(name);
  mesh.materialName = "hull";
  const auto vertex = [&](double angle, double y, float u, float v) {
    MeshVertex made{};
    made.position[0] = static_cast<float>(radius * std::cos(angle));
    made.position[1] = static_cast<float>(y);
    made.position[2] = static_cast<float>(radius * std::sin(angle));
    made.texture[0] = u;
    made.texture[1] = v;
    mesh.vertices.push_back(made);
    return static_cast<std::uint16_t>(mesh.vertices.size() - 1);
  };
  // Wound so that the face turns away from `outward` (a point inside the solid).
  const auto triangle = [&](std::uint16_t a, std::uint16_t b, std::uint16_t c,
                            const float* inside) {
    const float* p = mesh.vertices[a].position;
    const float* q = mesh.vertices[b].position;
    const float* r = mesh.vertices[c].position;
    const double u[3] = {q[0] - p[0], q[1] - p[1], q[2] - p[2]};
    const double v[3] = {r[0] - p[0], r[1] - p[1], r[2] - p[2]};
    const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2],
                         u[0] * v[1] - u[1] * v[0]};
    const double out[3] = {p[0] - inside[0], p[1] - inside[1], p[2] - inside[2]};
    if (n[0] * out[0] + n[1] * out[1] + n[2] * out[2] < 0) std::swap(b, c);
    mesh.triangles.push_back({{a, b, c}});
  };
  const auto angle = [&](int s) { return 2 * std::numbers::pi * s / segments; };
  const auto heightAt = [&](int r) { return height * (static_cast<double>(r) / rings - 0.5); };
  for (int r = 0; r <= rings; ++r) {
    for (int s = 0; s <= segments; ++s) {
      vertex(angle(s), heightAt(r), static_cast<float>(s) / segments,
             static_cast<float>(r) / rings);
    }
  }
  const auto at = [&](int r, int s) { return static_cast<std::uint16_t>(r * (segments + 1) + s); };
  for (int r = 0; r < rings; ++r) {
    const float inside[3] = {0, static_cast<float>(heightAt(r)), 0};
    for (int s = 0; s < segments; ++s) {
      triangle(at(r, s), at(r, s + 1), at(r + 1, s), inside);
      triangle(at(r, s + 1), at(r + 1, s + 1), at(r + 1, s), inside);
    }
  }
  for (const int r : {0, rings}) {
    const auto v = static_cast<float>(r) / rings;
    const float inside[3] = {0, static_cast<float>(heightAt(r) * 0.5), 0};
    MeshVertex centre{};
    centre.position[1] = static_cast<float>(heightAt(r));
    centre.texture[0] = 0.5f;
    centre.texture[1] = v;
    mesh.vertices.push_back(centre);
    const auto middle = static_cast<std::uint16_t>(mesh.vertices.size() - 1);
    const auto first = static_cast<std::uint16_t>(mesh.vertices.size());
    for (int s = 0; s <= segments; ++s)
      vertex(angle(s), heightAt(r), static_cast<float>(s) / segments, v);
    for (int s = 0; s < segments; ++s) {
      triangle(middle, static_cast<std::uint16_t>(first + s),
               static_cast<std::uint16_t>(first + s + 1), inside);
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
