#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "render/canvas.h"
#include "render/texture_image.h"

namespace svcmp::render {

// What the renderer draws, in the compound model's own coordinates: the
// caller has already applied part transforms.
struct SceneVertex {
  std::array<float, 3> position{};
  std::array<float, 3> normal{};
  std::array<float, 2> texture{};
};

// One mesh of triangles; corners that index past `vertices` are passed over.
struct SceneMesh {
  std::vector<SceneVertex> vertices;
  std::vector<std::uint32_t> indices;  // three per triangle
  std::uint32_t materialId = 0;        // equal ids get equal colours
  std::size_t part = 0;                // index into Scene::partNames
};

struct SceneHardpoint {
  std::string name;
  std::array<float, 3> position{};
  std::array<float, 9> orientation{1, 0, 0, 0, 1, 0, 0, 0, 1};  // row by row
};

// Lines drawn over the meshes, in the model's frame: a collision hull's
// outline (each edge once; a hardpoint's hull told apart from its part's
// own) or a part's wire, the outline of the game's target display.
enum class OutlineKind { Hull, HardpointHull, Wire };
struct SceneOutline {
  std::vector<std::array<std::array<float, 3>, 2>> edges;
  OutlineKind kind = OutlineKind::Hull;
  std::size_t part = 0;  // index into Scene::partNames
};

// How a part hangs on its parent: its pivot (where the joint puts the
// part's origin) and, for a hinge or a slide, the direction it turns about
// or moves along, both in the model's frame.
enum class SceneJointKind { Fix, Rev, Pris, Sphere };
struct SceneJoint {
  std::string label;  // like "turret: rev"
  SceneJointKind kind = SceneJointKind::Fix;
  std::array<float, 3> pivot{};
  std::array<float, 3> axis{};  // Rev and Pris; of length 1, or zero when the file's is
  std::size_t part = 0;         // index into Scene::partNames
};

// How a material's surfaces are drawn when the file's libraries say: its
// diffuse colour, and its texture multiplied by that colour.
struct SurfaceLook {
  Rgb colour{255, 255, 255};
  std::shared_ptr<const TextureImage> texture;
};

struct Scene {
  std::vector<SceneMesh> meshes;
  std::vector<SceneHardpoint> hardpoints;
  std::vector<std::string> partNames;
  std::vector<SceneOutline> outlines;  // drawn over the meshes
  std::vector<SceneJoint> joints;      // drawn when ViewOptions::joints asks
  std::map<std::uint32_t, SurfaceLook> looks;  // by material id; others get a colour by id
};

}  // namespace svcmp::render
