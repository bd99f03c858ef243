#pragma once

#include <string_view>

#include "render/canvas.h"

namespace svcmp::render {

// Height of one line of label text at scale 1, in pixels.
inline constexpr int kLabelLineHeight = 12;

// Writes `text` with its top-left corner at (x, y), each font pixel drawn as
// scale x scale pixels. Characters outside printable ASCII (names from a
// file can hold anything) are drawn as '?'; the text is one line.
void DrawLabel(Canvas& canvas, int x, int y, std::string_view text, Rgb colour, int scale);

// The width DrawLabel gives `text`, in pixels.
int LabelWidth(std::string_view text, int scale);

}  // namespace svcmp::render
