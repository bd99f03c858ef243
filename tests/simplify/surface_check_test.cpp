#include "simplify/surface_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "generated_meshes.h"

namespace svcmp {
namespace {

// A closed sphere in two meshes that meet along a ring, with a texture seam.
MeshList Source() {
  return {testing::MakeSphere("top", 5, 12, 24, 0, 6),
          testing::MakeSphere("bottom", 5, 12, 24, 6, 12)};
}

void Turn(MeshTriangle& triangle) { std::swap(triangle.index[1], triangle.index[2]); }

TEST(FindSurfaceDefects, CountsNewOpenEdgesAndFacesTurnedInsideOut) {
  const struct {
    const char* what;
    std::function<void(MeshList&)> change;
    std::size_t newOpenEdges;
    std::size_t flippedFaces;
    bool acceptable;  // a single small face turned is below the tolerance
  } cases[] = {
      {"unchanged", [](MeshList&) {}, 0, 0, true},
      {"one face turned", [](MeshList& m) { Turn(m[0].triangles[40]); }, 0, 1, true},
      {"a band turned",
       [](MeshList& m) {
         for (int t = 100; t < 148; ++t) Turn(m[0].triangles[static_cast<std::size_t>(t)]);
       },
       0, 48, false},
      {"one face gone", [](MeshList& m) { m[1].triangles.erase(m[1].triangles.begin() + 40); }, 3,
       0, false},
      {"a mesh gone", [](MeshList& m) { m[1].triangles.clear(); }, 24, 0, false},
      {"hardpoints do not count",
       [](MeshList& m) {
         m[1].isHardpoint = true;
         m[1].triangles.pop_back();
       },
       24, 0, false},
  };
  const MeshList source = Source();
  for (const auto& c : cases) {
    MeshList level = source;
    c.change(level);
    const SurfaceDefects defects = FindSurfaceDefects(level, source);
    EXPECT_EQ(defects.newOpenEdges, c.newOpenEdges) << c.what;
    EXPECT_EQ(defects.flippedFaces, c.flippedFaces) << c.what;
    EXPECT_EQ(defects.None(), c.acceptable) << c.what;
  }
}

}  // namespace
}  // namespace svcmp
