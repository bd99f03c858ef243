#include "collision/convex_decomposition.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <utility>

#include "collision/convex_hull.h"
#include "collision/point_thinning.h"

namespace svcmp {
namespace {

using Vec = std::array<double, 3>;
using Polygon = std::vector<Vec>;

constexpr double kClosedRatio = 1.5;      // hull volume over own volume
constexpr double kOpenDepthShare = 0.1;   // depth inside the hull over its size
constexpr double kMinGainShare = 0.02;    // least volume a cut must save
constexpr double kDoneRatio = 1.2;        // hulls over own volume where a closed mesh is done
constexpr int kCutsPerAxis = 3;           // at a quarter, half and three quarters
constexpr double kProbeCells = 8;        // along a piece's longest side, to weigh its cuts

Vec ToVec(const CollisionVector& p) { return {p[0], p[1], p[2]}; }
CollisionVector ToFloat(const Vec& p) {
  return {static_cast<float>(p[0]), static_cast<float>(p[1]), static_cast<float>(p[2])};
}
Vec Minus(const Vec& a, const Vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double Dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec Cross(const Vec& a, const Vec& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// The triangles that name points of the mesh, their points welded on
// position (meshes split points for normals and texture seams).
struct WeldedMesh {
  std::vector<CollisionVector> points;
  std::vector<MeshCorners> triangles;
};

WeldedMesh Welded(std::span<const CollisionVector> points, std::span<const MeshCorners> triangles) {
  WeldedMesh mesh;
  std::map<CollisionVector, std::uint32_t> index;
  std::vector<std::uint32_t> welded(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    const auto [found, added] = index.try_emplace(points[i], static_cast<std::uint32_t>(mesh.points.size()));
    if (added) mesh.points.push_back(points[i]);
    welded[i] = found->second;
  }
  for (const MeshCorners& t : triangles) {
    if (t[0] >= points.size() || t[1] >= points.size() || t[2] >= points.size()) continue;
    mesh.triangles.push_back({welded[t[0]], welded[t[1]], welded[t[2]]});
  }
  return mesh;
}

// Every edge run once each way.
bool IsClosed(const WeldedMesh& mesh) {
  std::map<std::pair<std::uint32_t, std::uint32_t>, int> runs;
  for (const MeshCorners& t : mesh.triangles) {
    for (int k = 0; k < 3; ++k) ++runs[{t[k], t[(k + 1) % 3]}];
  }
  return !runs.empty() && std::all_of(runs.begin(), runs.end(), [&](const auto& run) {
    const auto back = runs.find({run.first.second, run.first.first});
    return run.second == 1 && back != runs.end() && back->second == 1;
  });
}

double OwnVolume(const WeldedMesh& mesh) {
  double sixTimes = 0;
  for (const MeshCorners& t : mesh.triangles) {
    sixTimes += Dot(ToVec(mesh.points[t[0]]), Cross(ToVec(mesh.points[t[1]]), ToVec(mesh.points[t[2]])));
  }
  return std::fabs(sixTimes) / 6;
}

// How far the deepest point of the surface (of its corners and the
// centres of its triangles) lies inside the hull.
double DeepestInside(const WeldedMesh& mesh) {
  const std::optional<ConvexHull> hull = HullOfPiece(0, mesh.points);
  if (!hull) return 0;
  std::vector<CollisionVector> surface = mesh.points;
  for (const MeshCorners& t : mesh.triangles) {
    CollisionVector& centre = surface.emplace_back();
    for (int k = 0; k < 3; ++k) {
      centre[k] = static_cast<float>((double{mesh.points[t[0]][k]} + mesh.points[t[1]][k] + mesh.points[t[2]][k]) / 3);
    }
  }
  double deepest = 0;
  for (const CollisionVector& point : surface) {
    double depth = HUGE_VAL;
    for (const auto& t : hull->triangles) {
      const Vec a = ToVec(hull->points[t[0]]);
      const Vec n = Cross(Minus(ToVec(hull->points[t[1]]), a), Minus(ToVec(hull->points[t[2]]), a));
      const double length = std::sqrt(Dot(n, n));
      if (length > 0) depth = std::min(depth, -Dot(Minus(ToVec(point), a), n) / length);
    }
    if (depth < HUGE_VAL) deepest = std::max(deepest, depth);
  }
  return deepest;
}

// A piece of the mesh: its triangles clipped to the piece's side of every
// cut so far.
struct Piece {
  std::vector<Polygon> polygons;
  double volume = 0;  // of the hull of its probe points
  // Its best cut, and the volume that cut saves.
  int axis = -1;
  double at = 0;
  double gain = 0;
};

// `polygon` clipped to one side of the plane x[axis] = at.
Polygon Clipped(const Polygon& polygon, int axis, double at, bool below) {
  Polygon kept;
  const auto inside = [&](const Vec& p) { return below ? p[axis] <= at : p[axis] >= at; };
  for (std::size_t i = 0; i < polygon.size(); ++i) {
    const Vec& a = polygon[i];
    const Vec& b = polygon[(i + 1) % polygon.size()];
    if (inside(a)) kept.push_back(a);
    if ((a[axis] < at && b[axis] > at) || (a[axis] > at && b[axis] < at)) {
      const double t = (at - a[axis]) / (b[axis] - a[axis]);
      Vec crossing{a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1]), a[2] + t * (b[2] - a[2])};
      crossing[axis] = at;
      kept.push_back(crossing);
    }
  }
  return kept;
}

// Weighs the cuts of a piece on its points, and the points where its
// surface crosses the cut, thinned to a grid of an eighth of its longest
// side: as good a guide as all of them, at a small part of the cost
// (Qhull's, twice per cut). A piece whose hull is no more than `leastGain`
// has no cut worth weighing.
void FindCut(Piece& piece, double leastGain) {
  std::vector<CollisionVector> all;
  Vec low{HUGE_VAL, HUGE_VAL, HUGE_VAL}, high{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  for (const Polygon& polygon : piece.polygons) {
    for (const Vec& p : polygon) {
      all.push_back(ToFloat(p));
      for (int k = 0; k < 3; ++k) low[k] = std::min(low[k], p[k]), high[k] = std::max(high[k], p[k]);
    }
  }
  const double longest = std::max({high[0] - low[0], high[1] - low[1], high[2] - low[2]});
  const Vec center{(low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (low[2] + high[2]) / 2};
  const std::vector<CollisionVector> probe = longest > 0 ? Thinned(all, center, longest / kProbeCells) : all;
  piece.volume = HullVolume(probe);
  piece.axis = -1;
  piece.gain = 0;
  if (!(piece.volume > leastGain)) return;
  double best = piece.volume;
  std::vector<CollisionVector> below, above, crossings;
  // Along its longest axis at a quarter, half and three quarters; along the
  // others at half.
  const int longestAxis = high[0] - low[0] >= high[1] - low[1] && high[0] - low[0] >= high[2] - low[2] ? 0
                          : high[1] - low[1] >= high[2] - low[2]                                      ? 1
                                                                                                      : 2;
  for (int axis = 0; axis < 3; ++axis) {
    for (int step = 1; step <= kCutsPerAxis; ++step) {
      if (axis != longestAxis && 2 * step != kCutsPerAxis + 1) continue;
      const double at = low[axis] + (high[axis] - low[axis]) * step / (kCutsPerAxis + 1);
      if (!(at > low[axis] && at < high[axis])) continue;
      // Where the surface crosses the cut belongs to both sides.
      crossings.clear();
      for (const Polygon& polygon : piece.polygons) {
        for (std::size_t i = 0; i < polygon.size(); ++i) {
          const Vec& a = polygon[i];
          const Vec& b = polygon[(i + 1) % polygon.size()];
          if ((a[axis] < at && b[axis] > at) || (a[axis] > at && b[axis] < at)) {
            const double t = (at - a[axis]) / (b[axis] - a[axis]);
            Vec crossing{a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1]), a[2] + t * (b[2] - a[2])};
            crossing[axis] = at;
            crossings.push_back(ToFloat(crossing));
          }
        }
      }
      below = longest > 0 ? Thinned(crossings, center, longest / kProbeCells) : crossings;
      above = below;
      for (const CollisionVector& p : probe) (p[axis] <= at ? below : above).push_back(p);
      const double sum = HullVolume(below) + HullVolume(above);
      if (sum < best) best = sum, piece.axis = axis, piece.at = at;
    }
  }
  piece.gain = piece.volume - best;
}

std::vector<CollisionVector> PointsOf(const Piece& piece) {
  std::vector<CollisionVector> points;
  std::set<CollisionVector> seen;
  for (const Polygon& polygon : piece.polygons) {
    for (const Vec& p : polygon) {
      const CollisionVector point = ToFloat(p);
      if (seen.insert(point).second) points.push_back(point);
    }
  }
  return points;
}

// Whether the mesh is clearly concave, and its own volume where it is closed
// (0 where open).
bool Concave(std::span<const CollisionVector> points, std::span<const MeshCorners> triangles, double& ownVolume) {
  ownVolume = 0;
  const WeldedMesh mesh = Welded(points, triangles);
  if (mesh.triangles.empty()) return false;
  const double hullVolume = HullVolume(mesh.points);
  if (!(hullVolume > 0)) return false;  // flat: one flat hull holds it
  if (IsClosed(mesh)) {
    ownVolume = OwnVolume(mesh);
    return hullVolume > kClosedRatio * ownVolume;
  }
  // Cubed rather than a cube root, whose last bit may differ by platform.
  const double depth = DeepestInside(mesh);
  return depth * depth * depth > kOpenDepthShare * kOpenDepthShare * kOpenDepthShare * hullVolume;
}

}  // namespace

bool ClearlyConcave(std::span<const CollisionVector> points, std::span<const MeshCorners> triangles) {
  double ownVolume = 0;
  return Concave(points, triangles, ownVolume);
}

std::vector<std::vector<CollisionVector>> ConvexPieces(std::span<const CollisionVector> points,
                                                       std::span<const MeshCorners> triangles,
                                                       unsigned maxPieces) {
  const std::vector<CollisionVector> whole(points.begin(), points.end());
  double ownVolume = 0;
  if (maxPieces < 2 || !Concave(points, triangles, ownVolume)) return {whole};
  Piece first;
  for (const MeshCorners& t : triangles) {
    if (t[0] >= points.size() || t[1] >= points.size() || t[2] >= points.size()) continue;
    Polygon& polygon = first.polygons.emplace_back();
    for (const std::uint32_t corner : t) polygon.push_back(ToVec(points[corner]));
  }
  FindCut(first, 0);
  const double leastGain = kMinGainShare * first.volume;
  std::vector<Piece> pieces{std::move(first)};
  while (pieces.size() < maxPieces) {
    // The piece whose cut saves the most; the first of equals.
    std::size_t cut = 0;
    for (std::size_t i = 1; i < pieces.size(); ++i) {
      if (pieces[i].gain > pieces[cut].gain) cut = i;
    }
    if (pieces[cut].axis < 0 || !(pieces[cut].gain > leastGain)) break;
    // A closed mesh whose hulls come near its own volume is done.
    double covered = 0;
    for (const Piece& piece : pieces) covered += piece.volume;
    if (covered <= kDoneRatio * ownVolume) break;
    Piece below, above;
    for (const Polygon& polygon : pieces[cut].polygons) {
      if (Polygon side = Clipped(polygon, pieces[cut].axis, pieces[cut].at, true); side.size() >= 3) {
        below.polygons.push_back(std::move(side));
      }
      if (Polygon side = Clipped(polygon, pieces[cut].axis, pieces[cut].at, false); side.size() >= 3) {
        above.polygons.push_back(std::move(side));
      }
    }
    if (below.polygons.empty() || above.polygons.empty()) {
      pieces[cut].axis = -1;
      continue;
    }
    FindCut(below, leastGain);
    FindCut(above, leastGain);
    pieces[cut] = std::move(below);
    pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(cut) + 1, std::move(above));
  }
  std::vector<std::vector<CollisionVector>> out;
  for (const Piece& piece : pieces) out.push_back(PointsOf(piece));
  return out;
}

}  // namespace svcmp
