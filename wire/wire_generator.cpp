#include "wire/wire_generator.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>

namespace svcmp {
namespace {

using Point = std::array<double, 3>;

// cos(degrees) from its series in plain arithmetic: the C libraries of the
// Linux and Windows builds may round std::cos differently, and the threshold
// decides which edges are written.
double PortableCosine(double degrees) {
  degrees = std::clamp(degrees, 0.0, 180.0);
  const double x = degrees * 3.14159265358979323846 / 180.0;
  double term = 1, sum = 1;
  for (int n = 1; n < 40; ++n) {
    term *= -x * x / ((2.0 * n - 1) * (2.0 * n));
    sum += term;
  }
  return sum;
}

// The lowest-numbered vertex at each vertex's position: the vertices in
// order, each looked up by its position's bits in an open-addressed table
// that holds the first vertex seen there. -0 and +0 are one position; a NaN
// coordinate welds with nothing.
std::vector<std::uint16_t> WeldByPosition(std::span<const std::array<float, 3>> positions) {
  std::vector<std::uint16_t> welded(positions.size());
  std::size_t slots = 16;
  while (slots < 2 * positions.size()) slots *= 2;
  constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
  std::vector<std::uint32_t> table(slots, kEmpty);
  const auto bitsOf = [&](std::size_t v) {
    const auto& p = positions[v];
    return std::array{std::bit_cast<std::uint32_t>(p[0] + 0.0f),
                      std::bit_cast<std::uint32_t>(p[1] + 0.0f),
                      std::bit_cast<std::uint32_t>(p[2] + 0.0f)};
  };
  for (std::size_t v = 0; v < positions.size(); ++v) {
    welded[v] = static_cast<std::uint16_t>(v);
    const auto& p = positions[v];
    if (std::isnan(p[0]) || std::isnan(p[1]) || std::isnan(p[2])) continue;
    const auto bits = bitsOf(v);
    // Whole-number coordinates have low bits of zero: the finaliser of
    // MurmurHash3 spreads every input bit over the slot number.
    std::uint64_t hash =
        (std::uint64_t{bits[0]} << 32 | bits[1]) ^ std::uint64_t{bits[2]} * 0x9E3779B97F4A7C15ull;
    hash = (hash ^ hash >> 33) * 0xFF51AFD7ED558CCDull;
    hash = (hash ^ hash >> 33) * 0xC4CEB9FE1A85EC53ull;
    hash ^= hash >> 33;
    // The table is at most half full, so the probe always finds a free slot.
    for (std::size_t slot = hash & (slots - 1);; slot = (slot + 1) & (slots - 1)) {
      if (table[slot] == kEmpty) {
        table[slot] = static_cast<std::uint32_t>(v);
        break;
      }
      if (bitsOf(table[slot]) == bits) {
        welded[v] = static_cast<std::uint16_t>(table[slot]);
        break;
      }
    }
  }
  return welded;
}

// Fewer sharp edges than this draw no recognisable outline.
constexpr std::size_t kFewestSharpEdges = 3;

// An edge as one number, its lower welded end in the high half, so edges
// sort and compare as integers.
using EdgeKey = std::uint32_t;
EdgeKey KeyOf(std::uint16_t p, std::uint16_t q) {
  return std::uint32_t{std::min(p, q)} << 16 | std::max(p, q);
}
WireSegment SegmentOf(EdgeKey key) {
  return {static_cast<std::uint16_t>(key >> 16), static_cast<std::uint16_t>(key & 0xFFFFu)};
}

struct EdgeFace {
  EdgeKey edge;
  std::uint32_t face;
};

struct Candidate {
  EdgeKey edge;
  double cosine;  // between its faces' normals; -2 for a boundary or a fold of many faces
  bool contour;   // its faces turn from facing one way along an axis to the other
};

std::string AngleText(float degrees) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(degrees));
  return text;
}

}  // namespace

std::size_t WireLevel(std::size_t levelCount) {
  return levelCount == 0 ? 0 : std::min<std::size_t>(levelCount - 1, 3);
}

GeneratedWire GenerateWire(std::span<const std::array<float, 3>> positions,
                           std::span<const std::uint16_t> indices, const WireOptions& options) {
  // 16-bit indices reach no further.
  positions = positions.first(std::min<std::size_t>(positions.size(), 0x10000));
  const std::vector<std::uint16_t> welded = WeldByPosition(positions);
  // The faces with their welded corners and unit normals, and how many edges
  // start at each welded vertex (their lower end).
  std::vector<std::array<std::uint16_t, 3>> faces;
  std::vector<std::array<float, 3>> normals;
  faces.reserve(indices.size() / 3);
  normals.reserve(indices.size() / 3);
  std::vector<std::uint32_t> start(0x10001, 0);
  for (std::size_t t = 0; t + 3 <= indices.size(); t += 3) {
    if (indices[t] >= positions.size() || indices[t + 1] >= positions.size() ||
        indices[t + 2] >= positions.size()) {
      continue;
    }
    const std::array<std::uint16_t, 3> v = {welded[indices[t]], welded[indices[t + 1]],
                                            welded[indices[t + 2]]};
    // A triangle with two corners at one position has no face to bound.
    if (v[0] == v[1] || v[1] == v[2] || v[0] == v[2]) continue;
    const auto& a = positions[v[0]];
    const auto& b = positions[v[1]];
    const auto& c = positions[v[2]];
    const Point u = {double{b[0]} - a[0], double{b[1]} - a[1], double{b[2]} - a[2]};
    const Point w = {double{c[0]} - a[0], double{c[1]} - a[1], double{c[2]} - a[2]};
    const Point n = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                     u[0] * w[1] - u[1] * w[0]};
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    // A sliver of no area has no direction; it counts as flat against any face.
    normals.push_back(length > 0 && std::isfinite(length)
                          ? std::array{static_cast<float>(n[0] / length),
                                       static_cast<float>(n[1] / length),
                                       static_cast<float>(n[2] / length)}
                          : std::array<float, 3>{});
    faces.push_back(v);
    for (int e = 0; e < 3; ++e) ++start[std::min(v[e], v[(e + 1) % 3]) + 1];
  }
  // The edges bucketed by their lower end in one counting pass, each small
  // bucket then sorted by (edge, face): a sort of the whole took most of the
  // time on meshes at the format's limits.
  for (std::size_t k = 1; k < start.size(); ++k) start[k] += start[k - 1];
  std::vector<EdgeFace> edges(start.back());
  {
    std::vector<std::uint32_t> next(start.begin(), start.end() - 1);
    for (std::size_t f = 0; f < faces.size(); ++f) {
      const auto& v = faces[f];
      for (int e = 0; e < 3; ++e) {
        const EdgeKey key = KeyOf(v[e], v[(e + 1) % 3]);
        edges[next[key >> 16]++] = {key, static_cast<std::uint32_t>(f)};
      }
    }
  }
  for (std::size_t k = 0; k + 1 < start.size(); ++k) {
    // Insertion sort: a bucket holds a handful of edges.
    for (std::size_t i = start[k] + 1; i < start[k + 1]; ++i) {
      const EdgeFace moving = edges[i];
      std::size_t j = i;
      for (; j > start[k] && edges[j - 1].edge > moving.edge; --j) edges[j] = edges[j - 1];
      edges[j] = moving;
    }
  }
  std::vector<Candidate> candidates;
  candidates.reserve(edges.size() / 2);

  for (auto run = edges.begin(); run != edges.end();) {
    auto end =
        std::find_if(run, edges.end(), [&](const EdgeFace& e) { return e.edge != run->edge; });
    Candidate candidate{run->edge, -2.0, false};
    if (end - run == 2) {
      const auto& n1 = normals[run->face];
      const auto& n2 = normals[(run + 1)->face];
      const bool sliver = n1 == std::array<float, 3>{} || n2 == std::array<float, 3>{};
      candidate.cosine =
          sliver ? 1.0 : double{n1[0]} * n2[0] + double{n1[1]} * n2[1] + double{n1[2]} * n2[2];
      for (int axis = 0; axis < 3 && !sliver; ++axis) {
        candidate.contour |= (n1[axis] > 0 && n2[axis] < 0) || (n1[axis] < 0 && n2[axis] > 0);
      }
    }
    candidates.push_back(candidate);
    run = end;
  }

  GeneratedWire wire;
  const double threshold = PortableCosine(options.angleDegrees);
  std::vector<Candidate> kept;
  for (const Candidate& c : candidates) {
    if (c.cosine < threshold) kept.push_back(c);
  }
  // A smooth closed body (a sphere, a hull of gentle curves) has almost no
  // sharp edge; an empty or near-empty outline would leave the target display
  // blank, so it gets the lines where its surface turns away along each axis.
  if (kept.size() < kFewestSharpEdges) {
    for (const Candidate& c : candidates) {
      if (c.contour && c.cosine >= threshold) kept.push_back(c);
    }
    if (!kept.empty()) wire.rule = WireRule::Contours;
  }
  wire.candidates = kept.size();
  if (kept.size() > options.budget) {
    // The boundary first, then the sharpest; equal ones in edge order.
    std::stable_sort(kept.begin(), kept.end(),
                     [](const Candidate& x, const Candidate& y) { return x.cosine < y.cosine; });
    kept.resize(options.budget);
    wire.rule = WireRule::Budget;
  }
  for (const Candidate& c : kept) wire.segments.push_back(SegmentOf(c.edge));
  std::sort(wire.segments.begin(), wire.segments.end());
  return wire;
}

std::string WireRuleText(const GeneratedWire& wire, const WireOptions& options) {
  switch (wire.rule) {
    case WireRule::Edges:
      return std::to_string(wire.segments.size()) + " segments";
    case WireRule::Contours:
      return std::to_string(wire.segments.size()) +
             " segments: the contours against the three axes, as no edge is sharper than " +
             AngleText(options.angleDegrees) + " degrees";
    case WireRule::Budget:
      return std::to_string(wire.segments.size()) + " of " + std::to_string(wire.candidates) +
             " segments, the budget of a part: the boundary and the sharpest edges; a larger "
             "--wire-angle keeps fewer";
  }
  return {};
}

}  // namespace svcmp
