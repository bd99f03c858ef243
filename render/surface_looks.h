#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "inspect/surface_library.h"
#include "render/render_scene.h"

namespace svcmp::render {

// The look of every material `library` describes, by name id: its diffuse
// colour (white without one) and its texture, each texture decoded once.
// A texture named but missing or not decodable leaves the material in its
// colour, with a sentence for the user in `problems`.
std::map<std::uint32_t, SurfaceLook> LooksOf(const SurfaceLibrary& library,
                                             std::vector<std::string>& problems);

}  // namespace svcmp::render
