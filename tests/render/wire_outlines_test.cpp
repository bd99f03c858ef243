#include "render/wire_outlines.h"

#include <gtest/gtest.h>

#include "format/name_crc.h"
#include "render/model_views.h"
#include "tests/inspect/inspect_test_files.h"
#include "tests/render/test_scenes.h"

namespace svcmp::render {
namespace {

// The turret hangs on the ship by a joint that moves it; its level reaches
// vertices 1 to 3 of the library, vertex v at (v, v + 0.5, -v).
UtfTree FileWithWires(std::initializer_list<std::uint16_t> turretIndices) {
  UtfTree tree = testing::OtherToolFile();
  UtfNode turret = tree.FindNode(tree.Root(), "turret.3db");
  testing::AddTestLeaf(tree, tree.AddNode(turret, "VMeshWire"), "VWireData",
                       testing::WireBytes(NameCrc("ship.lod0.vms"), 1, 2, 3, turretIndices));
  return tree;
}

TEST(WireOutlines, TakeTheWiresVerticesWhereTheJointsPlaceThePart) {
  const CompoundModel model = DecodeCompoundModel(FileWithWires({0, 2, 9, 0}));
  const LevelGeometry geometry = GatherLevelGeometry(model, 0);
  Scene scene;
  const std::vector<std::string> problems = AddWireOutlines(scene, model, geometry);
  ASSERT_EQ(scene.outlines.size(), 1u);
  EXPECT_EQ(scene.outlines[0].kind, OutlineKind::Wire);
  const LevelPart* turret = nullptr;
  for (const LevelPart& part : geometry.parts) {
    if (part.name == "turret") turret = &part;
  }
  ASSERT_NE(turret, nullptr);
  ASSERT_NE(turret->toModel.translation, (Vector3{0, 0, 0}));
  // Indices 0 and 2 are vertices 1 and 3; index 9 lies past the library.
  const std::vector<std::array<Vector3, 2>> expected = {
      {ApplyTransform(turret->toModel, {1, 1.5f, -1}),
       ApplyTransform(turret->toModel, {3, 3.5f, -3})}};
  EXPECT_EQ(scene.outlines[0].edges, expected);
  // Every other part has levels but no wire; the turret's stray segment is named.
  const std::vector<std::string> expectedProblems = {
      "part Root has no wire",
      "part turret: 1 of its 2 wire segments index past the mesh library's vertices"};
  EXPECT_EQ(problems, expectedProblems);
}

TEST(WireOutlines, StaleLibraryIsNamedAndNotDrawn) {
  UtfTree tree = testing::OtherToolFile();
  UtfNode ship = tree.FindNode(tree.Root(), "ship.3db");
  testing::AddTestLeaf(tree, tree.AddNode(ship, "VMeshWire"), "VWireData",
                       testing::WireBytes(0xC0FFEEu, 0, 2, 2, {0, 1}));
  const CompoundModel model = DecodeCompoundModel(tree);
  Scene scene;
  const auto problems = AddWireOutlines(scene, model, GatherLevelGeometry(model, 0));
  EXPECT_TRUE(scene.outlines.empty());
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0],
            "part Root: its wire names a mesh library not in the file; the game draws no "
            "outline for it");
}

bool IsWire(Rgb pixel) { return pixel.g > pixel.r + 80 && pixel.g > pixel.b + 80; }
bool IsBackground(Rgb pixel) {
  return pixel.r == kBackgroundColour.r && pixel.g == kBackgroundColour.g &&
         pixel.b == kBackgroundColour.b;
}

// A wire from the centre out along +x: on the viewer's left seen from the
// front, on the right seen from above, a point seen from the side.
TEST(WireOutlines, LinesOnlyViewsDrawTheWireAloneInTheGameAxes) {
  Scene scene;
  scene.meshes.push_back(testing::MakeTorus(24, 12, 5, 1));
  scene.hardpoints.push_back({"HpGun", {0, 3, 0}});
  scene.outlines.push_back({{{{{0.5f, 0, 0}, {6, 0, 0}}}}, OutlineKind::Wire});
  constexpr int kView = 200;
  ViewOptions linesOnly;
  linesOnly.linesOnly = true;
  const Canvas lines = RenderModelViews(scene, 3 * kView, kView, linesOnly);
  const Canvas full = RenderModelViews(scene, 3 * kView, kView, {});
  const std::array<int, 3> side = {-1, 1, 0};
  for (int view = 0; view < 3; ++view) {
    int wire = 0, other = 0, otherFull = 0, sum = 0;
    for (int y = 16; y < kView - 16; ++y) {
      for (int x = view * kView + 1; x < (view + 1) * kView; ++x) {
        if (IsWire(lines.Pixel(x, y))) {
          ++wire;
          sum += x - view * kView - kView / 2;
        } else if (!IsBackground(lines.Pixel(x, y))) {
          ++other;
        }
        if (!IsBackground(full.Pixel(x, y)) && !IsWire(full.Pixel(x, y))) ++otherFull;
      }
    }
    SCOPED_TRACE(view);
    ASSERT_GT(wire, 0);
    EXPECT_EQ(other, 0);       // no surface, no hardpoint mark
    EXPECT_GT(otherFull, 50);  // which the full views do draw
    const int mean = sum / wire;
    EXPECT_EQ(mean > 10 ? 1 : mean < -10 ? -1 : 0, side[static_cast<std::size_t>(view)]) << mean;
  }
}

}  // namespace
}  // namespace svcmp::render
