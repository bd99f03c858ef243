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

TEST(FindSurfaceDefects, CountsNewOpenEdgesAndFacesTurnedInsideOut) {
  const struct {
    const char* what;
    std::function<void(MeshList&)> change;
    std::size_t newOpenEdges;
    std::size_t flippedFaces;
  } cases[] = {
      {"unchanged", [](MeshList&) {}, 0, 0},
      {"one face turned",
       [](MeshList& m) { std::swap(m[0].triangles[40].index[1], m[0].triangles[40].index[2]); }, 0,
       1},
      {"one face gone", [](MeshList& m) { m[1].triangles.erase(m[1].triangles.begin() + 40); }, 3,
       0},
      {"a mesh gone", [](MeshList& m) { m[1].triangles.clear(); }, 24, 0},
      {"hardpoints do not count",
       [](MeshList& m) {
         m[1].isHardpoint = true;
         m[1].triangles.pop_back();
       },
       24, 0},
  };
  const MeshList source = Source();
  for (const auto& c : cases) {
    MeshList level = source;
    c.change(level);
    const SurfaceDefects defects = FindSurfaceDefects(level, source);
    EXPECT_EQ(defects.newOpenEdges, c.newOpenEdges) << c.what;
    EXPECT_EQ(defects.flippedFaces, c.flippedFaces) << c.what;
  }
}

}  // namespace
}  // namespace svcmp
