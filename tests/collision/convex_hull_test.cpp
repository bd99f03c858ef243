#include "collision/convex_hull.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "collision/sur_writer.h"
#include "inspect/collision_checks.h"
#include "inspect/collision_decoder.h"

namespace svcmp {
namespace {

// How far in front of the hull's faces the farthest of `points` lies.
double Outside(const ConvexHull& hull, const std::vector<CollisionVector>& points) {
  double worst = -1e30;
  for (const auto& t : hull.triangles) {
    const auto& a = hull.points[t[0]];
    const auto& b = hull.points[t[1]];
    const auto& c = hull.points[t[2]];
    const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const double v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (const auto& p : points) {
      worst = std::max(worst, (n[0] * (p[0] - a[0]) + n[1] * (p[1] - a[1]) + n[2] * (p[2] - a[2])) / length);
    }
  }
  return worst;
}

TEST(ConvexHull, EnclosesEveryPointWoundOutwardsAndWritesCleanly) {
  std::vector<CollisionVector> points;
  for (int corner = 0; corner < 8; ++corner) {
    points.push_back({static_cast<float>(corner & 1), static_cast<float>(corner >> 1 & 1), static_cast<float>(corner >> 2)});
  }
  std::mt19937 random(7);
  std::uniform_real_distribution<float> inside(0.1f, 0.9f);
  for (int i = 0; i < 200; ++i) points.push_back({inside(random), inside(random), inside(random)});
  const auto hull = HullOfPiece(5, points);
  ASSERT_TRUE(hull);
  EXPECT_EQ(hull->id, 5u);
  EXPECT_EQ(hull->triangles.size(), 12u);
  EXPECT_LE(Outside(*hull, points), 1e-6);
  for (const auto& t : hull->triangles) {
    for (const auto corner : t) EXPECT_LT(corner, 8u);  // only the corners are hull points
  }
  const auto written = WriteSurFile({{5, false, {*hull}, std::nullopt, {}}});
  const auto decoded = DecodeCollisionFile(written.bytes);
  ASSERT_TRUE(decoded.file) << decoded.error.rule << ": " << decoded.error.message;
  EXPECT_TRUE(CheckCollisionFile(*decoded.file, nullptr).empty());
  EXPECT_EQ(decoded.file->parts[0].points.size(), 8u);
  EXPECT_EQ(decoded.file->parts[0].hulls[0].faces.size(), 12u);
}

TEST(ConvexHull, FlatPiecesKeepEveryCornerOfTheirOutlineAndLinesGiveNothing) {
  // A long plate, its corners listed out of order, with points on its edges
  // and inside that are no corners.
  const std::vector<CollisionVector> plate = {{0, 0, 2},    {3500, 250, 2}, {1750, 0, 2}, {0, 250, 2},
                                              {3500, 0, 2}, {900, 100, 2},  {0, 125, 2}};
  const auto flat = HullOfPiece(1, plate);
  ASSERT_TRUE(flat);
  EXPECT_EQ(flat->triangles.size(), 2u);
  std::vector<CollisionVector> corners = flat->points;
  std::sort(corners.begin(), corners.end());
  EXPECT_EQ(corners, (std::vector<CollisionVector>{{0, 0, 2}, {0, 250, 2}, {3500, 0, 2}, {3500, 250, 2}}));
  double area = 0;
  for (const auto& t : flat->triangles) {
    const auto &a = flat->points[t[0]], &b = flat->points[t[1]], &c = flat->points[t[2]];
    area += ((b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])) / 2;  // along +z
  }
  EXPECT_DOUBLE_EQ(std::fabs(area), 3500.0 * 250);
  // Two-sided in the file: four faces over the four corners, and clean.
  const auto decoded = DecodeCollisionFile(WriteSurFile({{1, false, {*flat}, std::nullopt, {}}}).bytes);
  ASSERT_TRUE(decoded.file) << decoded.error.rule << ": " << decoded.error.message;
  EXPECT_TRUE(CheckCollisionFile(*decoded.file, nullptr).empty());
  EXPECT_EQ(decoded.file->parts[0].hulls[0].faces.size(), 4u);
  EXPECT_EQ(decoded.file->parts[0].points.size(), 4u);

  const std::vector<CollisionVector> line = {{0, 0, 0}, {1, 1, 1}, {2, 2, 2}, {1, 1, 1}};
  EXPECT_FALSE(HullOfPiece(1, line));
  EXPECT_FALSE(HullOfPiece(1, std::vector<CollisionVector>{{1, 2, 3}, {1, 2, 3}, {1, 2, 3}}));
  EXPECT_FALSE(HullOfPiece(1, {}));
}

}  // namespace
}  // namespace svcmp
