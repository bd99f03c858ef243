#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <string>

#include "cmp/cmp_assembly.h"
#include "cmp/cmp_leaf_data.h"
#include "tests/cmp/cmp_test_fixtures.h"

namespace svcmp {
namespace {

using testing::At;
using testing::Bytes;
using testing::DataAt;
using testing::Hardpoint;
using testing::Mesh;
using testing::Outline;
using testing::Plate;

using Rows = std::array<float, 9>;

// Bit patterns, so that -0.0 and 0.0 differ.
std::array<std::uint32_t, 9> Bits(const Rows& rows) {
  std::array<std::uint32_t, 9> bits{};
  for (std::size_t i = 0; i < 9; ++i) bits[i] = std::bit_cast<std::uint32_t>(rows[i]);
  return bits;
}

const Rows kIdentity = {1, 0, 0, 0, 1, 0, 0, 0, 1};

// The rows written for a fixed hardpoint `name` at `at` among `meshes`.
Rows Orient(MeshList meshes, const std::array<float, 3>& at, const std::string& name) {
  meshes.push_back(Hardpoint("Hp_Fixed_" + name, at));
  UtfTree tree;
  AddHardpoints(tree, meshes, tree.AddNode(nullptr, "Hardpoints"));
  const auto& bytes = *tree.Data(tree.FindNode(tree.FindNode(nullptr, name), "Orientation"));
  Rows rows{};
  EXPECT_EQ(bytes.size(), sizeof rows);
  std::memcpy(rows.data(), bytes.data(), std::min(bytes.size(), sizeof rows));
  return rows;
}

TEST(AddHardpoints, NamesAreReadByPositionAndMatchedWithoutCase) {
  const MeshList meshes = {Plate("hull", {0, 0, 0}, {0, 0, 1}),
                           Hardpoint("Hp_Fixed_HpMount01"),
                           Hardpoint("hp-revolute-HpTurret_02"),
                           Hardpoint("HP_REVOLUTE_HpTurre"),
                           Hardpoint("hP_fIxEd_Mixed"),
                           Hardpoint("HpSomething"),
                           Hardpoint("Hp_Fixed"),
                           Mesh("hpRevolute", {})};
  UtfTree tree;
  UtfNode hardpoints = tree.AddNode(nullptr, "Hardpoints");
  AddHardpoints(tree, meshes, hardpoints);

  const std::vector<std::string> expected = {
      "0 Hardpoints",  "1 Fixed",    "2 HpMount01", "3 Orientation", "3 Position",    "2 Mixed",
      "3 Orientation", "3 Position", "2 ",          "3 Orientation", "3 Position",    "1 Revolute",
      "2 HpTurret_02", "3 Axis",     "3 Max",       "3 Min",         "3 Orientation", "3 Position",
      "2 HpTurre",     "3 Axis",     "3 Max",       "3 Min",         "3 Orientation", "3 Position"};
  EXPECT_EQ(Outline(tree), expected);

  UtfNode turret = tree.FindNode(nullptr, "HpTurret_02");
  UtfNode other = tree.FindNode(nullptr, "HpTurre");
  EXPECT_EQ(*tree.Data(tree.FindNode(turret, "Axis")),
            Bytes({0, 0, 0, 0, 0, 0, 0x80, 0x3F, 0, 0, 0, 0}));
  EXPECT_EQ(*tree.Data(tree.FindNode(turret, "Max")), Bytes({0xDA, 0x0F, 0xC9, 0x40, 0, 0, 0, 0}));
  EXPECT_EQ(*tree.Data(tree.FindNode(turret, "Min")), Bytes({0xDA, 0x0F, 0xC9, 0xC0, 0, 0, 0, 0}));
  EXPECT_EQ(*tree.Data(tree.FindNode(other, "Max")), Bytes({0xAA, 0x0E, 0x49, 0x3F, 0, 0, 0, 0}));
  EXPECT_EQ(*tree.Data(tree.FindNode(other, "Min")), Bytes({0xF9, 0x0F, 0x49, 0xBF, 0, 0, 0, 0}));
}

TEST(AddHardpoints, MakesEmptyFixedAndRevoluteWithoutHardpointMeshes) {
  UtfTree tree;
  UtfNode hardpoints = tree.AddNode(nullptr, "Hardpoints");
  AddHardpoints(tree, {Plate("hull", {0, 0, 0}, {0, 0, 1})}, hardpoints);
  EXPECT_EQ(Outline(tree), (std::vector<std::string>{"0 Hardpoints", "1 Fixed", "1 Revolute"}));
  EXPECT_FALSE(tree.Data(tree.FindNode(hardpoints, "Fixed")).has_value());
}

TEST(HardpointPosition, IsTheMeanOfTheFirstThreeVertices) {
  const MeshRecord mesh = Mesh("Hp_Fixed_A", {{1, 2, 3}, {4, 5, 6}, {7, 8, 10}, {100, 100, 100}});
  const auto p = HardpointPosition(mesh);
  EXPECT_EQ(p[0], 4.0f);
  EXPECT_EQ(p[1], 5.0f);
  EXPECT_EQ(p[2], static_cast<float>(19.0 / 3.0));

  EXPECT_EQ(HardpointPosition(Mesh("Hp_Fixed_A", {{1, 2, 3}, {3, 2, 1}})),
            (std::array<float, 3>{2, 2, 2}));
  EXPECT_EQ(HardpointPosition(Mesh("Hp_Fixed_A", {{1, 2, 3}})), (std::array<float, 3>{1, 2, 3}));
  EXPECT_EQ(HardpointPosition(Mesh("Hp_Fixed_A", {})), (std::array<float, 3>{0, 0, 0}));
}

TEST(HardpointPosition, NegativeZeroReachesThePositionBytes) {
  const MeshList meshes = {Mesh("Hp_Fixed_HpMount", {{-0.0f, 1, 1}, {-0.0f, 1, 1}, {-0.0f, 1, 1}})};
  UtfTree tree;
  AddHardpoints(tree, meshes, tree.AddNode(nullptr, "Hardpoints"));
  EXPECT_EQ(*tree.Data(tree.FindNode(nullptr, "Position")),
            Bytes({0, 0, 0, 0x80, 0, 0, 0x80, 0x3F, 0, 0, 0x80, 0x3F}));
}

TEST(HardpointOrientation, FacesAwayFromTheNearestGeometryTriangle) {
  // The side plate's normal along x takes the first construction.
  const MeshList meshes = {Plate("far", {0, 0, 50}, {0, 0, 1}), Plate("side", {0, 0, 5}, {1, 0, 0}),
                           Hardpoint("Hp_Fixed_Near", {0, 0, 4.5f})};
  EXPECT_EQ(Bits(Orient(meshes, {0, 0, 0}, "Gun")), Bits(Rows{0, 1, 0, -1, 0, 0, 0, -0.0f, 1}));
  // Facing along z takes the second; a = -nx is -0.0 and reaches m3.
  EXPECT_EQ(Bits(Orient(meshes, {0, 0, 60}, "Gun")), Bits(Rows{1, 0, 0, -0.0f, 0, 1, 0, -1, 0}));

  UtfTree tree;
  AddHardpoints(tree, {Plate("top", {0, 0, 0}, {0, 0, 1}), Hardpoint("Hp_Fixed_Gun")},
                tree.AddNode(nullptr, "Hardpoints"));
  const auto bytes = *tree.Data(tree.FindNode(nullptr, "Orientation"));
  ASSERT_EQ(bytes.size(), 36u);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 12, bytes.begin() + 16),
            Bytes({0, 0, 0, 0x80}));
}

// Under a tilted surface the first row is shorter than 1; unit rows make a
// rotation of it, in both constructions, and leave a row of zeros alone.
TEST(HardpointOrientation, UnitRowsMakeARotation) {
  for (const FaceNormal normal : {FaceNormal{0.6f, 0, 0.8f}, FaceNormal{0.001f, 0.002f, 1}}) {
    const MeshList meshes = {Plate("slope", {0, 0, 1}, normal)};
    const Rows unit = UnitRows(Orient(meshes, {0, 0, 0}, "Turret"));
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) {
        const double dot = double{unit[3 * i]} * unit[3 * j] +
                           double{unit[3 * i + 1]} * unit[3 * j + 1] +
                           double{unit[3 * i + 2]} * unit[3 * j + 2];
        EXPECT_NEAR(dot, i == j ? 1.0 : 0.0, 1e-6) << normal.x << " rows " << i << j;
      }
    }
  }
  EXPECT_EQ(UnitRows({0, 0, 0, 0, 2, 0, 0, 0, -4}), (Rows{0, 0, 0, 0, 1, 0, 0, 0, -1}));

  UtfTree tree;
  AddHardpoints(tree, {Plate("slope", {0, 0, 1}, {0.6f, 0, 0.8f}), Hardpoint("Hp_Fixed_Gun")},
                tree.AddNode(nullptr, "Hardpoints"), HardpointRows::Unit);
  const auto bytes = *tree.Data(tree.FindNode(nullptr, "Orientation"));
  ASSERT_EQ(bytes.size(), 36u);
  EXPECT_EQ(bytes, FloatsLeaf(UnitRows(Orient({Plate("slope", {0, 0, 1}, {0.6f, 0, 0.8f})},
                                              {0, 0, 0}, "Gun"))));
}

TEST(HardpointOrientation, EarlierTriangleWinsATieAndHardpointMeshesAreNeverSearched) {
  const MeshList meshes = {Hardpoint("Hp_Fixed_Close", {0, 0, 0}),
                           Plate("first", {0, 0, 2}, {1, 0, 0}),
                           Plate("second", {0, 0, -2}, {0, 1, 0})};
  EXPECT_EQ(Orient(meshes, {0, 0, 0}, "Gun"), (Rows{0, 1, 0, -1, 0, 0, 0, 0, 1}));
}

TEST(HardpointOrientation, IdentityForEnginesMountsAndWithoutANearTriangle) {
  const MeshList meshes = {Plate("side", {0, 0, 1}, {1, 0, 0})};
  EXPECT_EQ(Orient(meshes, {0, 0, 0}, "HpEngine01"), kIdentity);
  EXPECT_EQ(Orient(meshes, {0, 0, 0}, "hpengine01"), kIdentity);
  EXPECT_EQ(Orient(meshes, {0, 0, 0}, "HPMOUNT"), kIdentity);
  EXPECT_NE(Orient(meshes, {0, 0, 0}, "HpMoun"), kIdentity);
  EXPECT_EQ(Orient({Hardpoint("Hp_Fixed_X")}, {0, 0, 0}, "Gun"), kIdentity);
  EXPECT_EQ(Orient(meshes, {0, 0, 2e6f}, "Gun"), kIdentity);
}

TEST(HardpointOrientation, ZComponentAt0_99999SwitchesToTheSecondConstruction) {
  const auto orient = [](float nz) {
    return Orient({Plate("p", {0, 0, 1}, {0, 0.1f, nz})}, {0, 0, 0}, "Gun");
  };
  // First construction: m0 = b, m2 = 0. Second: m6 = 0, m7 = -c.
  const Rows below = orient(0.99998f);
  EXPECT_EQ(below[0], 0.1f);
  EXPECT_EQ(below[7], static_cast<float>(0.0 - static_cast<double>(0.1f) * 0.99998f));

  ASSERT_LT(static_cast<double>(0.99999f), 0.99999);
  const Rows nearest = orient(0.99999f);
  EXPECT_EQ(nearest[0], 0.1f);
  EXPECT_EQ(nearest[8], static_cast<float>(static_cast<double>(0.1f) * 0.1f));

  const Rows straight = orient(1.0f);
  EXPECT_EQ(straight[7], -1.0f);
  EXPECT_EQ(straight[6], 0.0f);
  EXPECT_EQ(straight[0], static_cast<float>(static_cast<double>(0.1f) * 0.1f + 1.0));

  const Rows down = orient(-1.0f);
  EXPECT_EQ(down[7], 1.0f);
}

// Each of the six faces of the first group's box, widened by 0.1 in double
// (0.5 + 0.1 lies between the float below 0.6 and 0.6f itself), probed just
// inside and just outside; outside falls through to the roomy group, and a
// point in no group to the first.
TEST(FindOwningPart, ProbesEachFaceOfTheWidenedBoxAndFallsBackToTheFirst) {
  GroupList groups(2);
  groups[0].bounds = Bounds{0.5f, -0.5f, 0.5f, -0.5f, 0.5f, -0.5f};
  groups[1].bounds = Bounds{5, -5, 5, -5, 5, -5};
  const float inside = std::nextafter(0.6f, 0.0f);
  for (int axis = 0; axis < 3; ++axis) {
    for (const float sign : {1.0f, -1.0f}) {
      SCOPED_TRACE(::testing::Message() << "axis " << axis << ", sign " << sign);
      std::array<float, 3> at = {0, 0, 0};
      at[axis] = sign * inside;
      EXPECT_EQ(FindOwningPart(Hardpoint("Hp", at), groups), &groups[0]);
      at[axis] = sign * 0.6f;
      EXPECT_EQ(FindOwningPart(Hardpoint("Hp", at), groups), &groups[1]);
    }
  }
  EXPECT_EQ(FindOwningPart(Hardpoint("Hp", {0, 0, 99}), groups), &groups[0]);
  GroupList none;
  EXPECT_EQ(FindOwningPart(Hardpoint("Hp"), none), nullptr);
}

// The writers look every hardpoint up at once; each must still get the
// rows of its own nearest triangle, engines and mounts between them too.
TEST(AddHardpoints, EachHardpointFacesItsOwnNearestTriangle) {
  const MeshList meshes = {
      Plate("top", {0, 0, 0}, {0, 0, 1}),          Plate("side", {10, 0, 0}, {1, 0, 0}),
      Plate("back", {0, 10, 0}, {0.6f, 0.8f, 0}),  Hardpoint("Hp_Fixed_Side", {9, 0, 0}),
      Hardpoint("Hp_Fixed_HpEngine01", {0, 9, 0}), Hardpoint("Hp_Revolute_Back", {0, 9, 1}),
      Hardpoint("Hp_Fixed_HpMount02", {9, 1, 0}),  Hardpoint("Hp_Fixed_Top", {0, 1, 1})};
  GroupList groups(1);
  groups[0].bounds = Bounds{20, -20, 20, -20, 20, -20};
  UtfTree single;
  AddHardpoints(single, meshes, single.AddNode(nullptr, "Hardpoints"));
  UtfTree parts;
  groups[0].partNode = parts.AddNode(nullptr, "part");
  AddPartHardpoints(parts, meshes, groups);
  for (const MeshRecord& mesh : meshes) {
    if (!mesh.isHardpoint) continue;
    const std::string name = mesh.meshName.substr(mesh.meshName.find('_', 3) + 1);
    SCOPED_TRACE(name);
    const auto expected = FloatsLeaf(Orient(meshes, HardpointPosition(mesh), name));
    for (UtfTree* tree : {&single, &parts}) {
      EXPECT_EQ(*tree->Data(tree->FindNode(tree->FindNode(nullptr, name), "Orientation")),
                expected);
    }
  }
}

TEST(AddPartHardpoints, OnlyOwningPartsGetHardpointsInTheOrderKindsAreMet) {
  UtfTree tree;
  UtfNode root = tree.AddNode(nullptr, "\\");
  GroupList groups(2);
  groups[0].bounds = Bounds{1, -1, 1, -1, 1, -1};
  groups[1].bounds = Bounds{10, 5, 1, -1, 1, -1};
  for (std::size_t i = 0; i < groups.size(); ++i) {
    groups[i].partNode = tree.AddNode(root, "part" + std::to_string(i));
    tree.AddNode(groups[i].partNode, "MultiLevel");
  }
  const MeshList meshes = {
      Hardpoint("HpSomething", {7, 0, 0}), Hardpoint("Hp_Revolute_Gun", {0, 0, 0}),
      Hardpoint("Hp_Fixed_Far", {0, 50, 0}), Hardpoint("HpNothing", {0, 0, 0})};
  AddPartHardpoints(tree, meshes, groups);
  const std::vector<std::string> expected = {
      "0 \\",   "1 part0",       "2 MultiLevel", "2 Hardpoints",  "3 Revolute",   "4 Gun",
      "5 Axis", "5 Max",         "5 Min",        "5 Orientation", "5 Position",   "3 Fixed",
      "4 Far",  "5 Orientation", "5 Position",   "1 part1",       "2 MultiLevel", "2 Hardpoints"};
  EXPECT_EQ(Outline(tree), expected);
  EXPECT_EQ(groups[1].fixedNode, nullptr);
  EXPECT_EQ(groups[0].fixedNode, At(tree, {"part0", "Hardpoints", "Fixed"}));
}

}  // namespace
}  // namespace svcmp
