#pragma once

#include <vector>

#include "inspect/level_geometry.h"
#include "render/render_scene.h"

namespace svcmp::render {

// Every part's meshes and hardpoints carried into the model's frame by the
// part's joints, ready to draw.
Scene SceneOfLevel(const LevelGeometry& geometry);

// Whether the triangle a, b, c has an area: its corners are not on one line.
bool HasArea(const Vector3& a, const Vector3& b, const Vector3& c);

// The meshes of the level none of whose triangles has an area: nothing of
// them can be drawn.
std::vector<const LevelMesh*> DegenerateMeshes(const LevelGeometry& geometry);

}  // namespace svcmp::render
