#include "collision/convex_hull.h"

#include <cmath>
#include <cstdio>
#include <memory>
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

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Qhull's triangulated hull; nothing when it fails.
std::optional<ConvexHull> QhullHull(std::uint32_t id, std::span<const CollisionVector> points) {
  std::vector<coordT> coordinates;
  for (const CollisionVector& p : points) coordinates.insert(coordinates.end(), p.begin(), p.end());
  // Qhull's messages would reach the user as noise; they go to a scratch file.
  const std::unique_ptr<std::FILE, FileCloser> quiet(std::tmpfile());
  qhT state;
  qhT* qh = &state;
  qh_zero(qh, quiet.get());
  char flags[] = "qhull Qt";
  std::optional<ConvexHull> hull;
  if (qh_new_qhull(qh, 3, static_cast<int>(points.size()), coordinates.data(), False, flags,
                   nullptr, quiet.get()) == 0) {
    hull = ConvexHull{id, {}, {}};
    hull->points.assign(points.begin(), points.end());
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
      hull->triangles.push_back(corners);
    }
  }
  qh_freeqhull(qh, !qh_ALL);
  int longLeft = 0, totalLeft = 0;
  qh_memfreeshort(qh, &longLeft, &totalLeft);
  return hull;
}

}  // namespace

std::optional<ConvexHull> HullOfPiece(std::uint32_t id, std::span<const CollisionVector> points) {
  if (points.empty()) return std::nullopt;
  // Three points spanning the piece, and how far it reaches off their plane.
  double reach = 0;
  const Vec first = At(points, 0);
  const std::size_t a = Farthest(points, [&](const Vec& p) { return Dot(Minus(p, first), Minus(p, first)); }, reach);
  const Vec pa = At(points, a);
  const std::size_t b = Farthest(points, [&](const Vec& p) { return Dot(Minus(p, pa), Minus(p, pa)); }, reach);
  const double size = std::sqrt(reach);
  const Vec along = Minus(At(points, b), pa);
  double offLine = 0;
  const std::size_t c = Farthest(points, [&](const Vec& p) {
    const Vec n = Cross(along, Minus(p, pa));
    return Dot(n, n);
  }, offLine);
  if (!(size > 0) || std::sqrt(offLine) <= 1e-6 * size * size) return std::nullopt;
  const Vec normal = Cross(along, Minus(At(points, c), pa));
  const double normalLength = std::sqrt(Dot(normal, normal));
  double offPlane = 0;
  Farthest(points, [&](const Vec& p) { return std::fabs(Dot(Minus(p, pa), normal)) / normalLength; }, offPlane);
  // A piece too thin for Qhull to find a volume in is flat too.
  if (offPlane > 1e-6 * size) {
    if (auto hull = QhullHull(id, points)) return hull;
  }
  return ConvexHull{id, {points[a], points[b], points[c]}, {{0, 1, 2}}};
}

}  // namespace svcmp
