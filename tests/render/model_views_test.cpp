#include "render/model_views.h"

#include <gtest/gtest.h>

#include <limits>

#include "tests/render/test_scenes.h"

namespace svcmp::render {
namespace {

// Shaded pixels keep their hue: the warning colour is the only one whose red
// is more than twice its green and blue.
bool IsWarning(Rgb pixel) { return pixel.r > 2 * pixel.g && pixel.r > 2 * pixel.b; }

struct PixelCounts {
  int warning = 0;
  int model = 0;
};

PixelCounts Count(const Canvas& canvas) {
  PixelCounts counts;
  for (int y = 0; y < canvas.height(); ++y) {
    for (int x = 0; x < canvas.width(); ++x) {
      const Rgb pixel = canvas.Pixel(x, y);
      if (pixel == kBackgroundColour) continue;
      ++(IsWarning(pixel) ? counts.warning : counts.model);
    }
  }
  return counts;
}

TEST(ModelViews, InsideOutMeshShowsInTheWarningColour) {
  const SceneMesh torus = testing::MakeTorus(48, 24, 10, 3);
  const PixelCounts outward = Count(RenderModelViews({{torus}, {}}, 600, 200));
  const PixelCounts insideOut =
      Count(RenderModelViews({{testing::InsideOut(torus)}, {}}, 600, 200));
  EXPECT_GT(outward.model, 600 * 200 / 10);
  EXPECT_EQ(outward.warning, 0);
  EXPECT_EQ(insideOut.model, 0);
  EXPECT_EQ(insideOut.warning, outward.model);
}

TEST(ModelViews, HardpointIsMarkedAndNamedInEveryView) {
  // A lone hardpoint has no extent: it sits in the middle of each view.
  Scene scene;
  scene.hardpoints.push_back({"HpMount01", {1, 2, 3}, {1, 0, 0, 0, 1, 0, 0, 0, 1}});
  const Canvas picture = RenderModelViews(scene, 300, 100);
  for (int view = 0; view < 3; ++view) {
    SCOPED_TRACE(view);
    EXPECT_EQ(picture.Pixel(view * 100 + 50, 50), kHardpointColour);
    // The name's first letter starts a few pixels right of the marker.
    bool named = false;
    for (int y = 50; y < 70; ++y) {
      for (int x = view * 100 + 53; x < view * 100 + 70; ++x) {
        named = named || picture.Pixel(x, y) == Rgb{235, 235, 235};
      }
    }
    EXPECT_TRUE(named);
  }
}

TEST(ModelViews, DrawsWhateverAFileHolds) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  SceneMesh broken = testing::MakeTorus(8, 6, 10, 3);
  broken.vertices[0].position = {nan, 0, 0};
  broken.vertices[1].position = {1e38f, -1e38f, 1e38f};
  broken.vertices[2].normal = {nan, nan, nan};
  broken.indices.insert(broken.indices.end(), {0, 1, 999999});
  Scene scene{{broken, SceneMesh{}}, {{"", {nan, 0, 0}, {}}, {"far", {1e38f, 0, 0}, {nan}}}};
  for (const auto& [width, height] : {std::pair{1200, 400}, {1201, 3}, {2, 400}, {0, 0}}) {
    const Canvas picture = RenderModelViews(scene, width, height);
    EXPECT_EQ(picture.width(), width);
    EXPECT_EQ(picture.height(), height);
  }
}

}  // namespace
}  // namespace svcmp::render
