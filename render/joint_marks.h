#pragma once

#include "inspect/level_geometry.h"
#include "render/render_scene.h"

namespace svcmp::render {

// Adds a mark for each part that hangs on a joint: its pivot, carried into
// the model's frame through the parent's joints, and the joint's axis
// turned by the joint's own rotation and its parents'. Parts at the top
// have no joint and get none.
void AddJointMarks(Scene& scene, const LevelGeometry& geometry);

}  // namespace svcmp::render
