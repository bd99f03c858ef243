#include "collision/sur_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "inspect/collision_checks.h"
#include "format/name_crc.h"
#include "inspect/collision_decoder.h"

namespace svcmp {
namespace {

constexpr std::uint32_t kRoot = 0x12688F2D;
constexpr std::uint32_t kTurret = 0x0399E410;

ConvexHull Tetrahedron(std::uint32_t id, float x, float scale = 1) {
  return {id,
          {{x, 0, 0}, {x + scale, 0, 0}, {x, 1, 0}, {x, 0, 1}},
          {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}}};
}

// Writes, reads back and checks: no structural error, no warning.
CollisionFile RoundTrip(const std::vector<PartHulls>& parts) {
  const SurWriting written = WriteSurFile(parts);
  EXPECT_EQ(written.error, "");
  const CollisionDecoding decoded = DecodeCollisionFile(written.bytes);
  EXPECT_TRUE(decoded.file) << decoded.error.rule << " @" << decoded.error.offset << ": "
                            << decoded.error.message;
  if (!decoded.file) return {};
  for (const Finding& finding : CheckCollisionFile(*decoded.file, nullptr)) {
    ADD_FAILURE() << finding.rule << " " << finding.path << ": " << finding.message;
  }
  return *decoded.file;
}

TEST(SurWriter, OneHullIsOneLeafWithItsCentreRadiusAndInertia) {
  const CollisionFile file = RoundTrip({{kRoot, true, {Tetrahedron(kRoot, 0)}, std::nullopt, {}}});
  ASSERT_EQ(file.parts.size(), 1u);
  const CollisionPart& part = file.parts[0];
  EXPECT_TRUE(part.moves);
  EXPECT_EQ(part.boxMax, (std::array<float, 3>{1, 1, 1}));
  EXPECT_EQ(part.center, (std::array<float, 3>{0.25f, 0.25f, 0.25f}));
  const float radius = std::sqrt(0.75f * 0.75f + 2 * 0.25f * 0.25f);
  EXPECT_FLOAT_EQ(part.radius, radius);
  EXPECT_FLOAT_EQ(part.inertia[1], 0.2f * radius * radius);
  ASSERT_EQ(part.nodes.size(), 1u);
  EXPECT_EQ(part.points.size(), 4u);
  // Points in first use order: face 0 is (0, 2, 1).
  EXPECT_EQ(part.points[1].position, (std::array<float, 3>{0, 1, 0}));
  EXPECT_EQ(part.nodes[0].box, (std::array<std::uint8_t, 3>{145, 145, 145}));
  // Pierce: the face whose normal points most away. The slanted face 3 is
  // the most opposite of each of the three square ones (which are square to
  // each other); for it they tie, and the first wins.
  std::vector<int> pierce;
  for (const CollisionFace& face : part.hulls[0].faces) pierce.push_back(face.pierce);
  EXPECT_EQ(pierce, (std::vector<int>{3, 3, 3, 0}));
}

TEST(SurWriter, ManyHullsGetAFullTreeUnderTheWrapHull) {
  PartHulls part{kRoot, false, {}, {}, {kTurret}};
  for (int i = 0; i < 5; ++i) part.leaves.push_back(Tetrahedron(i == 4 ? kTurret : kRoot, 2.0f * i));
  part.wrap = ConvexHull{0, {{0, 0, 0}, {9, 0, 0}, {0, 1, 0}, {0, 0, 1}}, {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}}};
  const CollisionFile file = RoundTrip({part, {NameCrc("Wing"), false, {Tetrahedron(7, 0)}, {}, {}}});
  ASSERT_EQ(file.parts.size(), 2u);
  const CollisionPart& root = file.parts[0];
  EXPECT_EQ(root.hulls.size(), 6u);
  EXPECT_EQ(root.nodes.size(), 9u);
  EXPECT_EQ(root.hulls[root.nodes[0].hull].kind, CollisionHullKind::Wrap);
  EXPECT_EQ(root.hardpointIds, std::vector<std::uint32_t>{kTurret});
  // "exts" leaves the hardpoint's hull out.
  EXPECT_EQ(root.boxMax[0], 7.0f);
  EXPECT_EQ(root.points.size(), 20u);
}

TEST(SurWriter, AFlatPieceBecomesATwoSidedTriangle) {
  const ConvexHull flat{kRoot, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}};
  const CollisionFile file = RoundTrip({{kRoot, false, {flat}, std::nullopt, {}}});
  ASSERT_EQ(file.parts.size(), 1u);
  ASSERT_EQ(file.parts[0].hulls[0].faces.size(), 2u);
  EXPECT_EQ(file.parts[0].hulls[0].faces[1].points, (std::array<std::uint16_t, 3>{0, 2, 1}));
  // No volume: the centre is the box's.
  EXPECT_EQ(file.parts[0].center, (std::array<float, 3>{0.5f, 0.5f, 0}));
}

TEST(SurWriter, RefusesAPartBeyondTheLimits) {
  ConvexHull big{kRoot, {}, {}};
  for (std::uint32_t i = 0; i < 4097; ++i) big.triangles.push_back({0, 1, 2});
  big.points = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  EXPECT_EQ(WriteSurFile({{kRoot, false, {big}, std::nullopt, {}}}).error, "a hull has more than 4,095 faces");
}

}  // namespace
}  // namespace svcmp
