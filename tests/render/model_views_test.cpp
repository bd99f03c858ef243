#include "render/model_views.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/render/test_scenes.h"

namespace svcmp::render {
namespace {

constexpr int kViewWidth = 200;
constexpr int kViewHeight = 200;
// Rows of each view between its caption and the line below the frame.
constexpr int kFrameTop = 16;
constexpr int kFrameBottom = kViewHeight - 16;

constexpr Rgb kMagenta{255, 0, 255};
using Vector3 = std::array<float, 3>;

// Shaded pixels keep their hue: the warning colour is the only one whose red
// is more than twice its green and blue.
bool IsWarning(Rgb pixel) { return pixel.r > 2 * pixel.g && pixel.r > 2 * pixel.b; }
bool IsMagenta(Rgb pixel) { return pixel.r > pixel.g + 100 && pixel.b > pixel.g + 100; }

Scene SceneOf(std::vector<SceneMesh> meshes, std::vector<SceneHardpoint> hardpoints = {}) {
  Scene scene;
  scene.meshes = std::move(meshes);
  scene.hardpoints = std::move(hardpoints);
  return scene;
}

// The pixels of one view's frame, away from its caption and dividers.
template <typename Visit>
void ForEachFramePixel(const Canvas& canvas, int view, Visit visit) {
  for (int y = kFrameTop; y < kFrameBottom; ++y) {
    for (int x = view * kViewWidth + 1; x < (view + 1) * kViewWidth; ++x) {
      visit(x - view * kViewWidth, y, canvas.Pixel(x, y));
    }
  }
}

struct Extent {
  int count = 0;
  int minX = std::numeric_limits<int>::max(), maxX = -1;
  int minY = std::numeric_limits<int>::max(), maxY = -1;
  void Add(int x, int y) {
    ++count;
    minX = std::min(minX, x), maxX = std::max(maxX, x);
    minY = std::min(minY, y), maxY = std::max(maxY, y);
  }
  float CentreX() const { return (minX + maxX) / 2.0f; }
  float CentreY() const { return (minY + maxY) / 2.0f; }
};

Extent ExtentOf(const Canvas& canvas, int view, bool (*matches)(Rgb)) {
  Extent extent;
  ForEachFramePixel(canvas, view, [&](int x, int y, Rgb pixel) {
    if (matches(pixel)) extent.Add(x, y);
  });
  return extent;
}

Canvas Render(const Scene& scene, const ViewOptions& options = {}) {
  return RenderModelViews(scene, 3 * kViewWidth, kViewHeight, options);
}

TEST(ModelViews, InsideOutMeshShowsInTheWarningColour) {
  const SceneMesh torus = testing::MakeTorus(48, 24, 10, 3);
  const Canvas outward = Render(SceneOf({torus}));
  const Canvas insideOut = Render(SceneOf({testing::InsideOut(torus)}));
  for (int view = 0; view < 3; ++view) {
    int model = 0, warning = 0, insideOutModel = 0, insideOutWarning = 0;
    ForEachFramePixel(outward, view, [&](int, int, Rgb pixel) {
      if (pixel != kBackgroundColour) ++(IsWarning(pixel) ? warning : model);
    });
    ForEachFramePixel(insideOut, view, [&](int, int, Rgb pixel) {
      if (pixel != kBackgroundColour) ++(IsWarning(pixel) ? insideOutWarning : insideOutModel);
    });
    EXPECT_GT(model, 0);
    EXPECT_EQ(warning, 0);
    EXPECT_EQ(insideOutModel, 0);
    EXPECT_EQ(insideOutWarning, model);
  }
}

TEST(ModelViews, AFlatSlabShowsItsFrontWhereBothSidesMeet) {
  // Both sides of a flat slab on one plane: whichever is drawn first, the
  // side facing the viewer shows, and no red.
  SceneMesh side = testing::MakeTorus(24, 12, 10, 3);
  for (SceneVertex& vertex : side.vertices) vertex.position[1] = 0;
  for (const bool insideOutFirst : {false, true}) {
    std::vector<SceneMesh> meshes{side, testing::InsideOut(side)};
    if (insideOutFirst) std::swap(meshes[0], meshes[1]);
    int warning = 0;
    ForEachFramePixel(Render(SceneOf(meshes)), 1, [&](int, int, Rgb pixel) {
      warning += IsWarning(pixel) ? 1 : 0;
    });
    EXPECT_EQ(warning, 0) << insideOutFirst;
  }
}

// The rightmost pixel of a view's caption line that is not background.
int CaptionEnd(const Canvas& canvas, int view) {
  int end = 0;
  for (int y = 0; y < kFrameTop; ++y) {
    for (int x = 0; x < kViewWidth - 1; ++x) {
      if (canvas.Pixel(view * kViewWidth + x, y) != kBackgroundColour) end = std::max(end, x);
    }
  }
  return end;
}

TEST(ModelViews, CaptionsSayWhenAViewSeesOnlyBackFacesOrAFlatModelEdgeOn) {
  // A flat square in the game's horizontal plane, facing down: the top view
  // sees its back, front and side see it edge-on.
  SceneMesh square;
  square.vertices = {{{-1, 0, -1}, {0, -1, 0}}, {{1, 0, -1}, {0, -1, 0}},
                     {{1, 0, 1}, {0, -1, 0}}, {{-1, 0, 1}, {0, -1, 0}}};
  square.indices = {0, 1, 2, 0, 2, 3};
  // A triangle on one line has no area: it is seen from no side at all.
  SceneMesh line;
  line.vertices = {{{0, 0, 0}, {0, 1, 0}}, {{1, 1, 1}, {0, 1, 0}}, {{2, 2, 2}, {0, 1, 0}}};
  line.indices = {0, 1, 2};
  const Canvas flat = Render(SceneOf({square}));
  const Canvas solid = Render(SceneOf({testing::MakeTorus(24, 12, 10, 3)}));
  const Canvas degenerate = Render(SceneOf({line}));
  for (int view = 0; view < 3; ++view) {
    SCOPED_TRACE(view);
    EXPECT_GT(CaptionEnd(flat, view), CaptionEnd(solid, view) + 40);
    EXPECT_EQ(CaptionEnd(degenerate, view), CaptionEnd(solid, view));
    // Seen edge-on, the square is still drawn: as a line.
    int drawn = 0;
    ForEachFramePixel(flat, view, [&](int, int, Rgb pixel) {
      drawn += pixel != kBackgroundColour ? 1 : 0;
    });
    EXPECT_GT(drawn, kViewWidth / 2);
  }
}

// A small closed tetrahedron around `centre`, its faces wound outwards.
SceneMesh Tetrahedron(Vector3 centre) {
  SceneMesh mesh;
  const float s = 0.5f;
  for (const Vector3& offset : {Vector3{s, s, s}, {s, -s, -s}, {-s, s, -s}, {-s, -s, s}}) {
    mesh.vertices.push_back({{centre[0] + offset[0], centre[1] + offset[1], centre[2] + offset[2]},
                             offset});
  }
  mesh.indices = {0, 1, 2, 0, 3, 1, 0, 2, 3, 1, 3, 2};
  return mesh;
}

TEST(ModelViews, ViewsLookAlongTheGameAxes) {
  // Seen from the front the ship's right (+x) is on the viewer's left; from
  // above the nose (-z) is up; from the right side the nose is on the right.
  struct Case {
    Vector3 at;
    std::array<int, 3> right;  // per view: +1 right of the centre, -1 left, 0 on it
    std::array<int, 3> up;
  };
  const Case cases[] = {
      {{6, 0, 0}, {-1, 1, 0}, {0, 0, 0}},
      {{0, 6, 0}, {0, 0, 0}, {1, 0, 1}},
      {{0, 0, -6}, {0, 0, 1}, {0, 1, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.at[0] << " " << c.at[1] << " " << c.at[2]);
    SceneMesh marker = Tetrahedron(c.at);
    marker.materialId = 1;
    Scene scene = SceneOf({Tetrahedron({0, 0, 0}), Tetrahedron({-c.at[0], -c.at[1], -c.at[2]}),
                           marker});
    scene.looks[1] = {kMagenta, nullptr};
    const Canvas picture = Render(scene);
    for (int view = 0; view < 3; ++view) {
      SCOPED_TRACE(view);
      const Extent extent = ExtentOf(picture, view, IsMagenta);
      ASSERT_GT(extent.count, 0);
      const float dx = extent.CentreX() - kViewWidth / 2.0f;
      const float dy = (kFrameTop + kFrameBottom) / 2.0f - extent.CentreY();
      const auto sign = [](float d) { return d > 20 ? 1 : d < -20 ? -1 : 0; };
      EXPECT_EQ(sign(dx), c.right[static_cast<std::size_t>(view)]);
      EXPECT_EQ(sign(dy), c.up[static_cast<std::size_t>(view)]);
    }
  }
}

TEST(ModelViews, FramesTheMeshesAndPointsAtFarHardpoints) {
  SceneMesh torus = testing::MakeTorus(24, 12, 10, 3);
  torus.materialId = 1;
  Scene scene = SceneOf({torus}, {{"HpDock", {0, 0, 5000}, {1, 0, 0, 0, 1, 0, 0, 0, 1}},
                                  {"HpNear", {11, 0, 0}, {1, 0, 0, 0, 1, 0, 0, 0, 1}}});
  scene.looks[1] = {kMagenta, nullptr};
  const Canvas picture = Render(scene);
  for (int view = 0; view < 3; ++view) {
    SCOPED_TRACE(view);
    const Extent extent = ExtentOf(picture, view, IsMagenta);
    const int width = extent.maxX - extent.minX;
    const int height = extent.maxY - extent.minY;
    EXPECT_TRUE(width > kViewWidth * 3 / 4 || height > (kFrameBottom - kFrameTop) * 3 / 4)
        << width << " x " << height;
  }
  // The far hardpoint lies behind the ship: an arrow at the bottom of the
  // top view, at the left of the side view.
  int bottomArrow = 0, leftArrow = 0;
  ForEachFramePixel(picture, 1, [&](int, int y, Rgb pixel) {
    bottomArrow += y > kFrameBottom - 14 && pixel == kHardpointColour ? 1 : 0;
  });
  ForEachFramePixel(picture, 2, [&](int x, int, Rgb pixel) {
    leftArrow += x < 14 && pixel == kHardpointColour ? 1 : 0;
  });
  EXPECT_GT(bottomArrow, 4);
  EXPECT_GT(leftArrow, 4);
}

int LabelPixels(const Canvas& canvas) {
  int count = 0;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) count += canvas.Pixel(x, y) == kLabelColour ? 1 : 0;
  }
  return count;
}

TEST(ModelViews, NamesThatDoNotFitAreCountedOrListed) {
  // Forty hardpoints in one spot: a few names fit around it, the rest not.
  std::vector<SceneHardpoint> crowd;
  for (int i = 0; i < 40; ++i) {
    crowd.push_back({"HpWeapon" + std::to_string(i), {0, 0, 0}, {1, 0, 0, 0, 1, 0, 0, 0, 1}});
  }
  const Scene scene = SceneOf({testing::MakeTorus(24, 12, 10, 3)}, crowd);
  const Canvas automatic = Render(scene);
  const Canvas all = Render(scene, {LabelMode::All, ColourBy::Material, ""});
  const Canvas none = Render(scene, {LabelMode::None, ColourBy::Material, ""});
  EXPECT_EQ(automatic.height(), kViewHeight);
  EXPECT_EQ(none.height(), kViewHeight);
  EXPECT_GT(all.height(), kViewHeight);  // the legend below
  EXPECT_EQ(LabelPixels(none), 0);
  EXPECT_GT(LabelPixels(automatic), 0);
  EXPECT_GT(LabelPixels(all), LabelPixels(automatic));
  // The count of names left out, on the line under each frame.
  for (int view = 0; view < 3; ++view) {
    int count = 0;
    for (int y = kFrameBottom; y < kViewHeight; ++y) {
      for (int x = 1; x < kViewWidth; ++x) {
        count += automatic.Pixel(view * kViewWidth + x, y) != kBackgroundColour ? 1 : 0;
      }
    }
    EXPECT_GT(count, 0) << view;
  }
}

TEST(ModelViews, ColourByPartGivesEachPartItsColourAndALegend) {
  SceneMesh left = Tetrahedron({-3, 0, 0});
  SceneMesh right = Tetrahedron({3, 0, 0});
  right.part = 1;
  Scene scene = SceneOf({left, right});
  scene.partNames = {"Root", "Part_Wing"};
  const Canvas byMaterial = Render(scene);
  const Canvas byPart = Render(scene, {LabelMode::Auto, ColourBy::Part, ""});
  EXPECT_EQ(byMaterial.height(), kViewHeight);
  EXPECT_GT(byPart.height(), kViewHeight);
  // The top view, on a row through both: one colour by material, two by part.
  const int row = (kFrameTop + kFrameBottom) / 2;
  const auto hues = [&](const Canvas& canvas) {
    std::set<std::array<int, 3>> seen;
    for (int x = kViewWidth + 1; x < 2 * kViewWidth; ++x) {
      const Rgb p = canvas.Pixel(x, row);
      if (p == kBackgroundColour) continue;
      // The shade scales the colour: compare its direction.
      const int sum = std::max(p.r + p.g + p.b, 1);
      seen.insert({p.r * 10 / sum, p.g * 10 / sum, p.b * 10 / sum});
    }
    return seen.size();
  };
  EXPECT_EQ(hues(byMaterial), 1u);
  EXPECT_EQ(hues(byPart), 2u);
}

TEST(ModelViews, DrawsWhateverAFileHolds) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  SceneMesh broken = testing::MakeTorus(8, 6, 10, 3);
  broken.vertices[0].position = {nan, 0, 0};
  broken.vertices[1].position = {1e38f, -1e38f, 1e38f};
  broken.vertices[2].normal = {nan, nan, nan};
  broken.vertices[3].texture = {nan, 1e30f};
  broken.indices.insert(broken.indices.end(), {0, 1, 999999});
  broken.part = 7;
  Scene scene = SceneOf({broken, SceneMesh{}},
                        {{"", {nan, 0, 0}, {}}, {"far", {1e38f, 0, 0}, {nan}}});
  scene.looks[0] = {kMagenta, std::make_shared<TextureImage>(TextureImage{1, 1, {kMagenta}})};
  for (const ColourBy colourBy : {ColourBy::Material, ColourBy::Part}) {
    for (const auto& [width, height] : {std::pair{1200, 400}, {1201, 3}, {2, 400}, {0, 0}}) {
      const Canvas picture =
          RenderModelViews(scene, width, height, {LabelMode::All, colourBy, "level 0"});
      EXPECT_EQ(picture.width(), width);
      EXPECT_GE(picture.height(), height);
    }
  }
}

}  // namespace
}  // namespace svcmp::render
