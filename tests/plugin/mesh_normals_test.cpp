#include "plugin/mesh_normals.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

#include "tests/plugin/reference_normals.h"
#include "tests/plugin/test_meshes.h"

namespace svcmp {
namespace {

MeshVertex At(float x, float y, float z) { return {{x, y, z}, {0, 0, 0}, {0, 0}}; }

void ExpectBits(const FaceNormal& actual, const FaceNormal& expected) {
  EXPECT_EQ(std::bit_cast<std::uint32_t>(actual.x), std::bit_cast<std::uint32_t>(expected.x));
  EXPECT_EQ(std::bit_cast<std::uint32_t>(actual.y), std::bit_cast<std::uint32_t>(expected.y));
  EXPECT_EQ(std::bit_cast<std::uint32_t>(actual.z), std::bit_cast<std::uint32_t>(expected.z));
}

FaceNormal VertexNormal(const MeshRecord& mesh, std::size_t j) {
  return {mesh.vertices[j].normal[0], mesh.vertices[j].normal[1], mesh.vertices[j].normal[2]};
}

TEST(MeshNormals, FaceNormalFollowsTheCornerOrder) {
  ExpectBits(ComputeFaceNormal(At(0, 0, 0), At(2, 0, 0), At(0, 3, 0)), {0, 0, 1});
  ExpectBits(ComputeFaceNormal(At(0, 0, 0), At(0, 3, 0), At(2, 0, 0)), {0, 0, -1});
  // (1,1,0) x (0,1,1) = (1,-1,1); length sqrt(3) rounded to float first.
  const float length = static_cast<float>(std::sqrt(3.0));
  ExpectBits(ComputeFaceNormal(At(0, 0, 0), At(1, 1, 0), At(0, 1, 1)),
             {1.0f / length, -1.0f / length, 1.0f / length});
}

// Corners that are not small integers, so that every edge component must be
// rounded to a float before the cross product; the bits were worked out
// outside this code.
TEST(MeshNormals, FaceNormalOfUnevenCornersHasTheseBits) {
  const FaceNormal normal =
      ComputeFaceNormal(At(0.1f, 0.2f, 0.3f), At(1.7f, -0.3f, 2.9f), At(-0.6f, 1.4f, 0.25f));
  EXPECT_EQ(std::bit_cast<std::uint32_t>(normal.x), 0xBF4C1713u);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(normal.y), 0xBEE57A51u);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(normal.z), 0x3ECF0EB9u);
}

TEST(MeshNormals, DegenerateTrianglesHaveAZeroNormal) {
  ExpectBits(ComputeFaceNormal(At(1, 2, 3), At(1, 2, 3), At(1, 2, 3)), {0, 0, 0});
  ExpectBits(ComputeFaceNormal(At(0, 0, 0), At(1, 1, 1), At(2, 2, 2)), {0, 0, 0});
  ExpectBits(Normalise({0, 0, 0}), {0, 0, 0});
}

TEST(MeshNormals, DegenerateTriangleCountsInTheDivisorButAddsNothing) {
  MeshRecord mesh;
  mesh.vertices = {At(0, 0, 0), At(1, 0, 0), At(0, 1, 0)};
  mesh.triangles = {{{0, 1, 2}}, {{0, 0, 0}}};
  ComputeMeshNormals(mesh);
  ExpectBits(mesh.faceNormals[1], {0, 0, 0});
  ExpectBits(VertexNormal(mesh, 0), {0, 0, 1});
  ExpectBits(VertexNormal(mesh, 1), {0, 0, 1});
}

TEST(MeshNormals, UnusedVerticesAndTrianglesOutsideTheMeshAreSafe) {
  MeshRecord mesh;
  mesh.vertices = {At(0, 0, 0), At(1, 0, 0), At(0, 1, 0), At(5, 5, 5)};
  // The second triangle names vertex 40000 of a four-vertex mesh: it must
  // neither be read nor counted.
  mesh.triangles = {{{0, 1, 2}}, {{0, 2, 40000}}};
  ComputeMeshNormals(mesh);
  ASSERT_EQ(mesh.faceNormals.size(), 2u);
  ExpectBits(mesh.faceNormals[1], {0, 0, 0});
  ExpectBits(VertexNormal(mesh, 0), {0, 0, 1});
  ExpectBits(VertexNormal(mesh, 3), kUnusedVertexNormal);
}

TEST(MeshNormals, AMeshWithoutTrianglesHasOnlyUnusedVertices) {
  MeshRecord mesh;
  mesh.vertices = {At(1, 2, 3), At(1, 2, 3), At(1, 2, 3)};
  mesh.faceNormals = {{0, 0, 1}};  // left from an earlier pass
  ComputeMeshNormals(mesh);
  EXPECT_TRUE(mesh.faceNormals.empty());
  for (std::size_t j = 0; j < 3; ++j) ExpectBits(VertexNormal(mesh, j), kUnusedVertexNormal);
}

TEST(MeshNormals, VerticesAbove32767AreAddressed) {
  MeshRecord mesh;
  mesh.vertices.assign(40000, At(0, 0, 0));
  mesh.vertices[39998] = At(1, 0, 0);
  mesh.vertices[39999] = At(0, 0, 1);
  mesh.triangles = {{{0, 39998, 39999}}};
  ComputeMeshNormals(mesh);
  ExpectBits(VertexNormal(mesh, 39999), {0, -1, 0});
  ExpectBits(VertexNormal(mesh, 1), kUnusedVertexNormal);
}

TEST(MeshNormals, FastPassMatchesTheLiteralWalkBitForBit) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 40; ++round) {
    const std::size_t vertexCount = 4 + static_cast<std::size_t>(round) * 7;
    MeshRecord mesh = testing::MakeRandomMesh(random, vertexCount, vertexCount * 3);
    const std::vector<FaceNormal> expected = testing::ReferenceVertexNormals(mesh);
    ComputeMeshNormals(mesh);
    for (std::size_t j = 0; j < vertexCount; ++j) {
      SCOPED_TRACE(::testing::Message() << "round " << round << ", vertex " << j);
      ExpectBits(VertexNormal(mesh, j), expected[j]);
    }
  }
}

}  // namespace
}  // namespace svcmp
