#include "collision/convex_hull.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <tuple>
#include <vector>

extern "C" {
#include <libqhull_r/qhull_ra.h>
}

namespace svcmp {
namespace {

using Vec = std::array<double, 3>;

Vec At(std::span<const CollisionVector> points, std::size_t i) {
  return {points[i][0], points[i][1], points[i][2]};
}
Vec Minus(const Vec& a, const Vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double Dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec Cross(const Vec& a, const Vec& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// The point of `points` farthest by `distance`.
template <typename F>
std::size_t Farthest(std::span<const CollisionVector> points, F&& distance, double& best) {
  std::size_t found = 0;
  best = -1;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (const double d = distance(At(points, i)); d > best) best = d, found = i;
  }
  return found;
}

// Triangles of the convex polygon `loop` (indices into `points`, counter-
// clockwise seen along its normal), cutting off the fattest ear each time:
// a fan would make slivers of corners that lie nearly in line.
void Triangulate(std::span<const CollisionVector> points, std::vector<std::uint32_t> loop,
                 std::vector<std::array<std::uint32_t, 3>>& triangles) {
  const auto fatness = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    const Vec pa = At(points, a), pb = At(points, b), pc = At(points, c);
    const Vec n = Cross(Minus(pb, pa), Minus(pc, pa));
    const double longest = std::max({Dot(Minus(pb, pa), Minus(pb, pa)), Dot(Minus(pc, pb), Minus(pc, pb)),
                                     Dot(Minus(pa, pc), Minus(pa, pc))});
    return longest > 0 ? std::sqrt(Dot(n, n)) / longest : 0.0;
  };
  while (loop.size() > 3) {
    const std::size_t n = loop.size();
    std::size_t best = 0;
    double bestFatness = -1;
    for (std::size_t i = 0; i < n; ++i) {
      const double f = fatness(loop[(i + n - 1) % n], loop[i], loop[(i + 1) % n]);
      if (f > bestFatness) bestFatness = f, best = i;
    }
    triangles.push_back({loop[(best + n - 1) % n], loop[best], loop[(best + 1) % n]});
    loop.erase(loop.begin() + static_cast<std::ptrdiff_t>(best));
  }
  if (loop.size() == 3) triangles.push_back({loop[0], loop[1], loop[2]});
}

// `hull` with only the points its triangles use, in first use order.
ConvexHull Compacted(std::uint32_t id, std::span<const CollisionVector> points,
                     const std::vector<std::array<std::uint32_t, 3>>& triangles) {
  ConvexHull hull{id, {}, {}};
  std::vector<std::uint32_t> renumbered(points.size(), UINT32_MAX);
  for (const auto& t : triangles) {
    std::array<std::uint32_t, 3> corners{};
    for (int k = 0; k < 3; ++k) {
      if (renumbered[t[k]] == UINT32_MAX) {
        renumbered[t[k]] = static_cast<std::uint32_t>(hull.points.size());
        hull.points.push_back(points[t[k]]);
      }
      corners[k] = renumbered[t[k]];
    }
    hull.triangles.push_back(corners);
  }
  return hull;
}

// The outline of a flat piece seen along `normal`: its corners in counter-
// clockwise order (Andrew's monotone chain; ties broken by index so the
// order never depends on the sort).
std::vector<std::uint32_t> Outline(std::span<const CollisionVector> points, const Vec& normal) {
  // Two axes in the plane.
  const int drop = std::fabs(normal[0]) >= std::fabs(normal[1]) && std::fabs(normal[0]) >= std::fabs(normal[2]) ? 0
                   : std::fabs(normal[1]) >= std::fabs(normal[2])                                                 ? 1
                                                                                                                   : 2;
  Vec u{};
  u[(drop + 1) % 3] = 1;
  const Vec w = Cross(normal, u);
  const Vec v = Cross(w, normal);
  std::vector<std::array<double, 2>> flat(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) flat[i] = {Dot(At(points, i), v), Dot(At(points, i), w)};
  std::vector<std::uint32_t> order(points.size());
  std::iota(order.begin(), order.end(), 0u);
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    return std::tie(flat[a][0], flat[a][1], a) < std::tie(flat[b][0], flat[b][1], b);
  });
  const auto turn = [&](std::uint32_t o, std::uint32_t a, std::uint32_t b) {
    return (flat[a][0] - flat[o][0]) * (flat[b][1] - flat[o][1]) - (flat[a][1] - flat[o][1]) * (flat[b][0] - flat[o][0]);
  };
  double extent = 0;
  for (const auto& p : flat) extent = std::max({extent, std::fabs(p[0]), std::fabs(p[1])});
  // Corners nearly in line are not corners: they would make slivers.
  const double inLine = 1e-6 * extent * extent;
  std::vector<std::uint32_t> outline(2 * order.size());
  std::size_t k = 0;
  for (std::size_t i = 0; i < order.size(); ++i) {
    while (k >= 2 && turn(outline[k - 2], outline[k - 1], order[i]) <= inLine) --k;
    outline[k++] = order[i];
  }
  for (std::size_t i = order.size() - 1, lower = k + 1; i-- > 0;) {
    while (k >= lower && turn(outline[k - 2], outline[k - 1], order[i]) <= inLine) --k;
    outline[k++] = order[i];
  }
  outline.resize(k > 0 ? k - 1 : 0);
  // v × w points along the normal, so counter-clockwise in (v, w) is
  // counter-clockwise seen along it.
  return outline;
}

// A flat piece as its outline, triangulated once (the writer adds the back).
std::optional<ConvexHull> FlatHull(std::uint32_t id, std::span<const CollisionVector> points, const Vec& normal) {
  const std::vector<std::uint32_t> outline = Outline(points, normal);
  if (outline.size() < 3) return std::nullopt;
  std::vector<std::array<std::uint32_t, 3>> triangles;
  Triangulate(points, outline, triangles);
  return Compacted(id, points, triangles);
}

constexpr double kSliverShare = 1e-6;
constexpr int kMostSliverRounds = 8;
constexpr double kMostWidening = 1.001;

// Qhull's triangulated hull of `points`, wound outwards, in their indices;
// nothing when Qhull fails. No joggle ("QJ") and no random rotation
// ("QR"): the same points always give the same hull.
std::optional<std::vector<std::array<std::uint32_t, 3>>> QhullTriangles(std::span<const CollisionVector> points) {
  std::vector<coordT> coordinates;
  coordinates.reserve(3 * points.size());
  for (const CollisionVector& p : points) coordinates.insert(coordinates.end(), p.begin(), p.end());
  // Qhull's messages would reach the user as noise; they go to a scratch
  // file, one for the whole run (making one per hull costs more than the
  // hull).
  static std::FILE* const quiet = std::tmpfile();
  if (!quiet) return std::nullopt;
  qhT state;
  qhT* qh = &state;
  qh_zero(qh, quiet);
  char flags[] = "qhull Qt";
  std::optional<std::vector<std::array<std::uint32_t, 3>>> triangles;
  if (qh_new_qhull(qh, 3, static_cast<int>(points.size()), coordinates.data(), False, flags, nullptr, quiet) == 0) {
    triangles.emplace();
    facetT* facet;
    FORALLfacets {
      std::array<std::uint32_t, 3> corners{};
      int count = 0;
      vertexT *vertex, **vertexp;
      FOREACHvertex_(facet->vertices) {
        if (count < 3) corners[count] = static_cast<std::uint32_t>(qh_pointid(qh, vertex->point));
        ++count;
      }
      if (count != 3) continue;
      const Vec a = At(points, corners[0]);
      const Vec normal = Cross(Minus(At(points, corners[1]), a), Minus(At(points, corners[2]), a));
      if (Dot(normal, {facet->normal[0], facet->normal[1], facet->normal[2]}) < 0) {
        std::swap(corners[1], corners[2]);
      }
      triangles->push_back(corners);
    }
  }
  qh_freeqhull(qh, !qh_ALL);
  int longLeft = 0, totalLeft = 0;
  qh_memfreeshort(qh, &longLeft, &totalLeft);
  return triangles;
}

// How far the corner of a triangle nearest to the line through the other
// two lies from it, and which corner that is.
double Thinness(std::span<const CollisionVector> points, const std::array<std::uint32_t, 3>& t, int& corner) {
  const Vec n = [&] {
    const Vec a = At(points, t[0]);
    return Cross(Minus(At(points, t[1]), a), Minus(At(points, t[2]), a));
  }();
  const double twiceArea = std::sqrt(Dot(n, n));
  double thinnest = HUGE_VAL;
  for (int k = 0; k < 3; ++k) {
    const Vec edge = Minus(At(points, t[(k + 2) % 3]), At(points, t[(k + 1) % 3]));
    const double length = std::sqrt(Dot(edge, edge));
    const double height = length > 0 ? twiceArea / length : 0;
    if (height < thinnest) thinnest = height, corner = k;
  }
  return thinnest;
}

// Qhull's hull without slivers: a triangle whose corner lies within a
// millionth of the piece's size of the line through the other two (points
// of a straight edge or of a flat side's outline, rounded) has a plane
// that rounding turns any way. Such corners are left out and the rest
// hulled again; the hull is then widened around every point (when
// `widen`). Nothing when Qhull fails.
std::optional<ConvexHull> QhullHull(std::uint32_t id, std::span<const CollisionVector> points, double size,
                                    bool widen) {
  const double thinnest = kSliverShare * size;
  std::vector<CollisionVector> kept(points.begin(), points.end());
  bool leftOut = false;
  for (int round = 0;; ++round) {
    auto triangles = QhullTriangles(kept);
    if (!triangles || triangles->size() < 4) return std::nullopt;
    std::vector<bool> drop(kept.size());
    bool slivers = false;
    for (const auto& t : *triangles) {
      int corner = 0;
      if (Thinness(kept, t, corner) < thinnest) drop[t[corner]] = true, slivers = true;
    }
    if (!slivers || round == kMostSliverRounds) {
      ConvexHull hull = Compacted(id, kept, *triangles);
      if (leftOut && widen) WidenAround(hull, points, kMostWidening);
      return hull;
    }
    // Only the hull's vertices matter from here on.
    std::vector<bool> vertex(kept.size());
    for (const auto& t : *triangles) {
      for (const std::uint32_t corner : t) vertex[corner] = true;
    }
    std::vector<CollisionVector> next;
    for (std::size_t i = 0; i < kept.size(); ++i) {
      if (vertex[i] && !drop[i]) next.push_back(kept[i]);
    }
    if (next.size() < 4) return std::nullopt;
    kept = std::move(next);
    leftOut = true;
  }
}

// The size of a piece: the distance between its two points found farthest
// apart (from the first point, then from that one).
double PieceSize(std::span<const CollisionVector> points, std::size_t& a, std::size_t& b) {
  double reach = 0;
  const Vec first = At(points, 0);
  a = Farthest(points, [&](const Vec& p) { return Dot(Minus(p, first), Minus(p, first)); }, reach);
  const Vec pa = At(points, a);
  b = Farthest(points, [&](const Vec& p) { return Dot(Minus(p, pa), Minus(p, pa)); }, reach);
  return std::sqrt(reach);
}

}  // namespace

std::optional<ConvexHull> HullOfPiece(std::uint32_t id, std::span<const CollisionVector> points,
                                      bool pointsGiven) {
  if (points.empty()) return std::nullopt;
  // Three points spanning the piece, and how far it reaches off their plane.
  std::size_t a = 0, b = 0;
  const double size = PieceSize(points, a, b);
  const Vec pa = At(points, a);
  const Vec along = Minus(At(points, b), pa);
  double offLine = 0;
  const std::size_t c = Farthest(points, [&](const Vec& p) {
    const Vec n = Cross(along, Minus(p, pa));
    return Dot(n, n);
  }, offLine);
  if (!(size > 0) || std::sqrt(offLine) <= 1e-6 * size * size) return std::nullopt;
  Vec normal = Cross(along, Minus(At(points, c), pa));
  const double normalLength = std::sqrt(Dot(normal, normal));
  for (double& value : normal) value /= normalLength;
  double offPlane = 0;
  Farthest(points, [&](const Vec& p) { return std::fabs(Dot(Minus(p, pa), normal)); }, offPlane);
  // A piece too thin for Qhull to find a volume in is flat too.
  if (offPlane > 1e-6 * size) {
    if (auto hull = QhullHull(id, points, size, !pointsGiven)) return hull;
  }
  return FlatHull(id, points, normal);
}

double HullVolume(std::span<const CollisionVector> points) {
  const std::optional<std::vector<std::array<std::uint32_t, 3>>> triangles =
      points.size() < 4 ? std::nullopt : QhullTriangles(points);
  if (!triangles) return 0;
  double sixTimes = 0;
  for (const auto& t : *triangles) sixTimes += Dot(At(points, t[0]), Cross(At(points, t[1]), At(points, t[2])));
  return sixTimes / 6;
}

void WidenAround(ConvexHull& hull, std::span<const CollisionVector> points, double mostScale) {
  if (hull.points.empty()) return;
  // The mean of the hull's points: strictly inside it, unlike the centre of
  // its box, which may lie on a face of a thinned hull.
  Vec center{0, 0, 0};
  for (const CollisionVector& p : hull.points) {
    for (int k = 0; k < 3; ++k) center[k] += p[k];
  }
  for (double& value : center) value /= static_cast<double>(hull.points.size());
  double scale = 1;
  for (const auto& t : hull.triangles) {
    const Vec a = At(hull.points, t[0]);
    const Vec n = Cross(Minus(At(hull.points, t[1]), a), Minus(At(hull.points, t[2]), a));
    const double height = Dot(n, Minus(a, center));
    if (!(height > 0)) continue;
    double reach = height;
    for (std::size_t i = 0; i < points.size(); ++i) reach = std::max(reach, Dot(n, Minus(At(points, i), center)));
    scale = std::max(scale, reach / height);
  }
  // A hull too thin to widen about its middle is left as it is: what it
  // leaves out lies within rounding of it.
  if (scale == 1 || scale > mostScale) return;
  for (CollisionVector& p : hull.points) {
    for (int k = 0; k < 3; ++k) p[k] = static_cast<float>(center[k] + (p[k] - center[k]) * scale);
  }
}

std::optional<ConvexHull> FewerFacedHull(std::uint32_t id, std::span<const CollisionVector> points,
                                         unsigned maxFaces, double share) {
  // Qhull's hull as it comes gives the corners; slivers do not matter here.
  std::optional<std::vector<std::array<std::uint32_t, 3>>> triangles;
  if (points.size() >= 4) triangles = QhullTriangles(points);
  if (!triangles || triangles->size() < 4) return HullOfPiece(id, points);  // flat: its outline
  std::optional<ConvexHull> exact = Compacted(id, points, *triangles);
  double sixVolume = 0, twiceArea = 0;
  for (const auto& t : exact->triangles) {
    const Vec a = At(exact->points, t[0]);
    const Vec n = Cross(Minus(At(exact->points, t[1]), a), Minus(At(exact->points, t[2]), a));
    sixVolume += Dot(a, n);
    twiceArea += std::sqrt(Dot(n, n));
  }
  // How far a point may lie outside before it must be a corner: a share of
  // the hull's thickness (six times its volume over its area: a ball's
  // diameter, three times a slab's thickness).
  const double tolerance = twiceArea > 0 ? share * 2 * sixVolume / twiceArea : 0;
  if (exact->triangles.size() <= maxFaces && !(tolerance > 0)) return exact;
  const std::vector<CollisionVector>& corners = exact->points;
  // From the four corners farthest apart, each round adds the farthest
  // corner in front of each face, farthest first, those at least half as
  // far as the farthest of all, while the faces allow: a hull of F faces
  // has F / 2 + 2 corners.
  const std::size_t mostCorners = maxFaces / 2 + 2;
  std::vector<bool> chosen(corners.size());
  std::vector<CollisionVector> kept;
  {
    std::size_t a = 0, b = 0;
    PieceSize(corners, a, b);
    const Vec pa = At(corners, a), along = Minus(At(corners, b), pa);
    double reach = 0;
    const std::size_t c = Farthest(corners, [&](const Vec& p) {
      const Vec n = Cross(along, Minus(p, pa));
      return Dot(n, n);
    }, reach);
    const Vec normal = Cross(along, Minus(At(corners, c), pa));
    const std::size_t d = Farthest(corners, [&](const Vec& p) { return std::fabs(Dot(Minus(p, pa), normal)); }, reach);
    for (const std::size_t i : {a, b, c, d}) {
      if (!chosen[i]) chosen[i] = true, kept.push_back(corners[i]);
    }
  }
  std::optional<ConvexHull> hull;
  for (;;) {
    std::optional<ConvexHull> next = HullOfPiece(id, kept, true);
    if (!next || next->triangles.size() + 2 == next->points.size() || next->triangles.size() > maxFaces) break;
    hull = std::move(next);
    std::vector<std::pair<double, std::size_t>> farthest;
    for (const auto& t : hull->triangles) {
      const Vec a = At(hull->points, t[0]);
      Vec n = Cross(Minus(At(hull->points, t[1]), a), Minus(At(hull->points, t[2]), a));
      const double length = std::sqrt(Dot(n, n));
      if (!(length > 0)) continue;
      std::pair<double, std::size_t> best{tolerance, corners.size()};
      for (std::size_t i = 0; i < corners.size(); ++i) {
        if (chosen[i]) continue;
        const double d = Dot(Minus(At(corners, i), a), n) / length;
        if (d > best.first) best = {d, i};
      }
      if (best.second < corners.size()) farthest.push_back({-best.first, best.second});
    }
    if (farthest.empty() || kept.size() >= mostCorners) break;
    std::sort(farthest.begin(), farthest.end());
    // Only the far ones: a near one is often held once a far one is in.
    const double far = farthest.front().first / 2;
    for (const auto& [distance, i] : farthest) {
      if (kept.size() >= mostCorners || distance > far) break;
      if (!chosen[i]) chosen[i] = true, kept.push_back(corners[i]);
    }
  }
  if (!hull) return exact;
  WidenAround(*hull, corners, HUGE_VAL);
  return hull;
}

}  // namespace svcmp
