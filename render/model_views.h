#pragma once

#include <string>

#include "render/canvas.h"
#include "render/render_scene.h"

namespace svcmp::render {

// Faces seen from behind: an inside-out mesh shows in this colour.
inline constexpr Rgb kBackFaceColour{230, 40, 40};
inline constexpr Rgb kBackgroundColour{24, 24, 32};
inline constexpr Rgb kHardpointColour{40, 220, 60};
inline constexpr Rgb kLabelColour{235, 235, 235};
// Collision hulls' outlines: a part's own, and a hardpoint's.
inline constexpr Rgb kHullOutlineColour{255, 60, 220};
inline constexpr Rgb kHardpointHullColour{60, 240, 255};
// Wires, the outline of the game's target display.
inline constexpr Rgb kWireColour{120, 255, 120};
// Joints' pivots and axes: white stands out on every part colour.
inline constexpr Rgb kJointColour{255, 255, 255};

// Which hardpoint names are written: those that fit beside their mark
// (auto), those and a legend of the rest under the views (all), or none.
enum class LabelMode { Auto, All, None };
// Surfaces coloured by their material (textured where the scene has the
// texture) or one colour per part, with a legend of the parts.
enum class ColourBy { Material, Part };

struct ViewOptions {
  LabelMode labels = LabelMode::Auto;
  ColourBy colourBy = ColourBy::Material;
  std::string title;  // put before each view's caption, like "level 1"
  // The outlines alone, framed as the meshes would be: no surfaces, no
  // hardpoints.
  bool linesOnly = false;
  bool joints = false;  // draw the scene's joints
};

// Draws the scene three times side by side, orthographically, in the
// game's axes: front, top (nose up) and side (nose right), each captioned
// and framed on the meshes alone. Meshes are lit through their vertex
// normals; faces seen from behind are red. Hardpoints get a mark, their
// three axes (sized to the model) and their name where it fits without
// overlapping; those outside the frame get an arrow at its border. The
// scene's collision outlines are drawn over the meshes (a part's own in the
// part's colour under ColourBy::Part). With `joints`, each joint's pivot gets a mark (hollow for
// Fix), Rev and Pris joints an arrow along their axis, and all but Fix
// their part's name and kind where it fits. A legend (parts,
// the outlines' colours, or the names left out with LabelMode::All) makes
// the picture taller than `height`.
Canvas RenderModelViews(const Scene& scene, int width, int height, const ViewOptions& options = {});

}  // namespace svcmp::render
