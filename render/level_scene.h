#pragma once

#include <vector>

#include "inspect/level_geometry.h"
#include "render/render_scene.h"

namespace svcmp::render {

// Every part's meshes and hardpoints carried into the model's frame by the
// part's joints, ready to draw.
Scene SceneOfLevel(const LevelGeometry& geometry);

// The meshes of the level none of whose triangles has an area: nothing of
// them can be drawn.
std::vector<const LevelMesh*> DegenerateMeshes(const LevelGeometry& geometry);

}  // namespace svcmp::render
