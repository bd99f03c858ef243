#include "cmp/fix_joints.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cmp/cmp_test_fixtures.h"

namespace svcmp {
namespace {

using testing::Join;
using testing::Le32;

GroupList Groups(std::initializer_list<std::string> objectNames) {
  GroupList groups;
  for (const std::string& name : objectNames) groups.emplace_back().objectName = name;
  return groups;
}

std::vector<std::uint8_t> Name64(const std::string& name) {
  std::vector<std::uint8_t> bytes(name.begin(), name.end());
  bytes.resize(kJointNameSize, 0);
  return bytes;
}

// A joint of `child` to "Root" at the origin with the identity rotation.
std::vector<std::uint8_t> Record(const std::string& child) {
  const std::uint32_t one = 0x3F800000;
  return Join({Name64("Root"), Name64(child), Le32(0), Le32(0), Le32(0), Le32(one), Le32(0),
               Le32(0), Le32(0), Le32(one), Le32(0), Le32(0), Le32(0), Le32(one)});
}

TEST(JoinFixRecords, OneJointPerPartButRootAndKeepsThoseThere) {
  std::vector<std::string> warnings;
  const auto warn = [&](const std::string& text) { warnings.push_back(text); };

  const auto fresh = JoinFixRecords({}, Groups({"hull_lod1", "wing_lod1", "engine_lod1"}), warn);
  ASSERT_TRUE(fresh);
  EXPECT_EQ(*fresh, Join({Record("wing_lod1"), Record("engine_lod1")}));

  // An update with another part keeps the old joints, foreign ones included.
  std::vector<std::uint8_t> old = Join({Record("engine_lod1"), Record("antenna")});
  const auto updated = JoinFixRecords(old, Groups({"hull_lod1", "wing_lod1", "engine_lod1"}), warn);
  ASSERT_TRUE(updated);
  EXPECT_EQ(*updated, Join({Record("engine_lod1"), Record("antenna"), Record("wing_lod1")}));
  EXPECT_TRUE(warnings.empty());

  const std::string longName(64, 'x');
  const auto skipped = JoinFixRecords({}, Groups({"hull_lod1", longName, "wing_lod1"}), warn);
  ASSERT_TRUE(skipped);
  EXPECT_EQ(*skipped, Record("wing_lod1"));
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find(longName), std::string::npos);

  old.pop_back();
  EXPECT_FALSE(JoinFixRecords(old, Groups({"hull_lod1", "wing_lod1"}), warn));
  EXPECT_EQ(warnings.size(), 2u);
}

}  // namespace
}  // namespace svcmp
