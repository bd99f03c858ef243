#include "inspect/collision_decoder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "format/name_crc.h"
#include "tests/inspect/collision_test_files.h"

namespace svcmp {
namespace {

using testing::SurBytes;
using testing::SurFile;
using testing::SurHull;
using testing::SurPart;
using testing::Tetrahedron;
using testing::TetrahedronPoints;

constexpr std::uint32_t kRoot = 0x12688F2D;
constexpr std::uint32_t kTurret = 0x0399E410;

SurPart OneTetrahedron() {
  return {kRoot, false, TetrahedronPoints(0, kRoot), {{kRoot, false, Tetrahedron(0)}}, {}};
}

// Two tetrahedra, the second a hardpoint's hull, under a wrap hull.
SurPart TwoTetrahedraAndWrap() {
  SurPart part{kRoot, false, TetrahedronPoints(0, kRoot), {}, {kTurret}};
  const auto second = TetrahedronPoints(2, kTurret);
  part.points.insert(part.points.end(), second.begin(), second.end());
  part.hulls = {{kRoot, false, Tetrahedron(0)},
                {kTurret, false, Tetrahedron(4)},
                {0, true, {{0, 2, 5}, {0, 5, 3}, {0, 3, 2}, {5, 2, 3}}}};
  return part;
}

std::string Refusal(const std::vector<std::uint8_t>& bytes) {
  const CollisionDecoding decoded = DecodeCollisionFile(bytes);
  if (decoded.file) return "read";
  return decoded.error.rule + " @" + std::to_string(decoded.error.offset);
}

TEST(CollisionDecoder, ReadsEveryPartHullPointAndNode) {
  SurPart flat{NameCrc("Wing"), false, TetrahedronPoints(5, NameCrc("Wing")), {}, {}};
  flat.points.pop_back();
  flat.hulls = {{NameCrc("Wing"), false, {{0, 1, 2}, {0, 2, 1}}}};
  SurPart moving = OneTetrahedron();
  moving.moves = true;
  const auto decoded = DecodeCollisionFile(SurFile({moving, TwoTetrahedraAndWrap(), flat}));
  ASSERT_TRUE(decoded.file) << decoded.error.rule << " " << decoded.error.message;
  const CollisionFile& file = *decoded.file;
  EXPECT_FALSE(file.olderLayout);
  ASSERT_EQ(file.parts.size(), 3u);

  const CollisionPart& first = file.parts[0];
  EXPECT_EQ(first.offset, 8u);
  EXPECT_EQ(first.id, kRoot);
  EXPECT_TRUE(first.moves);
  EXPECT_EQ(first.boxMax, (std::array<float, 3>{1, 1, 1}));
  EXPECT_EQ(first.center, (std::array<float, 3>{0.5f, 0.5f, 0.5f}));
  EXPECT_EQ(first.inertia[2], 0.2f);
  EXPECT_EQ(first.radius, 1.0f);
  EXPECT_EQ(first.deviation, 7);
  ASSERT_EQ(first.hulls.size(), 1u);
  EXPECT_EQ(first.hulls[0].offset, 104u);  // after "!fxd"
  EXPECT_EQ(first.hulls[0].pointCount, 4u);
  ASSERT_EQ(first.hulls[0].faces.size(), 4u);
  EXPECT_EQ(first.hulls[0].faces[3].points, (std::array<std::uint16_t, 3>{1, 2, 3}));
  EXPECT_EQ(first.hulls[0].faces[3].pierce, 0);
  // Edge 0 of face 0 runs 0 -> 2; its twin, 2 -> 0, is edge 2 of face 2.
  EXPECT_EQ(first.hulls[0].faces[0].twins[0], 3u * 2 + 2);
  EXPECT_EQ(first.points[1].position, (std::array<float, 3>{1, 0, 0}));
  ASSERT_EQ(first.nodes.size(), 1u);
  EXPECT_EQ(first.nodes[0].hull, 0);
  EXPECT_EQ(first.nodes[0].right, -1);
  EXPECT_EQ(first.nodes[0].box, (std::array<std::uint8_t, 3>{200, 200, 200}));

  const CollisionPart& second = file.parts[1];
  EXPECT_FALSE(second.moves);
  EXPECT_EQ(second.hardpointIds, std::vector<std::uint32_t>{kTurret});
  ASSERT_EQ(second.hulls.size(), 3u);
  EXPECT_EQ(second.hulls[1].id, kTurret);
  EXPECT_EQ(second.hulls[2].kind, CollisionHullKind::Wrap);
  ASSERT_EQ(second.nodes.size(), 3u);
  EXPECT_EQ(second.nodes[0].hull, 2);
  EXPECT_EQ(second.nodes[0].right, 2);
  EXPECT_EQ(second.nodes[2].hull, 1);

  ASSERT_EQ(file.parts[2].hulls.size(), 1u);
  EXPECT_EQ(file.parts[2].hulls[0].pointCount, 3u);
}

// `bytes` with `values` written from offset `at` on.
std::vector<std::uint8_t> Patched(std::vector<std::uint8_t> bytes, std::size_t at,
                                  std::initializer_list<std::uint8_t> values) {
  std::copy(values.begin(), values.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
  return bytes;
}

TEST(CollisionDecoder, RefusesEachBrokenRuleWithItsOffset) {
  // One part of one tetrahedron: the part at 8, its surf block from 52
  // (header), the hull record at 100, its faces from 116, points from 180,
  // the node at 244, the end at 272.
  const auto valid = SurFile({OneTetrahedron()});
  ASSERT_EQ(valid.size(), 272u);
  ASSERT_EQ(Refusal(valid), "read");
  const auto patched = [&](std::size_t at, std::initializer_list<std::uint8_t> values) {
    return Patched(valid, at, values);
  };
  // A part whose sections are in order and whose count is in range, but
  // with no surf block: nothing in it could be hit.
  const auto withoutSurf = [](bool fixed, bool hardpoints) {
    SurBytes file;
    file.Text("vers").F32(2.0f).U32(kRoot).U32(1 + (fixed ? 1 : 0) + (hardpoints ? 1 : 0));
    if (fixed) file.Text("!fxd");
    file.Text("exts").F32(-1).F32(-2).F32(-3).F32(1).F32(2).F32(3);
    if (hardpoints) file.Text("hpid").U32(1).U32(kTurret);
    return file.bytes;
  };
  const struct {
    const char* fault;
    std::vector<std::uint8_t> bytes;
    std::string refusal;
  } cases[] = {
      {"version 3", patched(4, {0, 0, 0x40, 0x40}), "sur-signature @4"},
      {"no part", std::vector<std::uint8_t>(valid.begin(), valid.begin() + 8), "sur-truncated @8"},
      {"five sections", patched(12, {5}), "sur-sections @12"},
      {"one section", patched(12, {1}), "sur-sections @12"},
      {"unknown tag", patched(16, {'e', 'x', 't', 'x'}), "sur-sections @16"},
      {"a section too many", patched(12, {3}), "sur-truncated @272"},
      {"surf before exts", patched(16, {'s', 'u', 'r', 'f'}), "sur-sections @16"},
      {"no exts", patched(16, {'!', 'f', 'x', 'd'}), "sur-sections @20"},
      {"exts, hpid, no surf", withoutSurf(false, true), "sur-sections @12"},
      {"!fxd, exts, no surf", withoutSurf(true, false), "sur-sections @12"},
      {"!fxd, exts, hpid, no surf", withoutSurf(true, true), "sur-sections @12"},
      {"block past the end", patched(48, {221}), "sur-truncated @52"},
      {"block too small", patched(48, {47, 0}), "sur-block-size @48"},
      {"inner size", patched(81, {219}), "sur-header @81"},
      {"reserved word", patched(88, {1}), "sur-header @88"},
      {"root among the hulls", patched(84, {100}), "sur-header @84"},
      {"root off the node grid", patched(84, {193}), "sur-header @84"},
      {"points not at the points", patched(100, {72}), "sur-hull @100"},
      {"hull type", patched(108, {6}), "sur-hull @108"},
      {"odd faces", patched(112, {3}), "sur-hull @112"},
      {"hull pad", patched(114, {1}), "sur-hull @114"},
      {"size units", patched(109, {10}), "sur-hull @109"},
      {"face index", patched(116, {1}), "sur-face @116"},
      {"pierce outside", patched(117, {0x70}), "sur-face @116"},
      {"reserved face bits", patched(119, {0x01}), "sur-face @116"},
      {"wrap bit on a leaf face", patched(119, {0x80}), "sur-face @116"},
      {"point outside", patched(120, {4}), "sur-face @120"},
      {"wrap bit on a leaf edge", patched(123, {0x80}), "sur-twin @122"},
      {"twin itself", patched(122, {0, 0}), "sur-twin @122"},
      {"twin a header", patched(122, {3, 0}), "sur-twin @122"},
      {"twin outside", patched(122, {0x40, 0}), "sur-twin @122"},
      {"twin the wrong edge", patched(122, {5, 0}), "sur-twin @120"},
      {"twin runs the same way", patched(120, {1}), "sur-twin @120"},
      {"point id", patched(192, {1}), "sur-points @192"},
      {"node pad", patched(271, {1}), "sur-tree @271"},
      {"leaf without hull", patched(248, {0, 0, 0, 0}), "sur-tree @248"},
      {"node hull elsewhere", patched(248, {0, 0, 0, 0x80}), "sur-tree @248"},
      {"trailing bytes", SurBytes().Append(valid).U32(0).bytes, "sur-truncated @272"},
  };
  for (const auto& [fault, bytes, refusal] : cases) {
    EXPECT_EQ(Refusal(bytes), refusal) << fault;
  }
}

TEST(CollisionDecoder, RefusesTreesThatAreNotFullOrDepthFirst) {
  // Hulls at 48 (+ 80 each), points from 288, nodes from 416 in the block
  // starting at 52: the root at 468, leaves at 496 and 524.
  const auto valid = SurFile({TwoTetrahedraAndWrap()});
  ASSERT_EQ(Refusal(valid), "read");
  const auto patched = [&](std::size_t at, std::initializer_list<std::uint8_t> values) {
    return Patched(valid, at, values);
  };
  const struct {
    const char* fault;
    std::vector<std::uint8_t> bytes;
    std::string refusal;
  } cases[] = {
      {"root a leaf", patched(468, {0}), "sur-tree @472"},
      {"right child is the left", patched(468, {28}), "sur-tree @468"},
      {"right child outside", patched(468, {84}), "sur-tree @468"},
      {"root without the wrap hull", patched(472, {0, 0, 0, 0}), "sur-tree @472"},
      {"wrap hull's node", patched(264, {0}), "sur-hull @264"},
      {"a leaf owns the wrap hull", patched(500, {0x1C, 0xFF}), "sur-tree @500"},
      {"two nodes own one hull", patched(528, {0x94, 0xFE}), "sur-tree @528"},
      {"wrap hull not last", patched(108, {5}), "sur-face @116"},
  };
  for (const auto& [fault, bytes, refusal] : cases) {
    EXPECT_EQ(Refusal(bytes), refusal) << fault;
  }
}

TEST(CollisionDecoder, ReadsTheOlderLayout) {
  SurPart part = TwoTetrahedraAndWrap();
  for (auto& point : part.points) point.second = 1;
  for (auto& hull : part.hulls) hull.id = 1;
  const auto block = testing::SurfBlock(part);
  // The second part: two ledg blocks, each a tetrahedron with its own points.
  SurBytes ledge;
  ledge.U32(80).U32(2).U8(4).U24(1 + 4 + 4).U16(4).U16(0);
  const auto oneHull = SurFile({{2, false, TetrahedronPoints(0, 2), {{2, false, Tetrahedron(0)}}, {}}});
  // The hull record, faces and points of a one-part file, from its block.
  ledge.bytes.assign(oneHull.begin() + 100, oneHull.begin() + 244);
  ledge.bytes[0] = 80;
  SurBytes file;
  file.F32(0).F32(0).F32(0).F32(3).F32(1).F32(1);
  file.U32(4).Text("Root").Text("surf").U32(1).U32(static_cast<std::uint32_t>(block.size())).Append(block);
  file.U32(4).Text("Door").Text("ledg").U32(2);
  file.U32(144).Append(ledge.bytes).U32(144).Append(ledge.bytes);

  const auto decoded = DecodeCollisionFile(file.bytes);
  ASSERT_TRUE(decoded.file) << decoded.error.rule << " @" << decoded.error.offset << " "
                            << decoded.error.message;
  ASSERT_EQ(decoded.file->parts.size(), 2u);
  EXPECT_TRUE(decoded.file->olderLayout);
  EXPECT_EQ(decoded.file->parts[0].name, "Root");
  EXPECT_EQ(decoded.file->parts[0].id, kRoot);
  EXPECT_EQ(decoded.file->parts[0].nodes.size(), 3u);
  const CollisionPart& door = decoded.file->parts[1];
  EXPECT_EQ(door.name, "Door");
  ASSERT_EQ(door.hulls.size(), 2u);
  ASSERT_EQ(door.points.size(), 8u);
  // The second hull's faces are renumbered into the part's points.
  EXPECT_EQ(door.hulls[1].faces[3].points, (std::array<std::uint16_t, 3>{5, 6, 7}));

  auto wrongTag = file.bytes;
  wrongTag[24 + 8] = 'x';
  EXPECT_EQ(Refusal(wrongTag), "sur-sections @32");
  auto shortLedge = file.bytes;
  shortLedge[shortLedge.size() - 148] = 143;
  EXPECT_EQ(Refusal(shortLedge), "sur-block-size @" + std::to_string(shortLedge.size() - 144));
}

TEST(CollisionDecoder, ReadsEveryCheckedInFile) {
  // Both layouts, one part and several: what the fuzzer starts from must
  // stay readable whatever the decoder comes to refuse.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(SVCMP_TEST_DATA "/collision")) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    const CollisionDecoding decoded = DecodeCollisionFile(bytes);
    EXPECT_TRUE(decoded.file) << entry.path() << ": " << decoded.error.message;
    ++files;
  }
  EXPECT_GE(files, 3);
}

}  // namespace
}  // namespace svcmp
