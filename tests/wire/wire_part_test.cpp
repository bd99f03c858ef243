// A part's wire made and written as the export would, then read back with
// our own decoder and judged by our own checker.
#include <gtest/gtest.h>

#include <set>

#include "format/mesh_buffer_layout.h"
#include "format/name_crc.h"
#include "inspect/model_checks.h"
#include "inspect/wire_decoder.h"
#include "tests/inspect/inspect_test_files.h"
#include "wire/wire_writer.h"
#include "wire_test_shapes.h"

namespace svcmp {
namespace {

using testing::LeafBuilder;
using testing::TestShape;

// A position-only mesh buffer of one mesh: `lead` vertices at (9, 9, 9)
// that belong to another reference, then the shape's.
std::vector<std::uint8_t> BufferOf(const TestShape& shape, std::uint16_t lead) {
  const auto vertices = static_cast<std::uint16_t>(lead + shape.positions.size());
  LeafBuilder out;
  out.U32(kMeshKind).U32(kTriangleListPrimitive).U16(1);
  out.U16(static_cast<std::uint16_t>(shape.indices.size())).U16(kVertexPosition).U16(vertices);
  out.U32(0xAA).U16(0).U16(static_cast<std::uint16_t>(shape.positions.size() - 1));
  out.U16(static_cast<std::uint16_t>(shape.indices.size())).U16(kMeshEntryPadding);
  for (std::uint16_t index : shape.indices) out.U16(index);
  for (int v = 0; v < lead; ++v) out.Floats({9, 9, 9});
  for (const auto& p : shape.positions) out.Floats({p[0], p[1], p[2]});
  return out.Take();
}

TEST(WirePart, WrittenOnTheCoarsestLevelReadsBackAsItsEdges) {
  const TestShape levels[] = {testing::Cylinder(32), testing::Cylinder(8), testing::Cuboid()};
  const std::uint16_t lead = 5;
  UtfTree tree;
  UtfNode top = tree.AddNode(nullptr, "\\");
  UtfNode library = tree.AddNode(top, "VMeshLibrary");
  UtfNode multiLevel = tree.AddNode(top, "MultiLevel");
  for (std::size_t l = 0; l < std::size(levels); ++l) {
    const std::string name = "part.lod" + std::to_string(l) + ".vms";
    testing::AddTestLeaf(tree, tree.AddNode(library, name), "VMeshData", BufferOf(levels[l], lead));
    UtfNode level = tree.AddNode(multiLevel, "Level" + std::to_string(l));
    testing::AddTestLeaf(
        tree, tree.AddNode(level, "VMeshPart"), "VMeshRef",
        testing::MeshRefBytes(NameCrc(name), lead,
                              static_cast<std::uint16_t>(levels[l].positions.size()), 0,
                              static_cast<std::uint16_t>(levels[l].indices.size()), 0, 1, 20));
  }
  const std::size_t wireLevel = WireLevel(std::size(levels));
  ASSERT_EQ(wireLevel, 2u);
  const TestShape& coarsest = levels[wireLevel];
  const GeneratedWire generated = GenerateWire(coarsest.positions, coarsest.indices, {});
  testing::AddTestLeaf(tree, tree.AddNode(top, "VMeshWire"), "VWireData",
                       EncodeWireData(NameCrc("part.lod2.vms"), lead, generated.segments));

  const CompoundModel model = DecodeCompoundModel(tree);
  ASSERT_EQ(model.parts.size(), 1u);
  const Part& part = model.parts[0];
  ASSERT_TRUE(part.wire);
  const auto target = FindWireTarget(part, *part.wire);
  ASSERT_TRUE(target);
  EXPECT_EQ(target->level->number, 2);
  EXPECT_EQ(CheckModels({{"part.3db", &model}}).at(0).size(), 0u);

  // Through the library, past the other reference's vertices: the box's 12 edges.
  const auto& vertices = model.FindLibrary(part.wire->libraryId)->buffer->vertices;
  std::set<std::array<Vector3, 2>> drawn, expected;
  for (const auto& [a, b] : part.wire->segments) {
    std::array<Vector3, 2> ends = {vertices[lead + a].position, vertices[lead + b].position};
    std::sort(ends.begin(), ends.end());
    drawn.insert(ends);
  }
  for (const auto& [a, b] : generated.segments) {
    std::array<Vector3, 2> ends = {coarsest.positions[a], coarsest.positions[b]};
    std::sort(ends.begin(), ends.end());
    expected.insert(ends);
  }
  EXPECT_EQ(drawn.size(), 12u);
  EXPECT_EQ(drawn, expected);
}

}  // namespace
}  // namespace svcmp
