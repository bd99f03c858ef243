#include "cmp/bounding_sphere.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace svcmp {
namespace {

double Distance(const Position& a, const Position& b) {
  const double dx = double{a[0]} - b[0], dy = double{a[1]} - b[1], dz = double{a[2]} - b[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz);
}

using D3 = std::array<double, 3>;
D3 operator-(D3 a, D3 b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
D3 operator+(D3 a, D3 b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
D3 operator*(D3 a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
double Dot(D3 a, D3 b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
D3 Cross(D3 a, D3 b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// The smallest radius of any sphere through two, three or four of the points
// (diametral, circumcircle, circumsphere) that holds them all: the minimum
// enclosing sphere by brute force, for small sets.
double BruteForceRadius(const std::vector<Position>& points) {
  std::vector<D3> p;
  for (const Position& q : points) p.push_back({q[0], q[1], q[2]});
  std::vector<D3> centres = {p[0]};
  const std::size_t n = p.size();
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = i + 1; j < n; ++j) {
      const D3 ab = p[j] - p[i];
      centres.push_back(p[i] + ab * 0.5);
      for (std::size_t k = j + 1; k < n; ++k) {
        const D3 ac = p[k] - p[i];
        const D3 normal = Cross(ab, ac);
        const double normal2 = Dot(normal, normal);
        if (normal2 < 1e-18) continue;
        centres.push_back(p[i] +
                          Cross(normal, ab * Dot(ac, ac) - ac * Dot(ab, ab)) * (0.5 / normal2));
        for (std::size_t l = k + 1; l < n; ++l) {
          const D3 ad = p[l] - p[i];
          const double det = Dot(ab, Cross(ac, ad));
          if (std::abs(det) < 1e-9) continue;
          centres.push_back(p[i] + (Cross(ac, ad) * Dot(ab, ab) + Cross(ad, ab) * Dot(ac, ac) +
                                    Cross(ab, ac) * Dot(ad, ad)) *
                                       (0.5 / det));
        }
      }
    }
  }
  double best = std::numeric_limits<double>::infinity();
  for (const D3& c : centres) {
    double radius = 0;
    for (const D3& q : p) radius = std::max(radius, std::sqrt(Dot(q - c, q - c)));
    best = std::min(best, radius);
  }
  return best;
}

std::vector<Position> RandomPoints(unsigned seed, std::size_t count, float spread) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> coordinate(-spread, spread);
  std::vector<Position> points(count);
  for (auto& p : points) p = {coordinate(random), coordinate(random), coordinate(random)};
  return points;
}

struct SphereCase {
  std::string name;
  std::vector<Position> points;
};

std::vector<SphereCase> Cases() {
  std::vector<SphereCase> cases = {
      {"one point", {{3, -4, 5}}},
      {"one point many times", {{1, 2, 3}, {1, 2, 3}, {1, 2, 3}, {1, 2, 3}}},
      {"two points", {{-1, 0, 0}, {3, 0, 0}}},
      {"points on a line", {{0, 0, 0}, {1, 1, 1}, {5, 5, 5}, {2, 2, 2}, {-3, -3, -3}}},
      {"square in a plane", {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0.5f, 0.5f, 0}}},
      {"cube corners",
       {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0, 0, 1}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}}},
      {"tetrahedron", {{1, 1, 1}, {1, -1, -1}, {-1, 1, -1}, {-1, -1, 1}, {0, 0, 0}}},
      {"obtuse triangle", {{0, 0, 0}, {10, 0, 0}, {5, 0.5f, 0}}},
  };
  std::vector<Position> grid;  // many co-planar and duplicate points
  for (int x = 0; x < 4; ++x)
    for (int y = 0; y < 4; ++y)
      grid.push_back({float(x), float(y), 2}), grid.push_back({float(x), float(y), 2});
  cases.push_back({"grid in a plane with duplicates", grid});
  for (unsigned seed = 1; seed <= 6; ++seed)
    cases.push_back({"random " + std::to_string(seed), RandomPoints(seed, 9 + seed, 50.0f * seed)});
  // A unit-sized cloud a long way out: floats there are 1/128 apart, so
  // rounding the centre moves it by far more than the radius's last bit.
  for (unsigned seed = 7; seed <= 9; ++seed) {
    std::vector<Position> far = RandomPoints(seed, 12, 1.5f);
    for (Position& p : far) p = {p[0] + 100000, p[1] - 70000, p[2] + 90000};
    cases.push_back({"random far out " + std::to_string(seed), far});
  }
  return cases;
}

TEST(MinimumEnclosingSphere, IsTheSmallestSphereAndHoldsEveryPointAfterRounding) {
  for (const SphereCase& c : Cases()) {
    const BoundingSphere sphere = MinimumEnclosingSphere(c.points);
    double farthest = 0;
    for (const Position& p : c.points) farthest = std::max(farthest, Distance(p, sphere.centre));
    // Tight: the radius is the largest distance, rounded up to the next float at most.
    EXPECT_GE(double{sphere.radius}, farthest) << c.name;
    EXPECT_LE(double{sphere.radius}, double{std::nextafter(static_cast<float>(farthest), 1e30f)})
        << c.name;
    // Minimal: no sphere through the points' own subsets is smaller, but
    // for the distance the rounded centre may have moved.
    const double best = BruteForceRadius(c.points);
    double centreStep = 0;
    for (float value : sphere.centre) {
      centreStep += std::abs(std::nextafter(value, 1e30f) - value);
    }
    EXPECT_NEAR(sphere.radius, best, 1e-5 * std::max(1.0, best) + centreStep) << c.name;
  }
}

TEST(MinimumEnclosingSphere, NoPointsGiveTheZeroSphereAndOrderDoesNotMatter) {
  const BoundingSphere none = MinimumEnclosingSphere({});
  EXPECT_EQ(none.radius, 0.0f);
  EXPECT_EQ(none.centre, (Position{0, 0, 0}));

  std::vector<Position> points = RandomPoints(42, 2000, 100);
  const BoundingSphere forward = MinimumEnclosingSphere(points);
  std::reverse(points.begin(), points.end());
  const BoundingSphere backward = MinimumEnclosingSphere(points);
  EXPECT_NEAR(forward.radius, backward.radius, 1e-4);
  for (int axis = 0; axis < 3; ++axis)
    EXPECT_NEAR(forward.centre[axis], backward.centre[axis], 1e-3);
}

}  // namespace
}  // namespace svcmp
