#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The outline a part's wire holds, made from the triangles of the mesh level
// it indexes: vertices welded where their positions are equal, then every
// edge of one face (the boundary), of more than two faces, or whose two faces
// meet at more than the given angle. Knows nothing of files.
namespace svcmp {

using WireSegment = std::array<std::uint16_t, 2>;

// Flat edges are in released wires 0.1 % of the time, edges sharper than 5
// degrees and boundary edges make up every released segment.
inline constexpr float kDefaultWireAngle = 5.0f;
// About seven times the 90th percentile of released wires (278 segments):
// only a dense, curved part goes over, where more lines would fill the target
// display with a smear rather than draw an outline.
inline constexpr std::size_t kDefaultWireBudget = 2000;

struct WireOptions {
  float angleDegrees = kDefaultWireAngle;  // edges sharper than this are kept
  std::size_t budget = kDefaultWireBudget;
};

// Why the segments are what they are, for the message the user sees.
enum class WireRule {
  Edges,     // boundary, shared by more than two faces, or sharper than the angle
  Contours,  // almost nothing was sharp (a smooth body): the contours against the three axes
  Budget,    // more edges than the budget: the boundary and the sharpest kept
};

struct GeneratedWire {
  std::vector<WireSegment> segments;  // each (a, b) with a < b, in ascending order
  WireRule rule = WireRule::Edges;
  std::size_t candidates = 0;  // edges the rule picked before the budget cut them
};

// `positions` are the level's vertices in order, `indices` its triangle list
// (three per triangle, local to positions; a trailing partial triangle and
// indices outside positions are ignored). Each end of a segment is the
// lowest-numbered vertex at its position. The same input gives the same
// segments on every platform: no transcendental function depends on the edges.
GeneratedWire GenerateWire(std::span<const std::array<float, 3>> positions,
                           std::span<const std::uint16_t> indices, const WireOptions& options);

// What the user is told of a part's wire: its segments, and why they are
// contours or fewer than the rule picked.
std::string WireRuleText(const GeneratedWire& wire, const WireOptions& options);

// Which of a part's levels (0 to count - 1) its wire indexes: the coarsest,
// but never above Level3.
std::size_t WireLevel(std::size_t levelCount);

}  // namespace svcmp
