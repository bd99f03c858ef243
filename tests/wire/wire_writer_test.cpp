#include "wire/wire_writer.h"

#include <gtest/gtest.h>

#include "format/name_crc.h"
#include "inspect/wire_decoder.h"
#include "wire_test_shapes.h"

namespace svcmp {
namespace {

Wire ReadBack(const std::vector<std::uint8_t>& bytes) {
  Findings findings;
  const std::optional<Wire> wire = DecodeWire(bytes, "/a.3db/VMeshWire/VWireData", findings);
  EXPECT_TRUE(findings.empty());
  return wire.value_or(Wire{});
}

// The window of a single-part model: a quad whose diagonal is left out.
TEST(EncodeWireData, QuadGivesTheReleasedHeader) {
  const std::vector<std::array<float, 3>> positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}};
  const std::vector<std::uint16_t> indices = {0, 1, 2, 1, 3, 2};
  const GeneratedWire wire = GenerateWire(positions, indices, {});
  const std::vector<std::uint8_t> expected = {
      0x10, 0, 0, 0, 0xCC, 0x2A, 0x76, 0xF1, 0, 0, 4, 0, 8, 0, 4, 0,   // header
      0,    0, 1, 0, 0,    0,    2,    0,    1, 0, 3, 0, 2, 0, 3, 0};  // 0-1 0-2 1-3 2-3
  EXPECT_EQ(EncodeWireData(0xF1762ACCu, 0, wire.segments), expected);
}

struct RoundTripCase {
  const char* name;
  std::uint16_t startVertex;
  std::vector<WireSegment> segments;
  std::uint16_t distinct, bound;
};

// Whatever order and repeats the segments come in, they read back as given
// and the header counts them.
TEST(EncodeWireData, ReadsBackThroughTheDecoder) {
  const RoundTripCase cases[] = {
      {"empty", 7, {}, 0, 0},
      {"repeats", 684, {{3, 15}, {2, 0}, {3, 15}, {21, 12}}, 6, 22},
      {"reversed", 1, {{9, 4}, {4, 9}}, 2, 10},
      {"highest", 0, {{65534, 0}}, 2, 65535},
  };
  for (const RoundTripCase& c : cases) {
    const std::uint32_t id = NameCrc(c.name);
    const Wire wire = ReadBack(EncodeWireData(id, c.startVertex, c.segments));
    EXPECT_EQ(wire.libraryId, id) << c.name;
    EXPECT_EQ(wire.startVertex, c.startVertex) << c.name;
    EXPECT_EQ(wire.segments, c.segments) << c.name;
    EXPECT_EQ(wire.vertexCount, c.distinct) << c.name;
    EXPECT_EQ(wire.indexBound, c.bound) << c.name;
  }
}

TEST(EncodeWireData, GeneratedCylinderReadsBack) {
  const testing::TestShape cylinder = testing::Cylinder(32);
  const GeneratedWire wire = GenerateWire(cylinder.positions, cylinder.indices, {});
  const auto bytes = EncodeWireData(0x0356B94Cu, 1176, wire.segments);
  EXPECT_EQ(bytes.size(), 16 + 96 * 4u);
  const Wire read = ReadBack(bytes);
  EXPECT_EQ(read.segments, wire.segments);
  // Two rims of 32 and the two cap centres are unused: 64 vertices.
  EXPECT_EQ(read.vertexCount, 64);
}

}  // namespace
}  // namespace svcmp
