#include "plugin/mesh_buffer.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <vector>

#include "host/host_model.h"
#include "plugin/model_capture.h"
#include "tests/plugin/test_meshes.h"

namespace svcmp {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Quantities = std::array<std::int32_t, kMaxGroupCount>;

std::uint16_t U16At(const Bytes& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes.at(at) | (bytes.at(at + 1) << 8));
}

struct Built {
  Bytes bytes;
  MeshDataSummary summary;
  GroupList groups;
};

Built Build(const MeshList& meshList, int groupCount = 1, const Quantities& quantities = {}) {
  Built built;
  built.bytes = BuildMeshBuffer(meshList, groupCount, quantities, built.summary, built.groups);
  return built;
}

std::vector<std::uint16_t> StartVertices(const Bytes& bytes) {
  std::vector<std::uint16_t> starts;
  for (std::size_t m = 0; m < U16At(bytes, 8); ++m) starts.push_back(U16At(bytes, 16 + 12 * m + 4));
  return starts;
}

// One mesh with material "abc", one triangle and three vertices, captured
// from the host unscaled, with the vertex bytes spelled out by hand.
TEST(MeshBuffer, WorkedExampleByteForByte) {
  HostModelPtr model = MakeHostModel();
  model->materials = {{"abc"}};
  model->meshes.push_back({"hull", 0,
                           {{{0, 0, 0}, {0.25f, 0.5f}}, {{1, 0, 0}, {1, 0}}, {{0, 1, 0}, {0, 1}}},
                           {{{0, 1, 2}}}});
  const Bytes expected = {
      0x01, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x01, 0x00, 0x03, 0x00, 0x12, 0x01, 0x03, 0x00,
      0xC2, 0x55, 0xB0, 0xEB, 0x00, 0x00, 0x02, 0x00, 0x03, 0x00, 0xCC, 0x00,
      0x00, 0x00, 0x01, 0x00, 0x02, 0x00,
      // vertex 0: position (0, 0, 0), normal (0, 0, 1), texture (0.25, 0.5)
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F,
      0x00, 0x00, 0x80, 0x3E, 0x00, 0x00, 0x00, 0x3F,
      // vertex 1: position (1, 0, 0), normal (0, 0, 1), texture (1, 0)
      0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F,
      0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00,
      // vertex 2: position (0, 1, 0), normal (0, 0, 1), texture (0, 1)
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F,
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F,
  };
  ASSERT_EQ(expected.size(), 130u);

  MeshList meshList = CaptureModel(model.get(), 1, 1);
  EXPECT_EQ(Build(meshList).bytes, expected);

  // A hardpoint mesh, even one with a broken triangle, changes nothing.
  model->meshes.push_back({"HpMount01", -1, {{{5, 5, 5}, {0, 0}}}, {{{0, 0, 9}}}});
  meshList = CaptureModel(model.get(), 1, 1);
  const Built withHardpoint = Build(meshList);
  EXPECT_EQ(withHardpoint.bytes, expected);
  EXPECT_EQ(withHardpoint.summary.meshCount, 1);
  EXPECT_EQ(withHardpoint.summary.indexCount, 3);
  EXPECT_EQ(withHardpoint.summary.vertexCount, 3);
}

TEST(MeshBuffer, AllHardpointsGiveABareHeader) {
  const MeshList meshList = {testing::MakeMesh("Hp_a", 3, 1), testing::MakeMesh("hpB", 4, 2)};
  const Built built = Build(meshList);
  EXPECT_EQ(built.bytes, (Bytes{1, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0x12, 0x01, 0, 0}));
  EXPECT_EQ(built.summary.meshCount, 0);
  EXPECT_EQ(built.summary.bounds.maxX, 0);
  EXPECT_EQ(built.summary.bounds.minX, 0);
  EXPECT_TRUE(built.groups.empty());
}

TEST(MeshBuffer, EntriesOfMeshesWithoutTrianglesOrVertices) {
  const MeshList meshList = {testing::MakeMesh("empty", 0), testing::MakeMesh("points", 4)};
  const Built built = Build(meshList);
  ASSERT_EQ(built.bytes.size(), 16u + 2 * 12 + 4 * 32);
  EXPECT_EQ(U16At(built.bytes, 16 + 4), 0x0000);   // start vertex
  EXPECT_EQ(U16At(built.bytes, 16 + 6), 0xFFFF);   // end vertex: one before the start
  EXPECT_EQ(U16At(built.bytes, 16 + 8), 0);        // index count
  EXPECT_EQ(U16At(built.bytes, 28 + 4), 0);
  EXPECT_EQ(U16At(built.bytes, 28 + 6), 3);
  EXPECT_EQ(U16At(built.bytes, 28 + 8), 0);
  EXPECT_EQ(U16At(built.bytes, 28 + 10), 0x00CC);
}

TEST(MeshBuffer, OddIndexCountLeavesTheVertexListUnaligned) {
  const MeshList meshList = {testing::MakeMesh("m", 3, 1)};
  const Built built = Build(meshList);
  const std::size_t vertexList = 16 + 12 + 2 * 3;
  ASSERT_EQ(built.bytes.size(), vertexList + 3 * 32);
  EXPECT_NE(vertexList % 4, 0u);
  // Vertex 1 sits at x = 1.0: its bytes begin right after the indices.
  EXPECT_EQ(built.bytes[vertexList + 32 + 3], 0x3F);
  EXPECT_EQ(built.bytes[vertexList + 32 + 2], 0x80);
}

TEST(MeshBuffer, StartVerticesCountFromTheBufferOrTheGroup) {
  MeshList meshList;
  for (std::size_t count : {4, 5, 6, 7}) meshList.push_back(testing::MakeMesh("m" + std::to_string(count), count));

  EXPECT_EQ(StartVertices(Build(meshList).bytes), (std::vector<std::uint16_t>{0, 4, 9, 15}));

  const Built grouped = Build(meshList, 2, {2, 2});
  EXPECT_EQ(StartVertices(grouped.bytes), (std::vector<std::uint16_t>{0, 4, 0, 6}));
  ASSERT_EQ(grouped.groups.size(), 2u);
  EXPECT_EQ(grouped.groups[0].startVertex, 0);
  EXPECT_EQ(grouped.groups[1].startVertex, 9);
  // The group split changes nothing but the entries' start vertices.
  Bytes single = Build(meshList).bytes;
  single[40 + 4] = 0;  // third entry: start vertex, end vertex
  single[40 + 6] = 5;
  single[52 + 4] = 6;  // fourth entry
  single[52 + 6] = 12;
  EXPECT_EQ(grouped.bytes, single);
}

TEST(MeshBuffer, GroupsTakeConsecutiveGeometryMeshes) {
  MeshList meshList = {testing::MakeMesh("a", 4, 1), testing::MakeMesh("HpMount01", 3),
                       testing::MakeMesh("b", 5, 2), testing::MakeMesh("c", 6, 3)};
  meshList[0].bounds = {1, -1, 2, -2, 3, -3};
  meshList[2].bounds = {0.5f, -4, 2, 1, 9, -1};
  meshList[3].bounds = {7, 6, 5, 4, 3, 2};
  const Built built = Build(meshList, 2, {2, 1});
  ASSERT_EQ(built.groups.size(), 2u);

  const MeshGroup& first = built.groups[0];
  EXPECT_EQ(first.startVertex, 0);
  EXPECT_EQ(first.vertexCount, 9);
  EXPECT_EQ(first.startIndex, 0);
  EXPECT_EQ(first.indexCount, 9);
  EXPECT_EQ(first.startMesh, 0);
  EXPECT_EQ(first.meshCount, 2);
  EXPECT_EQ(first.objectName, "a_lod1");
  EXPECT_EQ(first.fileName, "a_lod1.3db");
  EXPECT_EQ(first.bounds.maxX, 1);
  EXPECT_EQ(first.bounds.minX, -4);
  EXPECT_EQ(first.bounds.minY, -2);
  EXPECT_EQ(first.bounds.maxZ, 9);
  EXPECT_EQ(first.partNode, nullptr);

  const MeshGroup& second = built.groups[1];
  EXPECT_EQ(second.startVertex, 9);
  EXPECT_EQ(second.vertexCount, 6);
  EXPECT_EQ(second.startIndex, 9);
  EXPECT_EQ(second.indexCount, 9);
  EXPECT_EQ(second.startMesh, 2);
  EXPECT_EQ(second.meshCount, 1);
  EXPECT_EQ(second.objectName, "c_lod1");
  EXPECT_EQ(second.fileName, "c_lod1.3db");
  // A group's bounds are its own, not widened to the origin.
  EXPECT_EQ(second.bounds.minX, 6);

  // The summary's bounds always contain the origin.
  EXPECT_EQ(built.summary.bounds.maxX, 7);
  EXPECT_EQ(built.summary.bounds.minX, -4);
  EXPECT_EQ(built.summary.bounds.minZ, -3);
}

TEST(MeshBuffer, SummaryOfGeometryAtPositiveXKeepsMinimumZero) {
  HostModelPtr model = MakeHostModel();
  model->meshes.push_back({"far", -1, {{{10, 1, 1}, {0, 0}}, {{20, 2, 2}, {0, 0}}}, {}});
  const Built built = Build(CaptureModel(model.get(), 1, 1));
  EXPECT_EQ(built.summary.bounds.minX, 0);
  EXPECT_EQ(built.summary.bounds.maxX, 20);
  EXPECT_EQ(built.summary.bounds.minY, 0);
}

// Only a value strictly outside moves a bound, so a -0.0 after a +0.0 leaves
// +0.0, whose bits reach the mesh reference.
TEST(MeshBuffer, BoundsMergeKeepsPositiveZeroBeforeNegativeZero) {
  MeshList meshList = {testing::MakeMesh("a", 3), testing::MakeMesh("b", 3)};
  meshList[0].bounds = {0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};
  meshList[1].bounds = {-0.0f, -0.0f, -0.0f, -0.0f, -0.0f, -0.0f};
  const auto bits = [](const Bounds& b) {
    return std::vector<std::uint32_t>{
        std::bit_cast<std::uint32_t>(b.maxX), std::bit_cast<std::uint32_t>(b.minX),
        std::bit_cast<std::uint32_t>(b.maxY), std::bit_cast<std::uint32_t>(b.minY),
        std::bit_cast<std::uint32_t>(b.maxZ), std::bit_cast<std::uint32_t>(b.minZ)};
  };
  const std::vector<std::uint32_t> positiveZero(6, 0u);
  EXPECT_EQ(bits(Build(meshList).summary.bounds), positiveZero);
  const Built grouped = Build(meshList, 2, {2, 0});
  EXPECT_EQ(bits(grouped.summary.bounds), positiveZero);
  EXPECT_EQ(bits(grouped.groups.at(0).bounds), positiveZero);
}

TEST(MeshBuffer, GroupWalkNeverPassesTheEndOfTheList) {
  const MeshList meshList = {testing::MakeMesh("a", 1), testing::MakeMesh("b", 2), testing::MakeMesh("c", 3)};
  // Adds up to 3, but the first group asks for more meshes than there are.
  const Built negative = Build(meshList, 3, {5, -3, 1});
  ASSERT_EQ(negative.groups.size(), 3u);
  EXPECT_EQ(negative.groups[0].meshCount, 3);
  EXPECT_EQ(negative.groups[1].meshCount, 0);
  EXPECT_EQ(negative.groups[2].meshCount, 0);
  EXPECT_EQ(negative.groups[2].objectName, "");
  EXPECT_EQ(U16At(negative.bytes, 8), 3);

  // Quantities that fall short still give every geometry mesh its entry.
  const Built shortfall = Build(meshList, 2, {1, 1});
  EXPECT_EQ(shortfall.bytes.size(), 16u + 3 * 12 + 6 * 32);
  EXPECT_EQ(StartVertices(shortfall.bytes), (std::vector<std::uint16_t>{0, 0, 2}));
}

}  // namespace
}  // namespace svcmp
