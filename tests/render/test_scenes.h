#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <utility>

#include "render/render_scene.h"

namespace svcmp::testing {

// A torus around the y axis with faces wound outwards (counter-clockwise seen
// from outside), `rings` x `sides` quads of two triangles each, and vertex
// normals pointing away from the tube's centre line.
inline render::SceneMesh MakeTorus(std::uint32_t rings, std::uint32_t sides, float radius,
                                   float tube) {
  render::SceneMesh mesh;
  const float turn = 2 * std::numbers::pi_v<float>;
  for (std::uint32_t ring = 0; ring < rings; ++ring) {
    const float around = turn * static_cast<float>(ring) / static_cast<float>(rings);
    for (std::uint32_t side = 0; side < sides; ++side) {
      const float across = turn * static_cast<float>(side) / static_cast<float>(sides);
      const std::array<float, 3> normal{std::cos(across) * std::cos(around), std::sin(across),
                                        std::cos(across) * std::sin(around)};
      mesh.vertices.push_back(
          {{(radius + tube * std::cos(across)) * std::cos(around), tube * std::sin(across),
            (radius + tube * std::cos(across)) * std::sin(around)},
           normal});
    }
  }
  const auto at = [&](std::uint32_t ring, std::uint32_t side) {
    return (ring % rings) * sides + side % sides;
  };
  for (std::uint32_t ring = 0; ring < rings; ++ring) {
    for (std::uint32_t side = 0; side < sides; ++side) {
      const std::uint32_t a = at(ring, side);
      const std::uint32_t b = at(ring + 1, side);
      const std::uint32_t c = at(ring + 1, side + 1);
      const std::uint32_t d = at(ring, side + 1);
      mesh.indices.insert(mesh.indices.end(), {a, d, c, a, c, b});
    }
  }
  return mesh;
}

// The same surface turned inside out: every triangle wound the other way.
inline render::SceneMesh InsideOut(render::SceneMesh mesh) {
  for (std::size_t first = 0; first + 2 < mesh.indices.size(); first += 3) {
    std::swap(mesh.indices[first + 1], mesh.indices[first + 2]);
  }
  for (render::SceneVertex& vertex : mesh.vertices) {
    for (float& component : vertex.normal) component = -component;
  }
  return mesh;
}

}  // namespace svcmp::testing
