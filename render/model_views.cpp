#include "render/model_views.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "inspect/level_geometry.h"
#include "render/game_views.h"
#include "render/label_layout.h"
#include "render/label_text.h"
#include "render/level_scene.h"

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
constexpr Rgb kCaptionColour{170, 185, 210};
constexpr Rgb kDividerColour{60, 60, 78};
constexpr std::array<Rgb, 3> kAxisColours{{{255, 210, 60}, kHardpointColour, {80, 160, 255}}};

// Light from above, right and in front, in view space; what it misses is
// lit by the ambient share.
constexpr Vector3 kLightDirection{0.4f, 0.7f, 0.6f};
constexpr float kAmbient = 0.35f;
constexpr float kDiffuse = 0.65f;

// A legend never grows the picture by more rows than this; the last one
// then says how many names it leaves out.
constexpr std::size_t kMaxLegendRows = 60;

bool IsFinite(const Vector3& v) {
  return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
}

// The extent of what a view frames, in view space.
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

// Hardpoints this close to the meshes (a share of their larger side) are
// framed with them, so a mark just behind an exhaust is not an arrow.
constexpr float kNearShare = 0.15f;

// The corners of the triangles and the hardpoints near them; only when
// there are no triangles, all hardpoints. Far-away hardpoints (docking
// points, cameras) do not shrink the model: they get arrows at the border.
ViewBox MeasureView(const Scene& scene, const Matrix3& view) {
  ViewBox box;
  for (const SceneMesh& mesh : scene.meshes) {
    for (std::uint32_t index : mesh.indices) {
      if (index < mesh.vertices.size()) box.Add(Rotate(view, mesh.vertices[index].position));
    }
  }
  const bool meshes = !box.IsEmpty();
  // In double: the extent of far-flung vertices may not fit a float.
  const double near =
      meshes ? kNearShare * std::max(static_cast<double>(box.maxX) - box.minX,
                                     static_cast<double>(box.maxY) - box.minY)
             : 0;
  const ViewBox meshBox = box;
  for (const SceneHardpoint& hardpoint : scene.hardpoints) {
    const Vector3 seen = Rotate(view, hardpoint.position);
    if (meshes && !(seen[0] >= meshBox.minX - near && seen[0] <= meshBox.maxX + near &&
                    seen[1] >= meshBox.minY - near && seen[1] <= meshBox.maxY + near)) {
      continue;
    }
    box.Add(seen);
  }
  return box;
}

// Places view space on the picture: the box's centre at the frame's centre,
// as large as the frame lets it be.
struct Placement {
  Matrix3 view;
  float scale = 1;
  float boxCentreX = 0;
  float boxCentreY = 0;
  float frameCentreX = 0;
  float frameCentreY = 0;
  float modelPixels = 0;  // the larger side of the framed box, in pixels
  float backFaceGiveWay = 0;  // depth, a small share of the model's size

  Placement(const Matrix3& rotation, const ViewBox& box, const PixelBox& frame) : view(rotation) {
    frameCentreX = static_cast<float>(frame.x) + static_cast<float>(frame.width) / 2;
    frameCentreY = static_cast<float>(frame.y) + static_cast<float>(frame.height) / 2;
    if (box.IsEmpty()) return;
    boxCentreX = box.minX / 2 + box.maxX / 2;
    boxCentreY = box.minY / 2 + box.maxY / 2;
    // In double: the extent of far-flung vertices may not fit a float.
    const double spanX = static_cast<double>(box.maxX) - box.minX;
    const double spanY = static_cast<double>(box.maxY) - box.minY;
    double fit = std::numeric_limits<double>::max();
    if (spanX > 0) fit = std::min(fit, frame.width / spanX);
    if (spanY > 0) fit = std::min(fit, frame.height / spanY);
    if (fit == std::numeric_limits<double>::max()) return;
    scale = static_cast<float>(fit);
    modelPixels = static_cast<float>(std::max(spanX, spanY) * fit);
    backFaceGiveWay = static_cast<float>(std::max(spanX, spanY) * 1e-4);
  }

  ScreenVertex Project(const Vector3& position, float shade) const {
    const Vector3 seen = Rotate(view, position);
    return {frameCentreX + (seen[0] - boxCentreX) * scale,
            frameCentreY - (seen[1] - boxCentreY) * scale, seen[2], shade};
  }
};

float Shade(const Vector3& seenNormal) {
  const float length = std::hypot(kLightDirection[0], kLightDirection[1], kLightDirection[2]);
  const float facing = (seenNormal[0] * kLightDirection[0] + seenNormal[1] * kLightDirection[1] +
                        seenNormal[2] * kLightDirection[2]) /
                       length;
  return kAmbient + kDiffuse * std::clamp(facing, 0.0f, 1.0f);
}

// A colour for each part, none of them near the back faces' red; past the
// last, the colours come round again darker.
constexpr std::array<Rgb, 10> kPartColours{{
    {90, 150, 230},   // blue
    {230, 170, 50},   // amber
    {80, 190, 120},   // green
    {170, 120, 220},  // violet
    {60, 190, 200},   // cyan
    {210, 210, 90},   // yellow
    {230, 130, 190},  // pink
    {150, 170, 90},   // olive
    {200, 200, 215},  // silver
    {200, 150, 110},  // tan
}};

Rgb PartColour(std::size_t part) {
  const Rgb colour = kPartColours[part % kPartColours.size()];
  const auto darker = static_cast<int>(part / kPartColours.size() % 3);
  const auto dim = [darker](std::uint8_t channel) {
    return static_cast<std::uint8_t>(channel * (4 - darker) / 4);
  };
  return {dim(colour.r), dim(colour.g), dim(colour.b)};
}

// How each mesh is coloured: by part, by the material's look (texture and
// colour) where the scene has it, else by material id in order of first
// appearance.
class Surfaces {
 public:
  Surfaces(const Scene& scene, ColourBy colourBy) : scene_(scene), colourBy_(colourBy) {}

  SurfaceLook LookOf(const SceneMesh& mesh) {
    if (colourBy_ == ColourBy::Part) return {PartColour(mesh.part), nullptr};
    const auto look = scene_.looks.find(mesh.materialId);
    if (look != scene_.looks.end()) return look->second;
    const auto [entry, added] = slots_.try_emplace(mesh.materialId, slots_.size());
    return {kMaterialColours[entry->second % kMaterialColours.size()], nullptr};
  }

 private:
  const Scene& scene_;
  ColourBy colourBy_;
  std::map<std::uint32_t, std::size_t> slots_;
};

// The triangles a view sees from the front, from behind and edge-on; those
// without an area are none of these.
struct FaceCounts {
  std::size_t front = 0;
  std::size_t back = 0;
  std::size_t edgeOn = 0;
};

void DrawMesh(Canvas& canvas, const SceneMesh& mesh, const Placement& placement,
              const SurfaceLook& look, FaceCounts& counts) {
  // Each vertex once, with the shade for either side of its faces.
  std::vector<ScreenVertex> front(mesh.vertices.size());
  std::vector<float> backShade(mesh.vertices.size());
  for (std::size_t i = 0; i < mesh.vertices.size(); ++i) {
    const SceneVertex& vertex = mesh.vertices[i];
    const Vector3 seenNormal = Rotate(placement.view, vertex.normal);
    front[i] = placement.Project(vertex.position, Shade(seenNormal));
    front[i].u = vertex.texture[0];
    front[i].v = vertex.texture[1];
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
    const float area = SignedDoubleArea(corners);
    if (area < 0) {
      ++counts.front;
      if (look.texture) {
        canvas.FillTriangle(corners, *look.texture, look.colour);
      } else {
        canvas.FillTriangle(corners, look.colour);
      }
    } else if (!(area > 0)) {
      // Edge-on, unless the triangle has no area at all (or no finite corners).
      const bool hasArea = area == 0 && HasArea(mesh.vertices[at[0]].position,
                                                 mesh.vertices[at[1]].position,
                                                 mesh.vertices[at[2]].position);
      counts.edgeOn += hasArea ? 1 : 0;
    } else {
      ++counts.back;
      // A face seen from behind gives way to a front face in the same
      // place: a flat slab (both sides on one plane) shows its front.
      for (std::size_t k = 0; k < 3; ++k) {
        corners[k].shade = backShade[at[k]];
        corners[k].depth -= placement.backFaceGiveWay;
      }
      canvas.FillTriangle(corners, kBackFaceColour);
    }
  }
}

// A view that sees every face edge-on (a flat model from its side) would
// be blank: it draws each triangle as the line it is seen as.
void DrawEdgeOnLines(Canvas& canvas, const SceneMesh& mesh, const Placement& placement, Rgb colour) {
  for (std::size_t first = 0; first + 2 < mesh.indices.size(); first += 3) {
    std::array<ScreenVertex, 3> corners;
    bool inRange = true;
    for (std::size_t k = 0; k < 3 && inRange; ++k) {
      const std::uint32_t at = mesh.indices[first + k];
      inRange = at < mesh.vertices.size();
      if (inRange) corners[k] = placement.Project(mesh.vertices[at].position, 1);
    }
    for (std::size_t k = 0; k < 3 && inRange; ++k) {
      const ScreenVertex& a = corners[k];
      const ScreenVertex& b = corners[(k + 1) % 3];
      canvas.DrawLine(a.x, a.y, b.x, b.y, colour);
    }
  }
}

Rgb OutlineColour(OutlineKind kind) {
  switch (kind) {
    case OutlineKind::Hull:
      return kHullOutlineColour;
    case OutlineKind::HardpointHull:
      return kHardpointHullColour;
    case OutlineKind::Wire:
      return kWireColour;
  }
  return kHullOutlineColour;
}

void DrawOutlines(Canvas& canvas, const Scene& scene, const Placement& placement,
                  ColourBy colourBy) {
  for (const SceneOutline& outline : scene.outlines) {
    Rgb colour = OutlineColour(outline.kind);
    if (colourBy == ColourBy::Part && outline.kind == OutlineKind::Hull) {
      colour = PartColour(outline.part);
    }
    for (const auto& edge : outline.edges) {
      const ScreenVertex a = placement.Project(edge[0], 1);
      const ScreenVertex b = placement.Project(edge[1], 1);
      canvas.DrawLine(a.x, a.y, b.x, b.y, colour);
    }
  }
}

// Pixel coordinates beyond int's range are left to the canvas's clipping.
int Pixel(float value) { return static_cast<int>(std::clamp(value, -1e6f, 1e6f)); }

// Where a label may go beside a point: right, left, above and below it.
std::array<PixelBox, 6> CandidatesBeside(int x, int y, int gap, int width, int height) {
  return {{{x + gap, y + gap / 2, width, height},
           {x + gap, y - gap / 2 - height, width, height},
           {x - gap - width, y + gap / 2, width, height},
           {x - gap - width, y - gap / 2 - height, width, height},
           {x - width / 2, y - gap - height, width, height},
           {x - width / 2, y + gap, width, height}}};
}

struct HardpointStyle {
  int textScale = 1;
  int markerHalf = 1;
  float axisLength = 4;
  int arrowLength = 8;
};

// A hardpoint drawn: where its name may go.
struct Marked {
  const SceneHardpoint* hardpoint;
  int x;
  int y;
};

// Two strokes a third of a turn apart, `side` long, back from the tip of
// an arrow pointing along (dx, dy), a direction of length 1.
void DrawArrowHead(Canvas& canvas, float tipX, float tipY, float dx, float dy, float side,
                   Rgb colour) {
  canvas.DrawLine(tipX, tipY, tipX - side * (dx * 0.87f - dy * 0.5f),
                  tipY - side * (dy * 0.87f + dx * 0.5f), colour);
  canvas.DrawLine(tipX, tipY, tipX - side * (dx * 0.87f + dy * 0.5f),
                  tipY - side * (dy * 0.87f - dx * 0.5f), colour);
}

// An arrow at the border of `inside` pointing from its centre towards
// (x, y), which lies outside it; its tail is where the name goes.
Marked DrawBorderArrow(Canvas& canvas, const SceneHardpoint& hardpoint, float x, float y,
                       const PixelBox& inside, const HardpointStyle& style) {
  const float centreX = static_cast<float>(inside.x) + static_cast<float>(inside.width) / 2;
  const float centreY = static_cast<float>(inside.y) + static_cast<float>(inside.height) / 2;
  // In double: the point may lie anywhere in the float range.
  double dx = static_cast<double>(x) - centreX;
  double dy = static_cast<double>(y) - centreY;
  const double length = std::hypot(dx, dy);
  dx /= length;
  dy /= length;
  double reach = std::numeric_limits<double>::max();
  if (dx != 0) reach = std::min(reach, inside.width / 2.0 / std::fabs(dx));
  if (dy != 0) reach = std::min(reach, inside.height / 2.0 / std::fabs(dy));
  const auto tipX = static_cast<float>(centreX + reach * dx);
  const auto tipY = static_cast<float>(centreY + reach * dy);
  const auto back = static_cast<float>(style.arrowLength);
  const float tailX = tipX - back * static_cast<float>(dx);
  const float tailY = tipY - back * static_cast<float>(dy);
  canvas.DrawLine(tailX, tailY, tipX, tipY, kHardpointColour);
  DrawArrowHead(canvas, tipX, tipY, static_cast<float>(dx), static_cast<float>(dy), back / 2,
                kHardpointColour);
  return {&hardpoint, Pixel(tailX), Pixel(tailY)};
}

Marked DrawMark(Canvas& canvas, const SceneHardpoint& hardpoint, const ScreenVertex& at,
                const Placement& placement, const HardpointStyle& style) {
  for (std::size_t axis = 0; axis < 3; ++axis) {
    // A column of the orientation: where the hardpoint's own axis points.
    const Vector3 direction{hardpoint.orientation[axis], hardpoint.orientation[3 + axis],
                            hardpoint.orientation[6 + axis]};
    const float length = std::hypot(direction[0], direction[1], direction[2]);
    if (!(length > 0) || !std::isfinite(length)) continue;
    const Vector3 seen = Rotate(placement.view, direction);
    canvas.DrawLine(at.x, at.y, at.x + seen[0] / length * style.axisLength,
                    at.y - seen[1] / length * style.axisLength, kAxisColours[axis]);
  }
  const int half = style.markerHalf;
  canvas.FillRect(Pixel(at.x) - half, Pixel(at.y) - half, 2 * half + 1, 2 * half + 1,
                  kHardpointColour);
  return {&hardpoint, Pixel(at.x), Pixel(at.y)};
}

// Keeps labels off the block around a mark at (x, y).
int BlockHalf(const HardpointStyle& style) { return std::max(style.markerHalf, 1) + 1; }
void BlockMark(LabelLayout& layout, int x, int y, const HardpointStyle& style) {
  const int half = BlockHalf(style);
  layout.Block({x - half, y - half, 2 * half + 1, 2 * half + 1});
}

// A joint drawn: where its label may go.
struct MarkedJoint {
  const SceneJoint* joint;
  int x;
  int y;
};

// Each joint's pivot: a hollow square for Fix (it does not move, but where
// it holds its part shows), a filled one for the others; Rev and Pris get an
// arrow along their axis, twice a hardpoint axis long.
std::vector<MarkedJoint> DrawJoints(Canvas& canvas, const Scene& scene,
                                    const Placement& placement, const HardpointStyle& style,
                                    LabelLayout& layout) {
  std::vector<MarkedJoint> marked;
  for (const SceneJoint& joint : scene.joints) {
    const ScreenVertex at = placement.Project(joint.pivot, 1);
    if (!std::isfinite(at.x) || !std::isfinite(at.y)) continue;
    const Vector3 seen = Rotate(placement.view, joint.axis);
    const float across = std::hypot(seen[0], seen[1]);
    // An axis seen end-on is the mark alone.
    if (across * style.axisLength >= 1) {
      const float length = 2 * style.axisLength;
      const float tipX = at.x + seen[0] * length;
      const float tipY = at.y - seen[1] * length;
      canvas.DrawLine(at.x, at.y, tipX, tipY, kJointColour);
      DrawArrowHead(canvas, tipX, tipY, seen[0] / across, -seen[1] / across,
                    static_cast<float>(style.arrowLength) / 2, kJointColour);
    }
    const int half = style.markerHalf + 1;
    const int x = Pixel(at.x);
    const int y = Pixel(at.y);
    if (joint.kind == SceneJointKind::Fix) {
      canvas.FillRect(x - half, y - half, 2 * half + 1, 1, kJointColour);
      canvas.FillRect(x - half, y + half, 2 * half + 1, 1, kJointColour);
      canvas.FillRect(x - half, y - half, 1, 2 * half + 1, kJointColour);
      canvas.FillRect(x + half, y - half, 1, 2 * half + 1, kJointColour);
    } else {
      canvas.FillRect(x - half, y - half, 2 * half + 1, 2 * half + 1, kJointColour);
      marked.push_back({&joint, x, y});
    }
    BlockMark(layout, x, y, style);
  }
  return marked;
}

// Writes the joints' labels that fit; the others are left out.
void LabelJoints(Canvas& canvas, const std::vector<MarkedJoint>& marked,
                 const HardpointStyle& style, LabelLayout& layout) {
  const int height = kLabelLineHeight * style.textScale;
  for (const MarkedJoint& mark : marked) {
    const int width = LabelWidth(mark.joint->label, style.textScale);
    const auto candidates = CandidatesBeside(mark.x, mark.y, BlockHalf(style) + 1, width, height);
    if (const auto box = layout.Place(candidates)) {
      DrawLabel(canvas, box->x, box->y - style.textScale, mark.joint->label, kJointColour,
                style.textScale);
    }
  }
}

// Marks every hardpoint (an arrow at the border for those outside `frame`).
std::vector<Marked> MarkHardpoints(Canvas& canvas, const Scene& scene, const Placement& placement,
                                   const PixelBox& frame, const HardpointStyle& style,
                                   LabelLayout& layout) {
  std::vector<Marked> marked;
  for (const SceneHardpoint& hardpoint : scene.hardpoints) {
    const ScreenVertex at = placement.Project(hardpoint.position, 1);
    if (!std::isfinite(at.x) || !std::isfinite(at.y)) continue;
    const bool inside = at.x >= static_cast<float>(frame.x) &&
                        at.x <= static_cast<float>(frame.x + frame.width) &&
                        at.y >= static_cast<float>(frame.y) &&
                        at.y <= static_cast<float>(frame.y + frame.height);
    marked.push_back(inside ? DrawMark(canvas, hardpoint, at, placement, style)
                            : DrawBorderArrow(canvas, hardpoint, at.x, at.y, frame, style));
    BlockMark(layout, marked.back().x, marked.back().y, style);
  }
  return marked;
}

// Writes the names of the marked hardpoints that fit; returns those left out.
std::vector<const SceneHardpoint*> LabelHardpoints(Canvas& canvas,
                                                   const std::vector<Marked>& marked,
                                                   const HardpointStyle& style,
                                                   LabelLayout& layout) {
  std::vector<const SceneHardpoint*> leftOut;
  const int height = kLabelLineHeight * style.textScale;
  for (const Marked& mark : marked) {
    const int width = LabelWidth(mark.hardpoint->name, style.textScale);
    const auto candidates = CandidatesBeside(mark.x, mark.y, BlockHalf(style) + 1, width, height);
    if (const auto box = layout.Place(candidates)) {
      // The font's glyphs sit a pixel below the top of their line.
      DrawLabel(canvas, box->x, box->y - style.textScale, mark.hardpoint->name, kLabelColour,
                style.textScale);
    } else {
      leftOut.push_back(mark.hardpoint);
    }
  }
  return leftOut;
}

std::string Caption(const ViewOptions& options, std::string_view view, const FaceCounts& faces) {
  std::string caption = options.title.empty() ? "" : options.title + ", ";
  caption += view;
  if (faces.front == 0 && faces.back > 0) caption += ": only back faces seen";
  if (faces.front == 0 && faces.back == 0 && faces.edgeOn > 0) caption += ": seen edge-on";
  return caption;
}

// One entry of the legend under the views, with a colour swatch or none.
struct LegendEntry {
  std::string text;
  std::optional<Rgb> swatch;
};

std::vector<LegendEntry> LegendOf(const Scene& scene, const ViewOptions& options,
                                  const std::vector<const SceneHardpoint*>& leftOut) {
  std::vector<LegendEntry> entries;
  const bool byPart = options.colourBy == ColourBy::Part;
  if (byPart) {
    std::set<std::size_t> drawn;
    for (const SceneMesh& mesh : scene.meshes) drawn.insert(mesh.part);
    for (const SceneOutline& outline : scene.outlines) {
      if (outline.kind == OutlineKind::Hull) drawn.insert(outline.part);
    }
    for (std::size_t part : drawn) {
      const std::string name = part < scene.partNames.size() ? scene.partNames[part] : "?";
      entries.push_back({name, PartColour(part)});
    }
  }
  for (const auto& [kind, text] :
       {std::pair{OutlineKind::Hull, "collision hulls"},
        std::pair{OutlineKind::HardpointHull, "hardpoint hulls"},
        std::pair{OutlineKind::Wire, "wires (the target display's outline)"}}) {
    if (std::any_of(scene.outlines.begin(), scene.outlines.end(),
                    [kind](const SceneOutline& o) { return o.kind == kind; })) {
      if (kind == OutlineKind::Hull && byPart) {
        entries.push_back({"collision hulls in their part's colour", std::nullopt});
      } else {
        entries.push_back({text, OutlineColour(kind)});
      }
    }
  }
  if (options.joints && !scene.joints.empty()) {
    entries.push_back({"joints: pivot, axis (hollow: fix)", kJointColour});
  }
  if (options.labels == LabelMode::All && !leftOut.empty()) {
    entries.push_back({"not labelled in every view:", std::nullopt});
    std::set<const SceneHardpoint*> listed(leftOut.begin(), leftOut.end());
    std::multiset<std::string> names;
    for (const SceneHardpoint* hardpoint : listed) names.insert(hardpoint->name);
    for (const std::string& name : names) entries.push_back({name, std::nullopt});
  }
  return entries;
}

// The legend's entries in columns across `width`, at most kMaxLegendRows
// rows; the picture of it is empty without entries.
Canvas DrawLegend(std::vector<LegendEntry> entries, int width, int textScale) {
  if (entries.empty() || width <= 0) return Canvas(width, 0, kBackgroundColour);
  const int lineHeight = (kLabelLineHeight + 2) * textScale;
  const int swatch = (kLabelLineHeight - 4) * textScale;
  const int pad = 4 * textScale;
  int columnWidth = 0;
  for (const LegendEntry& entry : entries) {
    columnWidth = std::max(columnWidth, LabelWidth(entry.text, textScale) + swatch + 3 * pad);
  }
  const auto columns = static_cast<std::size_t>(std::max(1, width / std::max(columnWidth, 1)));
  const std::size_t capacity = columns * kMaxLegendRows;
  if (entries.size() > capacity) {
    const std::size_t dropped = entries.size() - capacity + 1;
    entries.resize(capacity - 1);
    entries.push_back({"and " + std::to_string(dropped) + " more", std::nullopt});
  }
  const std::size_t rows = (entries.size() + columns - 1) / columns;
  Canvas legend(width, static_cast<int>(rows) * lineHeight + 2 * pad, kBackgroundColour);
  legend.FillRect(0, 0, width, 1, kDividerColour);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const int x = pad + static_cast<int>(i / rows) * columnWidth;
    const int y = pad + static_cast<int>(i % rows) * lineHeight;
    int textX = x;
    if (entries[i].swatch) {
      legend.FillRect(x, y + textScale, swatch, swatch, *entries[i].swatch);
      textX += swatch + pad;
    }
    DrawLabel(legend, textX, y, entries[i].text, kLabelColour, textScale);
  }
  return legend;
}

}  // namespace

Canvas RenderModelViews(const Scene& scene, int width, int height, const ViewOptions& options) {
  const int viewWidth = width / static_cast<int>(kGameViews.size());
  if (viewWidth <= 0 || height <= 0) return Canvas(width, height, kBackgroundColour);

  HardpointStyle style;
  style.textScale = std::max(1, std::min(viewWidth, height) / 400);
  const int lineHeight = kLabelLineHeight * style.textScale;
  // The caption above the frame, the count of names left out below it, and
  // room around it for the arrows to hardpoints outside.
  style.arrowLength = 8 * style.textScale;
  const int margin = style.arrowLength + 2;
  const PixelBox textArea{2, lineHeight + 2, viewWidth - 4, height - 2 * lineHeight - 4};
  const PixelBox frame{margin, textArea.y + margin, std::max(viewWidth - 2 * margin, 1),
                       std::max(textArea.height - 2 * margin, 1)};

  Surfaces surfaces(scene, options.colourBy);
  std::vector<const SceneHardpoint*> leftOut;
  // One view at a time, each with its depth buffer, pasted into the strip.
  Canvas strip(width, height, kBackgroundColour);
  for (std::size_t v = 0; v < kGameViews.size(); ++v) {
    const GameView& game = kGameViews[v];
    const Placement placement(game.rotation, MeasureView(scene, game.rotation), frame);
    // Marks and axes grow with the model on the screen, within bounds.
    style.markerHalf = std::clamp(static_cast<int>(placement.modelPixels / 150), 1,
                                  2 * style.textScale);
    style.axisLength = std::clamp(placement.modelPixels * 0.06f, 3.0f,
                                  0.08f * static_cast<float>(std::min(viewWidth, height)));

    Canvas view(viewWidth, height, kBackgroundColour);
    FaceCounts faces;
    for (const SceneMesh& mesh : options.linesOnly ? std::span<const SceneMesh>{} : scene.meshes) {
      DrawMesh(view, mesh, placement, surfaces.LookOf(mesh), faces);
    }
    if (faces.front == 0 && faces.back == 0 && faces.edgeOn > 0) {
      for (const SceneMesh& mesh : scene.meshes) {
        DrawEdgeOnLines(view, mesh, placement, surfaces.LookOf(mesh).colour);
      }
    }
    DrawOutlines(view, scene, placement, options.colourBy);
    LabelLayout layout(textArea);
    const std::vector<MarkedJoint> joints =
        options.joints ? DrawJoints(view, scene, placement, style, layout)
                       : std::vector<MarkedJoint>{};
    // The outlines alone show no hardpoints.
    const std::vector<Marked> marked =
        options.linesOnly ? std::vector<Marked>{}
                          : MarkHardpoints(view, scene, placement, frame, style, layout);
    std::vector<const SceneHardpoint*> missed;
    if (options.labels != LabelMode::None) {
      LabelJoints(view, joints, style, layout);
      missed = LabelHardpoints(view, marked, style, layout);
    }
    leftOut.insert(leftOut.end(), missed.begin(), missed.end());
    DrawLabel(view, 4, 2, Caption(options, game.caption, faces), kCaptionColour, style.textScale);
    if (!missed.empty()) {
      const std::string count = std::to_string(missed.size()) +
                                (missed.size() == 1 ? " name" : " names") +
                                (options.labels == LabelMode::All ? " in the legend"
                                                                  : " left out");
      DrawLabel(view, 4, height - lineHeight - 1, count, kCaptionColour, style.textScale);
    }
    const int left = static_cast<int>(v) * viewWidth;
    strip.Paste(view, left, 0);
    if (v > 0) strip.FillRect(left, 0, 1, height, kDividerColour);
  }

  const Canvas legend = DrawLegend(LegendOf(scene, options, leftOut), width, style.textScale);
  if (legend.height() == 0) return strip;
  Canvas picture(width, height + legend.height(), kBackgroundColour);
  picture.Paste(strip, 0, 0);
  picture.Paste(legend, 0, height);
  return picture;
}

}  // namespace svcmp::render
