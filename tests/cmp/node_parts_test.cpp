#include "cmp/node_parts.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "format/cmp_leaf_layout.h"
#include "tests/cmp/cmp_test_fixtures.h"

namespace svcmp {
namespace {

float FloatAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  std::uint32_t bits = 0;
  for (int k = 3; k >= 0; --k) bits = bits << 8 | bytes[at + static_cast<std::size_t>(k)];
  return std::bit_cast<float>(bits);
}

// Every kind in the layout released files use: the record's size and where
// its last fields lie.
TEST(NodePartJoints, EachKindHasItsRecordLayout) {
  PartJoint joint;
  joint.parent = "Root";
  joint.origin = {1, 2, 3};
  joint.offset = {4, 5, 6};
  joint.axis = {0, 0, 1};
  joint.min = -0.5f;
  joint.max = 0.75f;
  joint.sphereLimits = {-1, 1, -2, 2, -3, 3};
  const struct {
    PartJointKind kind;
    std::size_t size;
    std::size_t lastFloat;  // offset of the record's last float
    float last;
  } cases[] = {{PartJointKind::Fix, 176, 172, 1.0f},  // the rotation's last element
               {PartJointKind::Rev, 208, 204, 0.75f},
               {PartJointKind::Pris, 208, 204, 0.75f},
               {PartJointKind::Sphere, 212, 208, 3.0f}};
  for (const auto& c : cases) {
    joint.kind = c.kind;
    std::vector<std::uint8_t> record;
    AppendJointRecord(record, joint, "turret");
    ASSERT_EQ(record.size(), c.size);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data())), "Root");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data() + kJointNameSize)), "turret");
    EXPECT_EQ(FloatAt(record, 2 * kJointNameSize), 1.0f);
    EXPECT_EQ(FloatAt(record, c.lastFloat), c.last);
    if (c.kind != PartJointKind::Fix) {
      EXPECT_EQ(FloatAt(record, 140), 4.0f);  // the offset
    }
  }
}

TEST(NodePartJoints, OneListPerKindInUseAndFixAlways) {
  std::vector<NodePart> parts(4);
  parts[0].name = "ship";
  parts[1].name = "turret";
  parts[1].joint.kind = PartJointKind::Rev;
  parts[2].name = "door";
  parts[2].joint.kind = PartJointKind::Rev;
  parts[3].name = "antenna";
  UtfTree tree;
  UtfNode cons = tree.AddNode(tree.AddNode(nullptr, "\\"), "Cons");
  UtfNode stale = tree.AddNode(cons, "Sphere");
  tree.SetData(stale, ByteBlock(std::vector<std::uint8_t>(212)));
  WriteNodePartJoints(tree, cons, parts);
  EXPECT_EQ(tree.Data(tree.FindNode(cons, "Fix"))->size(), 176u);
  EXPECT_EQ(tree.Data(tree.FindNode(cons, "Rev"))->size(), 416u);
  EXPECT_EQ(tree.FindNode(cons, "Pris"), nullptr);
  EXPECT_EQ(tree.FindNode(cons, "Sphere"), nullptr);  // the stale list is gone
}

}  // namespace
}  // namespace svcmp
