#include "render/model_views.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <map>
#include <numbers>

#include "inspect/level_geometry.h"
#include "render/label_text.h"

namespace svcmp::render {
namespace {

constexpr std::array<Rgb, 8> kMaterialColours{{
    {150, 160, 175},  // slate
    {220, 130, 40},   // orange
    {70, 160, 170},   // teal
    {200, 180, 120},  // sand
    {140, 110, 190},  // violet
    {140, 150, 70},   // olive
    {170, 110, 90},   // brick
    {100, 110, 130},  // steel
}};
constexpr Rgb kLabelColour{235, 235, 235};
constexpr std::array<Rgb, 3> kAxisColours{{{255, 210, 60}, kHardpointColour, {80, 160, 255}}};

// Light from above, right and in front, in view space; what it misses is
// lit by the ambient share.
constexpr Vector3 kLightDirection{0.4f, 0.7f, 0.6f};
constexpr float kAmbient = 0.35f;
constexpr float kDiffuse = 0.65f;
constexpr float kFillShare = 0.85f;  // of the view the model may cover

// Where a view looks from, as turns of the model in the modelling host's
// frame: about the vertical axis, then about the horizontal one.
struct ViewAngles {
  float yawDegrees;
  float pitchDegrees;
};
constexpr std::array<ViewAngles, 3> kViews{{
    {-140, 30},  // three-quarter: from behind, above and to the left
    {180, 90},   // top, nose up
    {90, 0},     // side, from the right
}};

// From the file's coordinates to view space (x right, y up, z towards the
// viewer). The export's default fix turned the model about its x axis by
// half a turn; turning it back first shows it as it was built.
Matrix3 ViewMatrix(const ViewAngles& angles) {
  const float yaw = angles.yawDegrees * std::numbers::pi_v<float> / 180;
  const float pitch = angles.pitchDegrees * std::numbers::pi_v<float> / 180;
  const Matrix3 undoFix{1, 0, 0, 0, -1, 0, 0, 0, -1};
  const Matrix3 turnYaw{std::cos(yaw), 0, std::sin(yaw), 0, 1, 0, -std::sin(yaw), 0, std::cos(yaw)};
  const Matrix3 turnPitch{
      1, 0, 0, 0, std::cos(pitch), -std::sin(pitch), 0, std::sin(pitch), std::cos(pitch)};
  return MultiplyMatrices(turnPitch, MultiplyMatrices(turnYaw, undoFix));
}

bool IsFinite(const Vector3& v) {
  return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

// The extent of everything drawn, seen through one view.
struct ViewBox {
  float minX = std::numeric_limits<float>::max();
  float maxX = std::numeric_limits<float>::lowest();
  float minY = std::numeric_limits<float>::max();
  float maxY = std::numeric_limits<float>::lowest();

  void Add(const Vector3& seen) {
    if (!IsFinite(seen)) return;
    minX = std::min(minX, seen[0]);
    maxX = std::max(maxX, seen[0]);
    minY = std::min(minY, seen[1]);
    maxY = std::max(maxY, seen[1]);
  }
  bool IsEmpty() const { return minX > maxX; }
};

ViewBox MeasureView(const Scene& scene, const Matrix3& view) {
  ViewBox box;
  for (const SceneMesh& mesh : scene.meshes) {
    for (const SceneVertex& vertex : mesh.vertices) box.Add(Rotate(view, vertex.position));
  }
  for (const SceneHardpoint& hardpoint : scene.hardpoints) {
    box.Add(Rotate(view, hardpoint.position));
  }
  return box;
}

// Pixels per model unit that fit `box` into a view of this size; a model
// without extent (one point, or nothing) gets 1.
float FitScale(const ViewBox& box, int width, int height) {
  if (box.IsEmpty()) return 1;
  // In double: the extent of far-flung vertices may not fit a float.
  const double spanX = static_cast<double>(box.maxX) - box.minX;
  const double spanY = static_cast<double>(box.maxY) - box.minY;
  double scale = std::numeric_limits<double>::max();
  if (spanX > 0) scale = std::min(scale, kFillShare * width / spanX);
  if (spanY > 0) scale = std::min(scale, kFillShare * height / spanY);
  return scale == std::numeric_limits<double>::max() ? 1.0f : static_cast<float>(scale);
}

// Places view space on the picture: the box's centre at the view's centre.
struct Placement {
  Matrix3 view;
  float scale;
  float centreX;  // of the box, in view space
  float centreY;
  float viewWidth;
  float viewHeight;

  ScreenVertex Project(const Vector3& position, float shade) const {
    const Vector3 seen = Rotate(view, position);
    return {viewWidth / 2 + (seen[0] - centreX) * scale,
            viewHeight / 2 - (seen[1] - centreY) * scale, seen[2], shade};
  }
};

float Shade(const Vector3& seenNormal) {
  const float length = std::hypot(kLightDirection[0], kLightDirection[1], kLightDirection[2]);
  const float facing = (seenNormal[0] * kLightDirection[0] + seenNormal[1] * kLightDirection[1] +
                        seenNormal[2] * kLightDirection[2]) /
                       length;
  return kAmbient + kDiffuse * std::clamp(facing, 0.0f, 1.0f);
}

// Colours by first appearance of each material id.
class MaterialPalette {
 public:
  Rgb ColourOf(std::uint32_t materialId) {
    const auto [entry, added] = slots_.try_emplace(materialId, slots_.size());
    return kMaterialColours[entry->second % kMaterialColours.size()];
  }

 private:
  std::map<std::uint32_t, std::size_t> slots_;
};

void DrawMesh(Canvas& canvas, const SceneMesh& mesh, const Placement& placement, Rgb colour) {
  // Each vertex once, with the shade for either side of its faces.
  std::vector<ScreenVertex> front(mesh.vertices.size());
  std::vector<float> backShade(mesh.vertices.size());
  for (std::size_t i = 0; i < mesh.vertices.size(); ++i) {
    const Vector3 seenNormal = Rotate(placement.view, mesh.vertices[i].normal);
    front[i] = placement.Project(mesh.vertices[i].position, Shade(seenNormal));
    backShade[i] = Shade({-seenNormal[0], -seenNormal[1], -seenNormal[2]});
  }
  for (std::size_t first = 0; first + 2 < mesh.indices.size(); first += 3) {
    std::array<ScreenVertex, 3> corners;
    std::array<std::size_t, 3> at{};
    bool inRange = true;
    for (std::size_t k = 0; k < 3; ++k) {
      at[k] = mesh.indices[first + k];
      inRange = inRange && at[k] < front.size();
    }
    if (!inRange) continue;
    for (std::size_t k = 0; k < 3; ++k) corners[k] = front[at[k]];
    // Counter-clockwise as the viewer sees it is the outside of a face.
    if (SignedDoubleArea(corners) < 0) {
      canvas.FillTriangle(corners, colour);
    } else {
      for (std::size_t k = 0; k < 3; ++k) corners[k].shade = backShade[at[k]];
      canvas.FillTriangle(corners, kBackFaceColour);
    }
  }
}

void DrawHardpoint(Canvas& canvas, const SceneHardpoint& hardpoint, const Placement& placement,
                   int textScale) {
  const ScreenVertex at = placement.Project(hardpoint.position, 1);
  if (!std::isfinite(at.x) || !std::isfinite(at.y)) return;
  const float axisLength = 0.08f * std::min(placement.viewWidth, placement.viewHeight);
  for (std::size_t axis = 0; axis < 3; ++axis) {
    // A column of the orientation: where the hardpoint's own axis points.
    const Vector3 direction{hardpoint.orientation[axis], hardpoint.orientation[3 + axis],
                            hardpoint.orientation[6 + axis]};
    const float length = std::hypot(direction[0], direction[1], direction[2]);
    if (!(length > 0) || !std::isfinite(length)) continue;
    const Vector3 seen = Rotate(placement.view, direction);
    canvas.DrawLine(at.x, at.y, at.x + seen[0] / length * axisLength,
                    at.y - seen[1] / length * axisLength, kAxisColours[axis]);
  }
  // Coordinates beyond int's range are left to the canvas's clipping.
  const auto pixel = [](float value) { return static_cast<int>(std::clamp(value, -1e6f, 1e6f)); };
  const int markerHalf = 2 * textScale;
  canvas.FillRect(pixel(at.x) - markerHalf, pixel(at.y) - markerHalf, 2 * markerHalf + 1,
                  2 * markerHalf + 1, kHardpointColour);
  DrawLabel(canvas, pixel(at.x) + 2 * markerHalf, pixel(at.y) + markerHalf, hardpoint.name,
            kLabelColour, textScale);
}

}  // namespace

Canvas RenderModelViews(const Scene& scene, int width, int height) {
  Canvas picture(width, height, kBackgroundColour);
  const int viewWidth = width / static_cast<int>(kViews.size());
  if (viewWidth <= 0 || height <= 0) return picture;

  std::array<Matrix3, kViews.size()> views{};
  std::array<ViewBox, kViews.size()> boxes{};
  float scale = std::numeric_limits<float>::max();
  for (std::size_t v = 0; v < kViews.size(); ++v) {
    views[v] = ViewMatrix(kViews[v]);
    boxes[v] = MeasureView(scene, views[v]);
    scale = std::min(scale, FitScale(boxes[v], viewWidth, height));
  }

  const int textScale = std::max(1, height / 400);
  MaterialPalette palette;
  for (std::size_t v = 0; v < kViews.size(); ++v) {
    const ViewBox& box = boxes[v];
    const Placement placement{views[v],
                              scale,
                              box.IsEmpty() ? 0 : (box.minX + box.maxX) / 2,
                              box.IsEmpty() ? 0 : (box.minY + box.maxY) / 2,
                              static_cast<float>(viewWidth),
                              static_cast<float>(height)};
    Canvas view(viewWidth, height, kBackgroundColour);
    for (const SceneMesh& mesh : scene.meshes) {
      DrawMesh(view, mesh, placement, palette.ColourOf(mesh.materialId));
    }
    for (const SceneHardpoint& hardpoint : scene.hardpoints) {
      DrawHardpoint(view, hardpoint, placement, textScale);
    }
    picture.Paste(view, static_cast<int>(v) * viewWidth, 0);
  }
  return picture;
}

}  // namespace svcmp::render
