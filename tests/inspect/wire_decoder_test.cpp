#include "inspect/wire_decoder.h"

#include <gtest/gtest.h>

#include "format/name_crc.h"
#include "tests/inspect/inspect_test_files.h"

namespace svcmp {
namespace {

using testing::WireBytes;

const std::string kPath = "/a.3db/VMeshWire/VWireData";

// The glass of a fighter: 11 segments over 12 vertices of its Level2,
// vertices 684 and on, bound 22.
const std::vector<std::uint8_t> kGlass = {
    0x10, 0, 0,  0, 0x4C, 0xB9, 0x56, 0x03, 0xAC, 0x02, 0x0C, 0, 0x16, 0, 0x16, 0, 3, 0, 15, 0,
    2,    0, 0,  0, 12,   0,    21,   0,    1,    0,    3,    0, 4,    0, 12,   0, 6, 0, 11, 0,
    4,    0, 16, 0, 0,    0,    8,    0,    0,    0,    1,    0, 6,    0, 4,    0, 1, 0, 4,  0};

TEST(DecodeWire, ReadsTheReleasedLayout) {
  Findings findings;
  const std::optional<Wire> wire = DecodeWire(kGlass, kPath, findings);
  ASSERT_TRUE(wire);
  EXPECT_TRUE(findings.empty());
  EXPECT_EQ(wire->path, kPath);
  EXPECT_EQ(wire->libraryId, 0x0356B94Cu);
  EXPECT_EQ(wire->startVertex, 684);
  EXPECT_EQ(wire->vertexCount, 12);
  EXPECT_EQ(wire->indexBound, 22);
  EXPECT_EQ(wire->segments, (std::vector<std::array<std::uint16_t, 2>>{{3, 15},
                                                                       {2, 0},
                                                                       {12, 21},
                                                                       {1, 3},
                                                                       {4, 12},
                                                                       {6, 11},
                                                                       {4, 16},
                                                                       {0, 8},
                                                                       {0, 1},
                                                                       {6, 4},
                                                                       {1, 4}}));
  const WireCounts counts = CountWire(wire->segments);
  EXPECT_EQ(counts.distinctVertices, 12u);
  EXPECT_EQ(counts.indexBound, 22u);
}

TEST(DecodeWire, RefusesWhatItCannotRead) {
  auto oddCount = WireBytes(1, 0, 2, 2, {0, 1, 1});
  auto otherHeader = WireBytes(1, 0, 2, 2, {0, 1});
  otherHeader[0] = 20;
  const std::pair<const char*, std::vector<std::uint8_t>> cases[] = {
      {"empty", {}},
      {"short header", std::vector<std::uint8_t>(kGlass.begin(), kGlass.begin() + 15)},
      {"other header size", otherHeader},
      {"odd index count", oddCount},
      {"last index cut", std::vector<std::uint8_t>(kGlass.begin(), kGlass.end() - 1)},
  };
  for (const auto& [name, bytes] : cases) {
    Findings findings;
    EXPECT_FALSE(DecodeWire(bytes, kPath, findings)) << name;
    ASSERT_EQ(findings.size(), 1u) << name;
    EXPECT_EQ(findings[0].path, kPath);
    EXPECT_EQ(findings[0].rule, rules::kLeafSize);
  }
}

// Every prefix of a valid leaf: each short one is refused, the whole read.
TEST(DecodeWire, EveryPrefixIsRefusedCleanly) {
  for (std::size_t size = 0; size < kGlass.size(); ++size) {
    Findings findings;
    EXPECT_FALSE(DecodeWire(std::span(kGlass).first(size), kPath, findings)) << size;
  }
}

TEST(DecodeWire, KeepsRepeatsAndAWrongBound) {
  Findings findings;
  const auto wire = DecodeWire(WireBytes(1, 0, 9, 3, {5, 2, 5, 2, 2, 5}), kPath, findings);
  ASSERT_TRUE(wire);
  EXPECT_EQ(wire->segments, (std::vector<std::array<std::uint16_t, 2>>{{5, 2}, {5, 2}, {2, 5}}));
  EXPECT_EQ(wire->vertexCount, 9);
  EXPECT_EQ(wire->indexBound, 3);
  EXPECT_EQ(CountWire(wire->segments).indexBound, 6u);
  EXPECT_EQ(CountWire(wire->segments).distinctVertices, 2u);
}

MeshRef Ref(std::uint32_t id, std::uint16_t start) {
  MeshRef ref;
  ref.libraryId = id;
  ref.startVertex = start;
  return ref;
}

// Levels 0 and 1 share a library; level 2 has its own.
TEST(FindWireTarget, TakesTheCoarsestLevelOfTheLibrary) {
  Part part;
  part.levels = {{0, "/L0", {Ref(7, 0)}}, {1, "/L1", {Ref(7, 40)}}, {2, "/L2", {Ref(9, 80)}}};
  const std::pair<std::uint32_t, const char*> cases[] = {{7, "/L1"}, {9, "/L2"}, {8, nullptr}};
  for (const auto& [id, level] : cases) {
    Wire wire;
    wire.libraryId = id;
    const auto target = FindWireTarget(part, wire);
    if (level == nullptr) {
      EXPECT_FALSE(target) << id;
      continue;
    }
    ASSERT_TRUE(target) << id;
    EXPECT_EQ(target->level->path, level);
    EXPECT_EQ(target->ref, &target->level->meshRefs[0]);
  }
}

TEST(CompoundModel, FindsTheWireByNameInAnyLetterCase) {
  for (bool lower : {true, false}) {
    UtfTree tree = testing::OtherToolFile();
    UtfNode ship = tree.FindNode(tree.Root(), "ship.3db");
    UtfNode wireNode = lower ? tree.AddNode(ship, "vmeshwire") : tree.AddNode(ship, "VMeshWire");
    testing::AddTestLeaf(tree, wireNode, "VWireData",
                         WireBytes(NameCrc("ship.lod0.vms"), 0, 3, 4, {0, 3, 3, 2}));
    const CompoundModel model = DecodeCompoundModel(tree);
    ASSERT_TRUE(model.parts[0].wire) << lower;
    EXPECT_EQ(model.parts[0].wire->segments,
              (std::vector<std::array<std::uint16_t, 2>>{{0, 3}, {3, 2}}));
    EXPECT_FALSE(model.parts[1].wire);
  }
}

}  // namespace
}  // namespace svcmp
