#pragma once

#include <string>
#include <vector>

#include "inspect/compound_model.h"
#include "inspect/level_geometry.h"
#include "render/render_scene.h"

namespace svcmp::render {

// Adds each placed part's wire to `scene` as an outline, its vertices taken
// from the library it names and carried by the part's joints. Returns what
// cannot be drawn, one line each: a part without a wire, a wire of a library
// no level uses or that is not in the file, segments past the vertices.
std::vector<std::string> AddWireOutlines(Scene& scene, const CompoundModel& model,
                                         const LevelGeometry& geometry);

}  // namespace svcmp::render
