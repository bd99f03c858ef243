#include "cmp/cmp_leaf_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "tests/cmp/cmp_test_fixtures.h"

namespace svcmp {
namespace {

using testing::Bytes;

struct LeafCase {
  std::string what;
  ByteBlock leaf;
  std::vector<std::uint8_t> expected;  // written out byte by byte, little-endian
};

TEST(LeafData, EveryLeafKindComesOutByteForByte) {
  const std::array<float, 4> floats = {-0.0f, 1.5f, std::numeric_limits<float>::denorm_min(),
                                       -std::numeric_limits<float>::infinity()};
  const MeshRefShape shape = {{1.0f, -1.0f, 2.0f, -2.0f, 0.5f, -0.5f}, {{0.25f, 0, -0.0f}, 3.0f}};
  const MeshDataSummary summary = {2, 0x1234, 0xABCD, {}};
  const std::array<float, 2> position = {2.0f, -3.0f};
  const std::array<ByteBlock, 2> pair = FloatsLeafPair(floats, position);
  const std::vector<LeafCase> cases = {
      {"floats", FloatsLeaf(floats),
       Bytes({0, 0, 0, 0x80, 0, 0, 0xC0, 0x3F, 1, 0, 0, 0, 0, 0, 0x80, 0xFF})},
      {"no floats", FloatsLeaf(nullptr, 0), {}},
      {"first of a pair", pair[0],
       Bytes({0, 0, 0, 0x80, 0, 0, 0xC0, 0x3F, 1, 0, 0, 0, 0, 0, 0x80, 0xFF})},
      {"second of a pair", pair[1], Bytes({0, 0, 0, 0x40, 0, 0, 0x40, 0xC0})},
      {"string", StringLeaf("Hp"), Bytes({'H', 'p', 0})},
      {"empty string", StringLeaf(""), Bytes({0})},
      {"negative index", IndexLeaf(-2), Bytes({0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0})},
      {"limit", LimitLeaf(kTurretMinBits), Bytes({0xDA, 0x0F, 0xC9, 0xC0, 0, 0, 0, 0})},
      {"switch", Switch2Leaf(2.0f),
       Bytes({0, 0, 0, 0, 0, 0, 0xC8, 0x42, 0, 0, 0x7A, 0x44, 0, 0, 0, 0x40})},
      {"mesh reference", MeshRefLeaf(0xA1B2C3D4, summary, shape),
       Bytes({60, 0, 0, 0,    0xD4, 0xC3, 0xB2, 0xA1, 0, 0, 0x34, 0x12, 0, 0, 0xCD, 0xAB,
              0,  0, 2, 0,    0,    0,    0x80, 0x3F, 0, 0, 0x80, 0xBF, 0, 0, 0,    0x40,
              0,  0, 0, 0xC0, 0,    0,    0,    0x3F, 0, 0, 0,    0xBF, 0, 0, 0x80, 0x3E,
              0,  0, 0, 0,    0,    0,    0,    0x80, 0, 0, 0x40, 0x40})},
  };
  for (const LeafCase& c : cases) EXPECT_TRUE(c.leaf == c.expected) << c.what;
}

}  // namespace
}  // namespace svcmp
