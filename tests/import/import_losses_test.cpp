#include "import/import_losses.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace svcmp {
namespace {

TEST(ImportLosses, OneSentencePerKindWithCountsAndNames) {
  ImportLosses losses;
  EXPECT_TRUE(losses.Sentences().empty());
  losses.Add(ImportLosses::NoMaterial, "hull", 1);
  losses.Add(ImportLosses::LinesAndPoints, "wire", 12);
  losses.Add(ImportLosses::LinesAndPoints, "wire", 1);
  losses.Add(ImportLosses::LinesAndPoints, "rail", 2);
  losses.Add(ImportLosses::Skins, "pilot", 0);  // nothing lost
  losses.Add(ImportLosses::TextureTransforms, "metal", 1);
  losses.Add(ImportLosses::DroppedTriangles, "hull", 2);
  losses.Add(ImportLosses::DroppedTriangles, "fin", 1);
  losses.Add(ImportLosses::DroppedTriangles, "hull", 1);
  for (const char* name : {"a", "b", "c", "d", "e", "f", "g"}) {
    losses.Add(ImportLosses::VertexColours, name, 1);
  }
  EXPECT_EQ(
      losses.Sentences(),
      (std::vector<std::string>{
          "15 lines and points left out (only triangles are exported): meshes \"wire\", "
          "\"rail\"",
          "7 vertex colour sets left out: meshes \"a\", \"b\", \"c\", \"d\", \"e\" and 2 more",
          "1 texture transform left out: material \"metal\"",
          "1 geometry mesh without a material (material id 0 is written): \"hull\"",
          // Dropped triangles are told mesh by mesh.
          "3 triangles left out (a corner is no vertex of the mesh): mesh \"hull\"",
          "1 triangle left out (a corner is no vertex of the mesh): mesh \"fin\"",
      }));
}

}  // namespace
}  // namespace svcmp
