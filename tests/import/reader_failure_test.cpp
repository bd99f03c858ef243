#include "import/reader_failure.h"

#include <gtest/gtest.h>

#include <string>

#include "import/gltf_primitive_sizes.h"

namespace svcmp {
namespace {

// "Damaged" only where the reader says the file breaks its format.
TEST(ReaderFailure, DamageOnlyWhereTheFileBreaksItsFormat) {
  const struct {
    ModelFormat format;
    const char* readerMessage;
    const char* reason;
  } cases[] = {
      {ModelFormat::Glb, "No suitable reader found for the file format of file \"x.glb\".",
       "the file is damaged: it cannot be read as GLB"},
      {ModelFormat::Gltf, "Member \"scene\" was not of type \"uint\" when reading the document",
       "the file is damaged: it cannot be read as glTF (Member \"scene\" was not of type \"uint\" "
       "when reading the document)"},
      {ModelFormat::Obj, "OBJ: Invalid face index.\r\n",
       "the file is damaged: it cannot be read as OBJ (OBJ: Invalid face index.)"},
      {ModelFormat::Fbx, "FBX-Tokenize (offset 0x23) block offset is out of range",
       "the file is damaged: it cannot be read as FBX (FBX-Tokenize (offset 0x23) block offset "
       "is out of range)"},
      {ModelFormat::Collada, "Cannot parse string \"  0.0 1.0  \" as a real number",
       "cannot be read by the importer: Cannot parse string \"  0.0 1.0  \" as a real number"},
      {ModelFormat::Gltf, "GLTF: No scene", "cannot be read by the importer: GLTF: No scene"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReaderFailureReason(c.format, c.readerMessage), c.reason);
  }
}

// A mesh is matched to the primitive of its vertex count that drops fewest.
TEST(GltfPrimitiveSizes, DroppedTrianglesAreCountedAgainstTheClosestPrimitive) {
  const std::vector<GltfPrimitiveSize> primitives = {{4, 2}, {3, 4}, {3, 1}, {8, 12}};
  EXPECT_EQ(DroppedTriangles(primitives, 8, 11), 1u);
  EXPECT_EQ(DroppedTriangles(primitives, 3, 1), 0u);
  EXPECT_EQ(DroppedTriangles(primitives, 3, 2), 2u);
  EXPECT_EQ(DroppedTriangles(primitives, 4, 3), 0u);  // no primitive explains it
  EXPECT_EQ(DroppedTriangles({}, 8, 1), 0u);
}

}  // namespace
}  // namespace svcmp
