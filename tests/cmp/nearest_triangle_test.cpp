#include "cmp/nearest_triangle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>

#include "tests/plugin/test_meshes.h"

namespace svcmp {
namespace {

using Point = std::array<float, 3>;

// The centre of triangle t of `mesh`, as the exported files have it; null
// when the triangle names a vertex outside its mesh.
std::optional<Point> CentreOf(const MeshRecord& mesh, std::size_t t) {
  const auto& index = mesh.triangles[t].index;
  if (index[0] >= mesh.vertices.size() || index[1] >= mesh.vertices.size() ||
      index[2] >= mesh.vertices.size()) {
    return std::nullopt;
  }
  Point centre;
  for (int axis = 0; axis < 3; ++axis) {
    centre[axis] = static_cast<float>((static_cast<double>(mesh.vertices[index[0]].position[axis]) +
                                       mesh.vertices[index[1]].position[axis] +
                                       mesh.vertices[index[2]].position[axis]) /
                                      3.0);
  }
  return centre;
}

// The walk over every triangle in list order that the finder must match:
// distances rounded as floats, strictly smaller wins.
std::optional<FaceNormal> LinearNearestNormal(const MeshList& meshList, const Point& p) {
  float bestDistance = 999999.0f;
  std::optional<FaceNormal> nearest;
  for (const MeshRecord& mesh : meshList) {
    if (mesh.isHardpoint) continue;
    for (std::size_t t = 0; t < mesh.triangles.size() && t < mesh.faceNormals.size(); ++t) {
      const std::optional<Point> centre = CentreOf(mesh, t);
      if (!centre) continue;
      float d[3];
      for (int axis = 0; axis < 3; ++axis) {
        d[axis] = static_cast<float>(static_cast<double>(p[axis]) - (*centre)[axis]);
      }
      const float distance = static_cast<float>(
          std::sqrt((static_cast<double>(d[0]) * d[0] + static_cast<double>(d[1]) * d[1]) +
                    static_cast<double>(d[2]) * d[2]));
      if (distance < bestDistance) {
        bestDistance = distance;
        nearest = mesh.faceNormals[t];
      }
    }
  }
  return nearest;
}

// Random meshes on a coarse grid, so that centres coincide and distances tie,
// each triangle's normal numbering it; a hardpoint mesh, triangles outside
// their mesh and missing normals among them.
MeshList RandomModel(std::mt19937& random, std::size_t meshCount) {
  MeshList meshList;
  float number = 0;
  for (std::size_t m = 0; m < meshCount; ++m) {
    const std::size_t vertexCount = 4 + random() % 40;
    MeshRecord mesh = testing::MakeRandomMesh(random, vertexCount, 1 + random() % 200);
    for (std::size_t k = 0; k < mesh.triangles.size(); ++k)
      mesh.faceNormals.push_back({number++, 0, 0});
    if (m % 3 == 1) mesh.triangles.back().index[2] = static_cast<std::uint16_t>(vertexCount + 5);
    if (m % 4 == 2) mesh.faceNormals.resize(mesh.faceNormals.size() / 2);
    mesh.isHardpoint = m % 5 == 3;
    meshList.push_back(std::move(mesh));
  }
  return meshList;
}

// Asks the finder one point at a time and all points at once; both must
// answer what the walk answers, bit for bit.
void ExpectAnswersOfTheWalk(const MeshList& meshList, const std::vector<Point>& queries) {
  const NearestTriangleFinder finder(meshList);
  const std::vector<std::optional<FaceNormal>> batch = finder.NearestNormals(queries);
  ASSERT_EQ(batch.size(), queries.size());
  for (std::size_t query = 0; query < queries.size(); ++query) {
    const Point& p = queries[query];
    SCOPED_TRACE(::testing::Message()
                 << "query " << query << " at " << p[0] << ", " << p[1] << ", " << p[2]);
    const auto expected = LinearNearestNormal(meshList, p);
    for (const auto& actual : {finder.NearestNormal(p), batch[query]}) {
      ASSERT_EQ(actual.has_value(), expected.has_value());
      if (expected) {
        ASSERT_EQ(actual->x, expected->x);
      }
    }
  }
}

// Every triangle's centre, of hardpoint meshes too.
std::vector<Point> Centres(const MeshList& meshList) {
  std::vector<Point> centres;
  for (const MeshRecord& mesh : meshList) {
    for (std::size_t t = 0; t < mesh.triangles.size(); ++t) {
      if (const std::optional<Point> centre = CentreOf(mesh, t)) centres.push_back(*centre);
    }
  }
  return centres;
}

// Points anywhere near the model, on the coarse grid, exactly on centres
// (distance 0, ties between equal centres), and without a finite coordinate.
TEST(NearestTriangleFinder, AnswersWhatTheWalkOverEveryTriangleAnswers) {
  std::mt19937 random(20261207);
  std::uniform_int_distribution<int> grid(-5, 5);
  std::uniform_real_distribution<float> fine(-120.0f, 120.0f);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (int round = 0; round < 30; ++round) {
    SCOPED_TRACE(::testing::Message() << "round " << round);
    const MeshList meshList = RandomModel(random, 1 + static_cast<std::size_t>(round) % 7);
    const std::vector<Point> centres = Centres(meshList);
    std::vector<Point> queries;
    for (int query = 0; query < 300; ++query) {
      Point p;
      for (float& value : p) value = query % 2 ? static_cast<float>(grid(random)) : fine(random);
      if (query % 3 == 0) p = centres[random() % centres.size()];
      queries.push_back(p);
    }
    queries.push_back({nan, 0, 0});
    queries.push_back({0, std::numeric_limits<float>::infinity(), 0});
    ExpectAnswersOfTheWalk(meshList, queries);
  }
}

// One mesh whose triangle k is degenerate at `place(k)`, so its centre lies
// exactly there; its normal numbers it.
MeshList TrianglesAt(std::size_t count, const std::function<Point(std::size_t)>& place) {
  MeshRecord mesh = testing::MakeMesh("hull", 0);
  for (std::size_t k = 0; k < count; ++k) {
    const Point at = place(k);
    const auto first = static_cast<std::uint16_t>(mesh.vertices.size());
    for (int corner = 0; corner < 3; ++corner)
      mesh.vertices.push_back({{at[0], at[1], at[2]}, {}, {}});
    mesh.triangles.push_back(
        {{first, static_cast<std::uint16_t>(first + 1), static_cast<std::uint16_t>(first + 2)}});
    mesh.faceNormals.push_back({static_cast<float>(k), 0, 0});
  }
  return {std::move(mesh)};
}

// Spreads that a cut through the middle of a cell cannot halve: one point,
// a cluster that halves its distance with each triangle (deeper than any
// cell), centres at the ends of the float range, every centre twice (the
// copy later in the list), and two tight clusters far apart.
TEST(NearestTriangleFinder, AnswersLikeTheWalkWhereTheMiddleCannotSplit) {
  const std::vector<std::pair<const char*, std::function<Point(std::size_t)>>> spreads = {
      {"one point",
       [](std::size_t) {
         return Point{3, -2, 1};
       }},
      {"halving cluster",
       [](std::size_t k) {
         return Point{std::ldexp(1.0f, -static_cast<int>(k % 120)), 0, 1};
       }},
      {"float range",
       [](std::size_t k) {
         const float end = k % 2 ? 3e38f : -3e38f;
         if (k % 3 == 0) return Point{static_cast<float>(k % 11) - 5, 0, 1};
         return Point{end, static_cast<float>(k % 7), -end};
       }},
      {"every centre twice",
       [](std::size_t k) {
         return Point{static_cast<float>(k % 300 % 7) - 3, static_cast<float>(k % 300 / 7 % 5) - 2,
                      static_cast<float>(k % 300 / 35) - 4};
       }},
      {"far clusters", [](std::size_t k) {
         const float offset = std::ldexp(1.0f, -20) * static_cast<float>(k / 2);
         return k % 2 ? Point{3 + offset, 1, 1 - offset} : Point{-2e5f, offset, 0};
       }}};
  std::mt19937 random(7);
  std::uniform_real_distribution<float> near(-4.0f, 4.0f);
  for (const auto& [name, place] : spreads) {
    SCOPED_TRACE(name);
    std::vector<Point> queries;
    for (int query = 0; query < 200; ++query) {
      queries.push_back(
          {query % 3 ? near(random) : 0.0f, near(random), query % 5 ? 1.0f : near(random)});
      if (query % 7 == 0) queries.back() = place(random() % 600);
    }
    ExpectAnswersOfTheWalk(TrianglesAt(600, place), queries);
  }
}

TEST(NearestTriangleFinder, NothingBeyondTheLimitOrWithoutAFiniteDistance) {
  MeshList meshList = {testing::MakeMesh("hull", 3, 1)};
  meshList[0].faceNormals = {{0, 0, 1}};
  const NearestTriangleFinder finder(meshList);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  for (const Point& p :
       {Point{2e6f, 0, 0}, Point{999999.0f + 1, 0, 0}, Point{nan, 0, 0}, Point{0, inf, 0}}) {
    EXPECT_EQ(finder.NearestNormal(p).has_value(), LinearNearestNormal(meshList, p).has_value());
    EXPECT_FALSE(finder.NearestNormal(p)) << p[0] << " " << p[1];
  }
  EXPECT_TRUE(finder.NearestNormal({1, -1, 0.5f}));

  meshList[0].vertices[0].position[0] = nan;
  EXPECT_FALSE(NearestTriangleFinder(meshList).NearestNormal({0, 0, 0}));
  EXPECT_FALSE(NearestTriangleFinder(MeshList{}).NearestNormal({0, 0, 0}));
}

}  // namespace
}  // namespace svcmp
