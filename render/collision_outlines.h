#pragma once

#include "inspect/level_collision.h"
#include "inspect/level_geometry.h"
#include "render/render_scene.h"

namespace svcmp::render {

// Adds the hulls of a collision file to `scene` as outlines, each placed by
// the joints of its part as the part's meshes are.
void AddCollisionOutlines(Scene& scene, const LevelGeometry& geometry,
                          const LevelCollision& collision);

}  // namespace svcmp::render
