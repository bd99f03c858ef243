#include "cmp/bounding_sphere.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace svcmp {
namespace {

struct Vec {
  double x = 0, y = 0, z = 0;
};

Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator*(Vec a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec Cross(Vec a, Vec b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

struct Ball {
  Vec centre;
  double radius2 = 0;  // squared
};

// Rounding in the constructions below may leave a point a hair outside the
// ball it helped to define; counting it as inside keeps the loops from
// chasing rounding errors. The final radius is measured, so nothing is lost.
constexpr double kSlack = 1e-12;

bool Outside(const Ball& ball, Vec p, double scale2) {
  const Vec d = p - ball.centre;
  return Dot(d, d) > ball.radius2 * (1 + kSlack) + scale2 * kSlack;
}

Ball Diametral(Vec a, Vec b) {
  const Vec centre = (a + b) * 0.5;
  const Vec d = a - centre;
  return {centre, Dot(d, d)};
}

Ball Covering(const Ball& ball, std::initializer_list<Vec> points) {
  Ball grown = ball;
  for (Vec p : points) {
    const Vec d = p - grown.centre;
    grown.radius2 = std::max(grown.radius2, Dot(d, d));
  }
  return grown;
}

// The smallest ball with a, b and c on its surface: their circumcircle.
// Points on one line have none; the ball over the farthest pair then holds all three.
Ball Circumscribed(Vec a, Vec b, Vec c) {
  const Vec ab = b - a;
  const Vec ac = c - a;
  const Vec normal = Cross(ab, ac);
  const double normal2 = Dot(normal, normal);
  const double scale2 = std::max({Dot(ab, ab), Dot(ac, ac), Dot(c - b, c - b)});
  if (normal2 <= scale2 * scale2 * 1e-24) {
    Ball best = Diametral(a, b);
    for (const Ball& other : {Diametral(a, c), Diametral(b, c)})
      if (other.radius2 > best.radius2) best = other;
    return Covering(best, {a, b, c});
  }
  const Vec offset = Cross(normal, ab * Dot(ac, ac) - ac * Dot(ab, ab)) * (0.5 / normal2);
  return Covering({a + offset, 0}, {a, b, c});
}

// The ball with a, b, c and d on its surface. Four points in one plane have
// none; the smallest ball over three of them that holds the fourth stands in.
Ball Circumscribed(Vec a, Vec b, Vec c, Vec d) {
  const Vec ab = b - a;
  const Vec ac = c - a;
  const Vec ad = d - a;
  const double det = Dot(ab, Cross(ac, ad));
  const double scale = std::sqrt(std::max({Dot(ab, ab), Dot(ac, ac), Dot(ad, ad)}));
  if (std::abs(det) <= scale * scale * scale * 1e-12) {
    Ball best{{}, std::numeric_limits<double>::infinity()};
    const Vec all[4] = {a, b, c, d};
    for (int skip = 0; skip < 4; ++skip) {
      Vec three[3];
      for (int i = 0, n = 0; i < 4; ++i)
        if (i != skip) three[n++] = all[i];
      const Ball ball = Covering(Circumscribed(three[0], three[1], three[2]), {all[skip]});
      if (ball.radius2 < best.radius2) best = ball;
    }
    return best;
  }
  // Solve 2 (p - a) . x = |p - a|^2 for p = b, c, d by Cramer's rule.
  const Vec rhs = {Dot(ab, ab), Dot(ac, ac), Dot(ad, ad)};
  const Vec offset =
      (Cross(ac, ad) * rhs.x + Cross(ad, ab) * rhs.y + Cross(ab, ac) * rhs.z) * (0.5 / det);
  return Covering({a + offset, 0}, {a, b, c, d});
}

// A fixed order that is as good as a random one for the expected linear
// time, and the same on every platform (std::shuffle is not).
void Shuffle(std::vector<Vec>& points) {
  std::uint64_t state = 0x9E3779B97F4A7C15u;
  for (std::size_t i = points.size(); i > 1; --i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    std::swap(points[i - 1], points[state % i]);
  }
}

Ball Welzl(const std::vector<Vec>& p, double scale2) {
  Ball ball{p[0], 0};
  for (std::size_t i = 1; i < p.size(); ++i) {
    if (!Outside(ball, p[i], scale2)) continue;
    ball = {p[i], 0};
    for (std::size_t j = 0; j < i; ++j) {
      if (!Outside(ball, p[j], scale2)) continue;
      ball = Diametral(p[i], p[j]);
      for (std::size_t k = 0; k < j; ++k) {
        if (!Outside(ball, p[k], scale2)) continue;
        ball = Circumscribed(p[i], p[j], p[k]);
        for (std::size_t l = 0; l < k; ++l) {
          if (Outside(ball, p[l], scale2)) ball = Circumscribed(p[i], p[j], p[k], p[l]);
        }
      }
    }
  }
  return ball;
}

}  // namespace

BoundingSphere MinimumEnclosingSphere(std::span<const Position> points) {
  if (points.empty()) return {};
  std::vector<Vec> shuffled;
  shuffled.reserve(points.size());
  double scale2 = 0;
  for (const Position& p : points) {
    shuffled.push_back({p[0], p[1], p[2]});
    scale2 = std::max(scale2, Dot(shuffled.back(), shuffled.back()));
  }
  Shuffle(shuffled);
  const Ball ball = Welzl(shuffled, scale2);

  BoundingSphere sphere;
  sphere.centre = {static_cast<float>(ball.centre.x), static_cast<float>(ball.centre.y),
                   static_cast<float>(ball.centre.z)};
  const Vec centre = {sphere.centre[0], sphere.centre[1], sphere.centre[2]};
  double farthest = 0;
  for (const Vec& p : shuffled) farthest = std::max(farthest, Dot(p - centre, p - centre));
  farthest = std::sqrt(farthest);
  sphere.radius = static_cast<float>(farthest);
  if (static_cast<double>(sphere.radius) < farthest) {
    sphere.radius = std::nextafter(sphere.radius, std::numeric_limits<float>::infinity());
  }
  return sphere;
}

}  // namespace svcmp
