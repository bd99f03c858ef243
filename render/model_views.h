#pragma once

#include "render/canvas.h"
#include "render/render_scene.h"

namespace svcmp::render {

// Faces seen from behind: an inside-out mesh shows in this colour.
inline constexpr Rgb kBackFaceColour{230, 40, 40};
inline constexpr Rgb kBackgroundColour{24, 24, 32};
inline constexpr Rgb kHardpointColour{40, 220, 60};

// Draws the scene three times side by side, orthographically and at one
// scale: a three-quarter view from behind and above, the top view (nose up)
// and the side view. The views show the model the way up it was built in the
// modelling host: they undo the export's default upside-down fix. Meshes get
// one flat colour per material id, lit through their vertex normals;
// hardpoints get a marker, their three axes and their name.
Canvas RenderModelViews(const Scene& scene, int width, int height);

}  // namespace svcmp::render
