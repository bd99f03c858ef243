#include "inspect/model_checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "format/name_crc.h"
#include "tests/inspect/inspect_test_files.h"
#include "utf/utf_reader.h"

namespace svcmp {
namespace {

using testing::AddTestLeaf;
using testing::LeafBuilder;
using testing::MeshRefBytes;
using testing::OtherToolFile;

// "severity rule path" of each finding, in order.
std::vector<std::string> Lines(const Findings& findings) {
  std::vector<std::string> lines;
  for (const Finding& f : findings) {
    lines.push_back((f.severity == Severity::Error ? "error " : "warning ") + f.rule + " " +
                    f.path);
  }
  return lines;
}

Findings CheckAlone(const UtfTree& tree) {
  const CompoundModel model = DecodeCompoundModel(tree);
  return CheckModels({{"a.cmp", &model}}).at(0);
}

UtfNode At(UtfTree& tree, std::string_view path) {
  UtfNode node = tree.Root();
  while (!path.empty()) {
    path.remove_prefix(1);
    const std::string_view name = path.substr(0, path.find('/'));
    node = tree.FindNode(node, name);
    path.remove_prefix(name.size());
  }
  return node;
}

// Replaces the joint list `list` with one record of `fields`, where
// `values` take the place of the fields from `at`.
void SetJoint(UtfTree& tree, std::string_view list, std::string_view parent, std::string_view child,
              std::initializer_list<float> fields, std::size_t at,
              std::initializer_list<float> values) {
  std::vector<float> changed(fields);
  std::copy(values.begin(), values.end(), changed.begin() + static_cast<std::ptrdiff_t>(at));
  LeafBuilder record;
  record.Name(parent).Name(child);
  for (float value : changed) record.Floats({value});
  tree.SetData(At(tree, "/Cmpnd/Cons/" + std::string(list)), record.Take());
}

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
const std::string kShipRef = "/ship.3db/VMeshPart/VMeshRef";
const std::string kTurretRef = "/turret.3db/MultiLevel/Level0/VMeshPart/VMeshRef";
const std::string kBuffer = "/VMeshLibrary/ship.lod0.vms/VMeshData";
const std::uint32_t kShipId = NameCrc("ship.lod0.vms");
const std::string kTurretWire = "/turret.3db/VMeshWire/VWireData";

void SetTurretWire(UtfTree& tree, std::vector<std::uint8_t> bytes) {
  AddTestLeaf(tree, tree.AddNode(At(tree, "/turret.3db"), "VMeshWire"), "VWireData",
              std::move(bytes));
}

TEST(ModelChecks, EachRuleFindsTheFileMadeToBreakIt) {
  const struct {
    const char* what;
    std::function<void(UtfTree&)> breakIt;
    std::vector<std::string> expected;
  } cases[] = {
      {"the file as another tool writes it", [](UtfTree&) {}, {}},
      {"mesh reference of 59 bytes",
       [](UtfTree& t) { t.SetData(At(t, kShipRef), std::vector<std::uint8_t>(59)); },
       {"error leaf-size " + kShipRef}},
      {"joint list not whole records",
       [](UtfTree& t) { t.SetData(At(t, "/Cmpnd/Cons/Fix"), std::vector<std::uint8_t>(175)); },
       {"error leaf-size /Cmpnd/Cons/Fix"}},
      {"buffer cut short",
       [](UtfTree& t) {
         const auto bytes = testing::OtherToolBuffer();
         t.SetData(At(t, kBuffer), std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 20));
       },
       {"error mesh-buffer-fit " + kBuffer}},
      {"index outside its mesh",
       [](UtfTree& t) {
         t.SetData(At(t, kBuffer), testing::MeshBufferBytes(0x112, {{1, 0, 1, {0, 1, 2}}}, 4));
         t.SetData(At(t, kShipRef), MeshRefBytes(kShipId, 0, 4, 0, 3, 0, 1));
         t.SetData(At(t, kTurretRef), MeshRefBytes(kShipId, 0, 4, 0, 3, 0, 1));
       },
       {"error index-range " + kBuffer}},
      {"mesh reference past the buffer's vertices",
       [](UtfTree& t) { t.SetData(At(t, kShipRef), MeshRefBytes(kShipId, 1, 4, 0, 6, 0, 2)); },
       {"error ref-range " + kShipRef}},
      {"mesh reference past the buffer's meshes",
       [](UtfTree& t) { t.SetData(At(t, kShipRef), MeshRefBytes(kShipId, 0, 4, 0, 6, 1, 2)); },
       {"error ref-range " + kShipRef}},
      {"index count not the meshes' sum",
       [](UtfTree& t) { t.SetData(At(t, kShipRef), MeshRefBytes(kShipId, 0, 4, 0, 5, 0, 2)); },
       {"error ref-index-sum " + kShipRef}},
      {"file name naming no model node",
       [](UtfTree& t) {
         t.SetData(At(t, "/Cmpnd/Part_door/File name"), {'d', 'o', 'o', 'r', 0});
       },
       {"error part-file /Cmpnd/Part_door", "warning orphan-model /door.3db"}},
      {"joint naming no part",
       [](UtfTree& t) {
         t.SetData(At(t, "/Cmpnd/Cons/Fix"),
                   testing::JointRecord("turret", "nobody", testing::kBarrelFix));
       },
       {"error joint-name /Cmpnd/Cons/Fix"}},
      {"joint axis of length 2",
       [](UtfTree& t) {
         SetJoint(t, "Rev", "Root", "turret", testing::kTurretRev, 15, {0, 2, 0});
       },
       {"warning joint-axis /Cmpnd/Cons/Rev"}},
      {"joint axis of nothing",
       [](UtfTree& t) {
         SetJoint(t, "Pris", "Root", "door", testing::kDoorPris, 15, {0, 0, 0});
       },
       {"warning joint-axis /Cmpnd/Cons/Pris"}},
      {"min above max",
       [](UtfTree& t) {
         SetJoint(t, "Pris", "Root", "door", testing::kDoorPris, 18, {3, 2});
       },
       {"warning joint-limits /Cmpnd/Cons/Pris"}},
      {"sphere min above max about y",
       [](UtfTree& t) { SetJoint(t, "Sphere", "Root", "ball", testing::kBallSphere, 17, {1}); },
       {"warning joint-limits /Cmpnd/Cons/Sphere"}},
      {"joint rotation that is no rotation",
       [](UtfTree& t) { SetJoint(t, "Fix", "turret", "barrel", testing::kBarrelFix, 3, {2}); },
       {"warning joint-rotation /Cmpnd/Cons/Fix"}},
      {"joint rotation that mirrors",
       [](UtfTree& t) { SetJoint(t, "Fix", "turret", "barrel", testing::kBarrelFix, 11, {-1}); },
       {"warning joint-rotation /Cmpnd/Cons/Fix"}},
      {"NaN in a joint's limits",
       [](UtfTree& t) { SetJoint(t, "Rev", "Root", "turret", testing::kTurretRev, 19, {kNaN}); },
       {"error bad-float /Cmpnd/Cons/Rev"}},
      {"part with two parents",
       [](UtfTree& t) {
         auto bytes = testing::JointRecord("turret", "barrel", testing::kBarrelFix);
         const auto second = testing::JointRecord("Root", "BARREL", testing::kBarrelFix);
         bytes.insert(bytes.end(), second.begin(), second.end());
         t.SetData(At(t, "/Cmpnd/Cons/Fix"), bytes);
       },
       {"error two-parents /Cmpnd/Cons/Fix"}},
      {"joints in a loop",
       [](UtfTree& t) {
         SetJoint(t, "Pris", "ball", "door", testing::kDoorPris, 0, {});
         SetJoint(t, "Sphere", "door", "ball", testing::kBallSphere, 0, {});
       },
       {"error joint-loop /Cmpnd/Cons/Pris"}},
      {"part joined to itself",
       [](UtfTree& t) { SetJoint(t, "Fix", "barrel", "barrel", testing::kBarrelFix, 0, {}); },
       {"error joint-loop /Cmpnd/Cons/Fix"}},
      {"NaN in a box",
       [](UtfTree& t) {
         auto bytes = MeshRefBytes(kShipId, 0, 4, 0, 6, 0, 2);
         std::memcpy(&bytes[20], &kNaN, 4);
         t.SetData(At(t, kShipRef), bytes);
       },
       {"error bad-float " + kShipRef}},
      {"infinite hardpoint position",
       [](UtfTree& t) {
         t.SetData(At(t, "/ship.3db/Hardpoints/Revolute/HpGun/Position"),
                   LeafBuilder().Floats({0, INFINITY, 0}).Take());
       },
       {"error bad-float /ship.3db/Hardpoints/Revolute/HpGun"}},
      {"NaN in a vertex normal",
       [](UtfTree& t) {
         auto bytes = testing::OtherToolBuffer();
         std::memcpy(&bytes[16 + 24 + 12 + 12], &kNaN, 4);
         t.SetData(At(t, kBuffer), bytes);
       },
       {"error bad-float " + kBuffer}},
      {"library in no file checked",
       [](UtfTree& t) { t.SetData(At(t, kShipRef), MeshRefBytes(7, 0, 4, 0, 6, 0, 2)); },
       {"warning ref-library " + kShipRef}},
      {"model node no part names",
       [](UtfTree& t) { t.AddNode(t.Root(), "old.3db"); },
       {"warning orphan-model /old.3db"}},
      {"zero radius",
       [](UtfTree& t) { t.SetData(At(t, kShipRef), MeshRefBytes(kShipId, 0, 4, 0, 6, 0, 2, 0)); },
       {"warning zero-sphere " + kShipRef}},
      {"empty Fix while a part has no joint",
       [](UtfTree& t) { t.ClearData(At(t, "/Cmpnd/Cons/Fix")); },
       {"warning empty-fix /Cmpnd/Cons/Fix"}},
      {"orientation that is no rotation",
       [](UtfTree& t) {
         t.SetData(At(t, "/ship.3db/Hardpoints/Revolute/HpGun/Orientation"),
                   LeafBuilder().Floats({1, 0, 0, 0, 0.7f, 0.7f, 0, 0, 1}).Take());
       },
       {"warning hardpoint-rotation /ship.3db/Hardpoints/Revolute/HpGun"}},
      {"orientation a turn about a slanted axis",
       [](UtfTree& t) {
         constexpr float k1 = 1.0f / 3, k2 = 2.0f / 3;
         t.SetData(At(t, "/ship.3db/Hardpoints/Revolute/HpGun/Orientation"),
                   LeafBuilder().Floats({k2, -k1, k2, k2, k2, -k1, -k1, k2, k2}).Take());
       },
       {}},
      {"orientation twice a rotation",
       [](UtfTree& t) {
         t.SetData(At(t, "/ship.3db/Hardpoints/Revolute/HpGun/Orientation"),
                   LeafBuilder().Floats({0, 2, 0, -2, 0, 0, 0, 0, 2}).Take());
       },
       {"warning hardpoint-rotation /ship.3db/Hardpoints/Revolute/HpGun"}},
      {"orientation that mirrors",
       [](UtfTree& t) {
         t.SetData(At(t, "/ship.3db/Hardpoints/Revolute/HpGun/Orientation"),
                   LeafBuilder().Floats({0, 1, 0, 1, 0, 0, 0, 0, 1}).Take());
       },
       {"warning hardpoint-rotation /ship.3db/Hardpoints/Revolute/HpGun"}},
      {"trailing bytes",
       [](UtfTree& t) {
         auto bytes = testing::OtherToolBuffer();
         bytes.push_back(0);
         t.SetData(At(t, kBuffer), bytes);
       },
       {"warning trailing-bytes " + kBuffer}},
      // The turret's level reaches vertices 1 to 3 of the library.
      {"wire of a library no level uses",
       [](UtfTree& t) {
         SetTurretWire(t, testing::WireBytes(NameCrc("old.vms"), 1, 2, 2, {0, 1}));
       },
       {"warning wire-library " + kTurretWire}},
      {"wire index beyond its mesh",
       [](UtfTree& t) {
         SetTurretWire(t, testing::WireBytes(kShipId, 1, 3, 4, {0, 1, 1, 3}));
       },
       {"error wire-range " + kTurretWire}},
      {"wire starting at another vertex than its level",
       [](UtfTree& t) {
         SetTurretWire(t, testing::WireBytes(kShipId, 0, 2, 2, {0, 1}));
       },
       {"error wire-range " + kTurretWire}},
      {"wire left on a finer level than the coarsest",
       [](UtfTree& t) {
         UtfNode level1 = t.AddNode(At(t, "/turret.3db/MultiLevel"), "Level1");
         AddTestLeaf(t, t.AddNode(level1, "VMeshPart"), "VMeshRef",
                     MeshRefBytes(NameCrc("turret.lod1.vms"), 0, 3, 0, 3, 0, 1));
         SetTurretWire(t, testing::WireBytes(kShipId, 1, 2, 2, {0, 1}));
       },
       {"warning ref-library /turret.3db/MultiLevel/Level1/VMeshPart/VMeshRef",
        "warning wire-level " + kTurretWire}},
      {"wire with the highest index as its bound",
       [](UtfTree& t) {
         SetTurretWire(t, testing::WireBytes(kShipId, 1, 3, 2, {0, 1, 2, 1}));
       },
       {"warning wire-counts " + kTurretWire}},
      {"wire counting vertices it repeats",
       [](UtfTree& t) {
         SetTurretWire(t, testing::WireBytes(kShipId, 1, 4, 3, {0, 1, 2, 1, 0, 1}));
       },
       {"warning wire-counts " + kTurretWire}},
      {"wire shorter than its indices",
       [](UtfTree& t) {
         auto bytes = testing::WireBytes(kShipId, 1, 2, 2, {0, 1});
         bytes.pop_back();
         SetTurretWire(t, bytes);
       },
       {"error leaf-size " + kTurretWire}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    UtfTree tree = OtherToolFile();
    c.breakIt(tree);
    EXPECT_EQ(Lines(CheckAlone(tree)), c.expected);
  }
}

TEST(ModelChecks, SoundWireWithRepeatsRaisesNothing) {
  UtfTree tree = OtherToolFile();
  SetTurretWire(tree, testing::WireBytes(kShipId, 1, 3, 3, {0, 1, 2, 1, 0, 1, 0, 2}));
  EXPECT_EQ(Lines(CheckAlone(tree)), std::vector<std::string>{});
}

TEST(ModelChecks, JointFaultsNameThePartsInvolved) {
  // door hangs on Root, and on ball, which hangs on door (barrel on nothing).
  UtfTree tree = OtherToolFile();
  SetJoint(tree, "Sphere", "door", "ball", testing::kBallSphere, 0, {});
  SetJoint(tree, "Fix", "ball", "door", testing::kBarrelFix, 0, {});
  std::vector<std::string> messages;
  for (const Finding& finding : CheckAlone(tree)) messages.push_back(finding.message);
  EXPECT_EQ(messages,
            (std::vector<std::string>{
                "record 0: \"door\" hangs on \"ball\" here and on \"Root\" in record 0 of "
                "/Cmpnd/Cons/Pris; a part has one parent",
                "record 0: the joints form a loop (door -> ball -> door); no part of it hangs on "
                "the root"}));
}

TEST(ModelChecks, FilesCheckedTogetherShareLibraries) {
  // The ship's library moved to a file of its own: found there, and defined
  // once; defining it a second time is what the warning is for.
  UtfTree ship = OtherToolFile();
  UtfTree library;
  UtfNode top = library.AddNode(nullptr, "\\");
  UtfNode entry = library.AddNode(library.AddNode(top, "VMeshLibrary"), "Ship.lod0.vms");
  AddTestLeaf(library, entry, "VMeshData", testing::OtherToolBuffer());
  const CompoundModel shipModel = DecodeCompoundModel(ship);
  const CompoundModel libraryModel = DecodeCompoundModel(library);
  ship.RemoveSubtree(At(ship, "/VMeshLibrary"));
  const CompoundModel shipWithout = DecodeCompoundModel(ship);

  auto findings = CheckModels({{"ship.cmp", &shipWithout}, {"lib.3db", &libraryModel}});
  EXPECT_EQ(Lines(findings[0]), std::vector<std::string>{});
  EXPECT_EQ(Lines(findings[1]), std::vector<std::string>{});

  findings = CheckModels({{"ship.cmp", &shipModel}, {"lib.3db", &libraryModel}});
  EXPECT_EQ(Lines(findings[0]), std::vector<std::string>{});
  EXPECT_EQ(Lines(findings[1]), std::vector<std::string>{
                                    "warning library-twice /VMeshLibrary/Ship.lod0.vms/VMeshData"});
  EXPECT_NE(findings[1][0].message.find("ship.cmp"), std::string::npos);
}

TEST(ModelChecks, OurExportsHaveNoError) {
  for (const char* file :
       {"single_lod0.cmp", "buildup.cmp", "parts_buildup.cmp", "parts_lod2.cmp"}) {
    SCOPED_TRACE(file);
    UtfTree tree;
    ASSERT_TRUE(ReadUtfFile(SVCMP_TEST_DATA "/export/" + std::string(file), tree, nullptr).ok());
    for (const Finding& finding : CheckAlone(tree)) {
      EXPECT_EQ(finding.severity, Severity::Warning) << finding.rule << " " << finding.message;
    }
  }
}

}  // namespace
}  // namespace svcmp
