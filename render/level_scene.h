#pragma once

#include "inspect/level_geometry.h"
#include "render/render_scene.h"

namespace svcmp::render {

// Every part's meshes and hardpoints carried into the model's frame by the
// part's joints, ready to draw.
Scene SceneOfLevel(const LevelGeometry& geometry);

}  // namespace svcmp::render
