#include "render/joint_marks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "render/level_scene.h"
#include "render/model_views.h"
#include "tests/render/test_scenes.h"

namespace svcmp::render {
namespace {

constexpr Matrix3 kIdentity{1, 0, 0, 0, 1, 0, 0, 0, 1};
// A quarter turn about each axis, row by row.
constexpr Matrix3 kQuarterX{1, 0, 0, 0, 0, -1, 0, 1, 0};
constexpr Matrix3 kQuarterY{0, 0, 1, 0, 1, 0, -1, 0, 0};
constexpr Matrix3 kQuarterZ{0, -1, 0, 1, 0, 0, 0, 0, 1};

Joint MakeJoint(JointKind kind, std::string parent, std::string child, Vector3 origin,
                Vector3 offset, Matrix3 rotation, Vector3 axis) {
  Joint joint;
  joint.kind = kind;
  joint.parent = std::move(parent);
  joint.child = std::move(child);
  joint.origin = origin;
  joint.offset = offset;
  joint.rotation = rotation;
  joint.axis = axis;
  return joint;
}

// Parts named by the joints, "Root" first, hung on each other by them.
LevelGeometry GeometryOf(const std::vector<Joint>& joints) {
  CompoundModel model;
  model.compound = true;
  model.parts.push_back({});
  model.parts.back().objectName = "Root";
  for (const Joint& joint : joints) {
    model.parts.push_back({});
    model.parts.back().objectName = joint.child;
  }
  model.joints = joints;
  return GatherLevelGeometry(model, 0);
}

// A turret on a hinge off the origin, turned a quarter about z; an arm
// turned about x carrying a barrel that slides, itself turned about y and
// set off from its origin; a sensor on a ball joint and a fixed plate.
// Each joint's pivot and axis where the model has them.
struct Case {
  const char* name;
  std::vector<Joint> joints;
  std::string label;  // of the last joint's mark
  Vector3 pivot;      // of the last joint
  Vector3 axis;       // of the last joint
};

const float kHalfRoot = std::sqrt(0.5f);

std::vector<Case> Cases() {
  return {
      {"hinge",
       {MakeJoint(JointKind::Rev, "Root", "turret", {3, 1, -2}, {}, kQuarterZ, {1, 0, 0})},
       "turret: rev",
       {3, 1, -2},
       {0, 1, 0}},
      {"slide on a hinge",
       {MakeJoint(JointKind::Rev, "Root", "arm", {2, 0, 5}, {}, kQuarterX, {0, 1, 0}),
        MakeJoint(JointKind::Pris, "arm", "barrel", {0, 2, 0}, {0, 1, 0}, kQuarterY, {1, 0, 1})},
       "barrel: pris",
       {2, 0, 8},
       {kHalfRoot, kHalfRoot, 0}},
      {"ball",
       {MakeJoint(JointKind::Sphere, "Root", "sensor", {-4, 1, 3}, {1, 0, 0}, kQuarterY, {})},
       "sensor: sphere",
       {-3, 1, 3},
       {0, 0, 0}},
      {"fixed",
       {MakeJoint(JointKind::Fix, "Root", "plate", {-5, -1, -6}, {}, kQuarterX, {0, 0, 0})},
       "plate: fix",
       {-5, -1, -6},
       {0, 0, 0}},
  };
}

void ExpectNear(const Vector3& actual, const Vector3& expected) {
  for (std::size_t k = 0; k < 3; ++k) EXPECT_NEAR(actual[k], expected[k], 1e-5f) << k;
}

TEST(JointMarks, PivotAndAxisAreCarriedThroughTheJointsIntoTheModel) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    Scene scene;
    AddJointMarks(scene, GeometryOf(c.joints));
    // One per part that hangs on a joint; the top part has none.
    ASSERT_EQ(scene.joints.size(), c.joints.size());
    const SceneJoint& last = scene.joints.back();
    EXPECT_EQ(last.label, c.label);
    EXPECT_EQ(last.part, c.joints.size());
    ExpectNear(last.pivot, c.pivot);
    ExpectNear(last.axis, c.axis);
  }
}

TEST(JointMarks, AnAxisWithoutALengthDrawsNone) {
  const float nan = std::nanf("");
  for (const Vector3 axis : {Vector3{0, 0, 0}, Vector3{nan, 0, 1}}) {
    Scene scene;
    AddJointMarks(
        scene,
        GeometryOf({MakeJoint(JointKind::Rev, "Root", "door", {1, 2, 3}, {}, kIdentity, axis)}));
    ASSERT_EQ(scene.joints.size(), 1u);
    ExpectNear(scene.joints[0].axis, {0, 0, 0});
  }
}

// The pictures: three views of 200 x 200 pixels around a ring that frames
// them, with no labels so that the joint's colour is its mark and axis alone.
constexpr int kViewWidth = 200;
constexpr int kViewHeight = 200;
constexpr int kFrameTop = 16;
constexpr int kFrameBottom = kViewHeight - 16;
constexpr float kRingRadius = 10;
constexpr float kRingTube = 3;

struct Spot {
  float x = 0;
  float y = 0;
};

// The centre of the pixels of `colour` in one view's frame (or of those
// that are not the background), and how many there are.
struct Blob {
  int count = 0;
  int minX = kViewWidth, maxX = -1, minY = kViewHeight, maxY = -1;
  Spot Centre() const { return {(minX + maxX) / 2.0f, (minY + maxY) / 2.0f}; }
};

template <typename Matches>
Blob BlobOf(const Canvas& canvas, int view, Matches matches) {
  Blob blob;
  for (int y = kFrameTop; y < kFrameBottom; ++y) {
    for (int x = 1; x < kViewWidth; ++x) {
      if (!matches(canvas.Pixel(view * kViewWidth + x, y))) continue;
      ++blob.count;
      blob.minX = std::min(blob.minX, x), blob.maxX = std::max(blob.maxX, x);
      blob.minY = std::min(blob.minY, y), blob.maxY = std::max(blob.maxY, y);
    }
  }
  return blob;
}

bool IsJoint(Rgb pixel) { return pixel == kJointColour; }

// Where the game's views put a point of the model: right and up on the
// picture. Written out here rather than taken from the renderer.
Spot Seen(int view, const Vector3& p) {
  switch (view) {
    case 0:
      return {-p[0], p[1]};  // front: +x on the viewer's left
    case 1:
      return {p[0], -p[2]};  // top: the nose (-z) up
    default:
      return {-p[2], p[1]};  // side: the nose to the right
  }
}

Canvas Draw(const Scene& scene, ColourBy colourBy = ColourBy::Material,
            LabelMode labels = LabelMode::None) {
  ViewOptions options{labels, colourBy, ""};
  options.joints = true;
  return RenderModelViews(scene, 3 * kViewWidth, kViewHeight, options);
}

TEST(JointMarks, PivotsAndAxesLandWhereTheModelHasThem) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    const LevelGeometry geometry = GeometryOf(c.joints);
    Scene scene = SceneOfLevel(geometry);
    scene.meshes.push_back(testing::MakeTorus(24, 12, kRingRadius, kRingTube));
    AddJointMarks(scene, geometry);
    scene.joints.erase(scene.joints.begin(), scene.joints.end() - 1);
    Scene markOnly = scene;
    markOnly.joints.back().axis = {};
    const Canvas withAxis = Draw(scene);
    const Canvas mark = Draw(markOnly);
    for (int view = 0; view < 3; ++view) {
      SCOPED_TRACE(view);
      // The ring's extent gives the frame's centre and its pixels per unit.
      const Blob ring =
          BlobOf(mark, view, [](Rgb p) { return p != kBackgroundColour && !IsJoint(p); });
      const Spot centre = ring.Centre();
      const float across = kRingRadius + kRingTube;
      const float scale = static_cast<float>(ring.maxX - ring.minX + 1) / (2 * across);
      const Spot pivot = Seen(view, c.pivot);
      const Blob drawn = BlobOf(mark, view, IsJoint);
      ASSERT_GT(drawn.count, 0);
      EXPECT_NEAR(drawn.Centre().x, centre.x + pivot.x * scale, 1.5f);
      EXPECT_NEAR(drawn.Centre().y, centre.y - pivot.y * scale, 1.5f);

      // The axis's end: the joint's pixel farthest from the pivot.
      const Spot at = drawn.Centre();
      Spot tip = at;
      float reach = 0;
      for (int y = kFrameTop; y < kFrameBottom; ++y) {
        for (int x = 1; x < kViewWidth; ++x) {
          if (!IsJoint(withAxis.Pixel(view * kViewWidth + x, y))) continue;
          const float d = std::hypot(x - at.x, y - at.y);
          if (d > reach) reach = d, tip = {static_cast<float>(x), static_cast<float>(y)};
        }
      }
      const Spot axis = Seen(view, c.axis);
      const float seenLength = std::hypot(axis.x, axis.y);
      if (seenLength < 0.1f) {
        EXPECT_LT(reach, 4) << "an axis seen end-on or none is the mark alone";
        continue;
      }
      EXPECT_GT(reach, 8 * seenLength);
      // Its direction on the picture: right is +x, up is -y.
      EXPECT_NEAR((tip.x - at.x) / reach, axis.x / seenLength, 0.15f);
      EXPECT_NEAR(-(tip.y - at.y) / reach, axis.y / seenLength, 0.15f);
    }
  }
}

TEST(JointMarks, FixedJointsGetAHollowMarkAndNoLabel) {
  Scene scene;
  scene.meshes.push_back(testing::MakeTorus(24, 12, kRingRadius, kRingTube));
  scene.partNames = {"Root", "part"};
  for (const SceneJointKind kind : {SceneJointKind::Fix, SceneJointKind::Rev}) {
    SCOPED_TRACE(static_cast<int>(kind));
    scene.joints = {{"part: x", kind, {0, 0, 0}, {}, 1}};
    const Canvas quiet = Draw(scene);
    const Canvas labelled = Draw(scene, ColourBy::Material, LabelMode::Auto);
    // The origin is the middle of the top view, where the ring leaves a hole.
    const Blob mark = BlobOf(quiet, 1, IsJoint);
    ASSERT_GT(mark.count, 0);
    const Spot middle = mark.Centre();
    const bool filled = quiet.Pixel(kViewWidth + static_cast<int>(middle.x),
                                    static_cast<int>(middle.y)) == kJointColour;
    EXPECT_EQ(filled, kind != SceneJointKind::Fix);
    const int labelPixels = BlobOf(labelled, 1, IsJoint).count - mark.count;
    if (kind == SceneJointKind::Fix) {
      EXPECT_EQ(labelPixels, 0);
    } else {
      EXPECT_GT(labelPixels, 20);
    }
  }
}

TEST(JointMarks, NoJointsAreDrawnUnlessAsked) {
  Scene scene;
  scene.meshes.push_back(testing::MakeTorus(24, 12, kRingRadius, kRingTube));
  scene.joints = {{"part: rev", SceneJointKind::Rev, {1, 0, 0}, {0, 1, 0}, 0}};
  const Canvas plain = RenderModelViews(scene, 3 * kViewWidth, kViewHeight, {});
  for (int view = 0; view < 3; ++view) EXPECT_EQ(BlobOf(plain, view, IsJoint).count, 0);
}

TEST(JointMarks, HullsTakeTheirPartsColourWhenColouredByPart) {
  // Flat square hulls in the ring's hole, seen whole from the top: part 0's
  // on the left, part 1's on the right, a hardpoint's of part 1 between.
  const auto square = [](float x, std::size_t part, bool hardpoint) {
    SceneOutline outline;
    outline.part = part;
    outline.kind = hardpoint ? OutlineKind::HardpointHull : OutlineKind::Hull;
    outline.edges = {{{{x, 0, -1}, {x + 2, 0, -1}}},
                     {{{x + 2, 0, -1}, {x + 2, 0, 1}}},
                     {{{x + 2, 0, 1}, {x, 0, 1}}},
                     {{{x, 0, 1}, {x, 0, -1}}}};
    return outline;
  };
  Scene scene;
  scene.partNames = {"Root", "wing", "ring"};
  scene.meshes.push_back(testing::MakeTorus(24, 12, kRingRadius, kRingTube));
  scene.meshes.back().part = 2;
  scene.outlines = {square(-5.5f, 0, false), square(3.5f, 1, false), square(-1, 1, true)};
  // The colours in the top view's hole, left of its middle and right of it.
  const auto holeColours = [](const Canvas& canvas) {
    const Blob ring = BlobOf(canvas, 1, [](Rgb p) { return p != kBackgroundColour; });
    const float scale = static_cast<float>(ring.maxX - ring.minX + 1) / (2 * 13.0f);
    const Spot centre = ring.Centre();
    std::array<std::set<std::array<int, 3>>, 2> sides;
    for (int y = kFrameTop; y < kFrameBottom; ++y) {
      for (int x = 1; x < kViewWidth; ++x) {
        const float dx = (static_cast<float>(x) - centre.x) / scale;
        const float dy = (static_cast<float>(y) - centre.y) / scale;
        const Rgb p = canvas.Pixel(kViewWidth + x, y);
        if (std::hypot(dx, dy) > 6.5f || std::fabs(dx) < 2 || p == kBackgroundColour) continue;
        sides[dx < 0 ? 0 : 1].insert({p.r, p.g, p.b});
      }
    }
    return sides;
  };
  const std::array<int, 3> magenta{kHullOutlineColour.r, kHullOutlineColour.g,
                                   kHullOutlineColour.b};
  const auto byMaterial = holeColours(Draw(scene));
  EXPECT_EQ(byMaterial[0], (std::set{magenta}));
  EXPECT_EQ(byMaterial[1], (std::set{magenta}));
  const auto byPart = holeColours(Draw(scene, ColourBy::Part));
  ASSERT_EQ(byPart[0].size(), 1u);
  ASSERT_EQ(byPart[1].size(), 1u);
  EXPECT_NE(*byPart[0].begin(), magenta);
  EXPECT_NE(*byPart[1].begin(), magenta);
  EXPECT_NE(*byPart[0].begin(), *byPart[1].begin());
  // The hardpoint's hull keeps its own colour.
  const Canvas picture = Draw(scene, ColourBy::Part);
  EXPECT_GT(BlobOf(picture, 1, [](Rgb p) { return p == kHardpointHullColour; }).count, 0);
}

}  // namespace
}  // namespace svcmp::render
