#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace svcmp::render {

// What the renderer draws, in the compound model's own coordinates: the
// caller has already applied part transforms.
struct SceneVertex {
  std::array<float, 3> position{};
  std::array<float, 3> normal{};
};

// One mesh of triangles; corners that index past `vertices` are passed over.
struct SceneMesh {
  std::vector<SceneVertex> vertices;
  std::vector<std::uint32_t> indices;  // three per triangle
  std::uint32_t materialId = 0;        // equal ids get equal colours
};

struct SceneHardpoint {
  std::string name;
  std::array<float, 3> position{};
  std::array<float, 9> orientation{1, 0, 0, 0, 1, 0, 0, 0, 1};  // row by row
};

struct Scene {
  std::vector<SceneMesh> meshes;
  std::vector<SceneHardpoint> hardpoints;
};

}  // namespace svcmp::render
