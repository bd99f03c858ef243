#include "wire/wire_generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

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

// The lowest-numbered vertex at each vertex's position. -0 and +0 are one
// position; a NaN coordinate welds with nothing.
std::vector<std::uint16_t> WeldByPosition(std::span<const std::array<float, 3>> positions) {
  const auto key = [&](std::size_t v) {
    const auto& p = positions[v];
    return std::array{p[0] + 0.0f, p[1] + 0.0f, p[2] + 0.0f};
  };
  std::vector<std::uint32_t> order(positions.size());
  std::iota(order.begin(), order.end(), 0u);
  // NaN compares false both ways and would break the sort; such vertices
  // stay apart.
  const auto finite = [&](std::uint32_t v) {
    const auto& p = positions[v];
    return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
  };
  const auto split = std::stable_partition(order.begin(), order.end(), finite);
  std::stable_sort(order.begin(), split,
                   [&](std::uint32_t a, std::uint32_t b) { return key(a) < key(b); });
  std::vector<std::uint16_t> welded(positions.size());
  std::iota(welded.begin(), welded.end(), std::uint16_t{0});
  for (auto run = order.begin(); run != split;) {
    auto end = std::find_if(run, split, [&](std::uint32_t v) { return key(v) != key(*run); });
    // The stable sort keeps equal positions in vertex order: the run's first is its lowest.
    for (auto v = run; v != end; ++v) welded[*v] = static_cast<std::uint16_t>(*run);
    run = end;
  }
  return welded;
}

// Fewer sharp edges than this draw no recognisable outline.
constexpr std::size_t kFewestSharpEdges = 3;

struct EdgeFace {
  WireSegment edge;  // welded ends, lower first
  std::uint32_t face;
};

struct Candidate {
  WireSegment edge;
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
  std::vector<Point> normals;
  std::vector<EdgeFace> edges;
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
    const auto face = static_cast<std::uint32_t>(normals.size());
    // A sliver of no area has no direction; it counts as flat against any face.
    normals.push_back(length > 0 && std::isfinite(length)
                          ? Point{n[0] / length, n[1] / length, n[2] / length}
                          : Point{});
    for (int e = 0; e < 3; ++e) {
      const std::uint16_t p = v[e], q = v[(e + 1) % 3];
      edges.push_back({{std::min(p, q), std::max(p, q)}, face});
    }
  }
  std::sort(edges.begin(), edges.end(), [](const EdgeFace& x, const EdgeFace& y) {
    return x.edge != y.edge ? x.edge < y.edge : x.face < y.face;
  });

  std::vector<Candidate> candidates;
  for (auto run = edges.begin(); run != edges.end();) {
    auto end = std::find_if(run, edges.end(), [&](const EdgeFace& e) { return e.edge != run->edge; });
    Candidate candidate{run->edge, -2.0, false};
    if (end - run == 2) {
      const Point& n1 = normals[run->face];
      const Point& n2 = normals[(run + 1)->face];
      const bool sliver = n1 == Point{} || n2 == Point{};
      candidate.cosine = sliver ? 1.0 : n1[0] * n2[0] + n1[1] * n2[1] + n1[2] * n2[2];
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
    std::stable_sort(kept.begin(), kept.end(), [](const Candidate& x, const Candidate& y) {
      return x.cosine < y.cosine;
    });
    kept.resize(options.budget);
    wire.rule = WireRule::Budget;
  }
  for (const Candidate& c : kept) wire.segments.push_back(c.edge);
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
