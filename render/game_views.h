#pragma once

#include <array>
#include <string_view>

#include "inspect/compound_model.h"

namespace svcmp::render {

// The game's axes: y up, the nose towards -z, x to the right of a pilot
// looking forward. A file is shown as the game shows it: no fix is undone,
// since nothing in a file says which one the export applied.
struct GameView {
  std::string_view caption;
  // From the file's coordinates to view space (x right, y up, z towards the
  // viewer), row by row.
  Matrix3 rotation;
};

inline constexpr std::array<GameView, 3> kGameViews{{
    {"front, from -Z", {-1, 0, 0, 0, 1, 0, 0, 0, -1}},  // the nose towards the viewer
    {"top, from +Y", {1, 0, 0, 0, 0, -1, 0, 1, 0}},     // the nose up
    {"side, from +X", {0, 0, -1, 0, 1, 0, 1, 0, 0}},    // the nose to the right
}};

}  // namespace svcmp::render
