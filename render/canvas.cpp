#include "render/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "render/texture_image.h"

namespace svcmp::render {
namespace {

// Twice the signed area of (a, b, p): which side of the edge a-b the point
// p lies on.
float EdgeValue(const ScreenVertex& a, const ScreenVertex& b, float px, float py) {
  return (b.x - a.x) * (py - a.y) - (b.y - a.y) * (px - a.x);
}

bool IsFinite(const ScreenVertex& corner) {
  return std::isfinite(corner.x) && std::isfinite(corner.y) && std::isfinite(corner.depth) &&
         std::isfinite(corner.shade);
}

std::uint8_t Scaled(std::uint8_t channel, float shade) {
  return static_cast<std::uint8_t>(std::lround(channel * std::clamp(shade, 0.0f, 1.0f)));
}

// Clips the segment p0 + t (p1 - p0), t in [0, 1], to low <= value <= high
// along one axis (Liang-Barsky); false when nothing of it is left.
bool ClipAxis(double start, double delta, double low, double high, double& tEnter, double& tLeave) {
  if (delta == 0) return start >= low && start <= high;
  double t0 = (low - start) / delta;
  double t1 = (high - start) / delta;
  if (t0 > t1) std::swap(t0, t1);
  tEnter = std::max(tEnter, t0);
  tLeave = std::min(tLeave, t1);
  return tEnter <= tLeave;
}

}  // namespace

Canvas::Canvas(int width, int height, Rgb background)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      depth_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), -INFINITY) {
  rgb_.reserve(depth_.size() * 3);
  for (std::size_t i = 0; i < depth_.size(); ++i) {
    rgb_.insert(rgb_.end(), {background.r, background.g, background.b});
  }
}

std::size_t Canvas::Index(int x, int y) const {
  return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
         static_cast<std::size_t>(x);
}

Rgb Canvas::Pixel(int x, int y) const {
  const std::size_t at = Index(x, y) * 3;
  return {rgb_[at], rgb_[at + 1], rgb_[at + 2]};
}

void Canvas::Put(int x, int y, Rgb colour) {
  const std::size_t at = Index(x, y) * 3;
  rgb_[at] = colour.r;
  rgb_[at + 1] = colour.g;
  rgb_[at + 2] = colour.b;
}

float SignedDoubleArea(const std::array<ScreenVertex, 3>& corners) {
  return EdgeValue(corners[0], corners[1], corners[2].x, corners[2].y);
}

template <typename ColourAt>
void Canvas::Rasterize(const std::array<ScreenVertex, 3>& corners, ColourAt colourAt) {
  if (!std::all_of(corners.begin(), corners.end(), IsFinite)) return;
  // Order the corners so that every inside point has three non-negative
  // edge values.
  const float signedArea = SignedDoubleArea(corners);
  const bool counterClockwise = signedArea > 0;
  const ScreenVertex& a = corners[0];
  const ScreenVertex& b = counterClockwise ? corners[1] : corners[2];
  const ScreenVertex& c = counterClockwise ? corners[2] : corners[1];
  const float area = std::fabs(signedArea);
  // Edge-on triangles cover no pixel centre; an infinite area (coordinates
  // near the float range) gives no usable weights either.
  if (!(area > 0) || !std::isfinite(area)) return;

  // Bounds are clamped as floats, so casting them to int is always defined.
  const float right = static_cast<float>(width_ - 1);
  const float bottom = static_cast<float>(height_ - 1);
  const float minX = std::max(std::floor(std::min({a.x, b.x, c.x})), 0.0f);
  const float maxX = std::min(std::ceil(std::max({a.x, b.x, c.x})), right);
  const float minY = std::max(std::floor(std::min({a.y, b.y, c.y})), 0.0f);
  const float maxY = std::min(std::ceil(std::max({a.y, b.y, c.y})), bottom);
  if (minX > maxX || minY > maxY) return;

  const float inverseArea = 1.0f / area;
  for (int y = static_cast<int>(minY); y <= static_cast<int>(maxY); ++y) {
    const float py = static_cast<float>(y) + 0.5f;
    for (int x = static_cast<int>(minX); x <= static_cast<int>(maxX); ++x) {
      const float px = static_cast<float>(x) + 0.5f;
      const float weightA = EdgeValue(b, c, px, py);
      const float weightB = EdgeValue(c, a, px, py);
      const float weightC = EdgeValue(a, b, px, py);
      if (weightA < 0 || weightB < 0 || weightC < 0) continue;
      const float depth = (weightA * a.depth + weightB * b.depth + weightC * c.depth) * inverseArea;
      float& stored = depth_[Index(x, y)];
      if (!(depth > stored)) continue;
      stored = depth;
      const float shade = (weightA * a.shade + weightB * b.shade + weightC * c.shade) * inverseArea;
      const Rgb colour = colourAt(a, b, c, weightA * inverseArea, weightB * inverseArea,
                                  weightC * inverseArea);
      Put(x, y, {Scaled(colour.r, shade), Scaled(colour.g, shade), Scaled(colour.b, shade)});
    }
  }
}

void Canvas::FillTriangle(const std::array<ScreenVertex, 3>& corners, Rgb colour) {
  Rasterize(corners, [colour](const ScreenVertex&, const ScreenVertex&, const ScreenVertex&, float,
                              float, float) { return colour; });
}

void Canvas::FillTriangle(const std::array<ScreenVertex, 3>& corners, const TextureImage& texture,
                          Rgb tint) {
  if (texture.pixels.empty()) return FillTriangle(corners, tint);
  Rasterize(corners, [&texture, tint](const ScreenVertex& a, const ScreenVertex& b,
                                      const ScreenVertex& c, float wa, float wb, float wc) {
    const Rgb texel = texture.Sample(wa * a.u + wb * b.u + wc * c.u, wa * a.v + wb * b.v + wc * c.v);
    return Rgb{static_cast<std::uint8_t>(texel.r * tint.r / 255),
               static_cast<std::uint8_t>(texel.g * tint.g / 255),
               static_cast<std::uint8_t>(texel.b * tint.b / 255)};
  });
}

void Canvas::DrawLine(float x0, float y0, float x1, float y1, Rgb colour) {
  if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) {
    return;
  }
  if (width_ == 0 || height_ == 0) return;
  // Clipped first, so a far-away end costs no more steps than the picture
  // is wide and high. In double: ends may lie anywhere in the float range.
  double tEnter = 0;
  double tLeave = 1;
  const double dx = static_cast<double>(x1) - x0;
  const double dy = static_cast<double>(y1) - y0;
  if (!ClipAxis(x0, dx, 0, width_ - 0.01, tEnter, tLeave) ||
      !ClipAxis(y0, dy, 0, height_ - 0.01, tEnter, tLeave)) {
    return;
  }
  const double startX = x0 + tEnter * dx;
  const double startY = y0 + tEnter * dy;
  const double spanX = x0 + tLeave * dx - startX;
  const double spanY = y0 + tLeave * dy - startY;
  const int steps = static_cast<int>(std::ceil(std::max(std::fabs(spanX), std::fabs(spanY))));
  for (int step = 0; step <= steps; ++step) {
    const double t = steps == 0 ? 0.0 : static_cast<double>(step) / steps;
    const int x = std::clamp(static_cast<int>(startX + t * spanX), 0, width_ - 1);
    const int y = std::clamp(static_cast<int>(startY + t * spanY), 0, height_ - 1);
    Put(x, y, colour);
  }
}

void Canvas::FillRect(int x, int y, int width, int height, Rgb colour) {
  const int left = std::max(x, 0);
  const int top = std::max(y, 0);
  // In 64 bits: a rectangle from a far-away label may end past INT_MAX.
  const auto right = std::min<long long>(static_cast<long long>(x) + width, width_);
  const auto bottom = std::min<long long>(static_cast<long long>(y) + height, height_);
  for (int row = top; row < bottom; ++row) {
    for (int column = left; column < right; ++column) Put(column, row, colour);
  }
}

void Canvas::Paste(const Canvas& other, int x, int y) {
  for (int row = 0; row < other.height_; ++row) {
    const long long targetRow = static_cast<long long>(y) + row;
    if (targetRow < 0 || targetRow >= height_) continue;
    for (int column = 0; column < other.width_; ++column) {
      const long long targetColumn = static_cast<long long>(x) + column;
      if (targetColumn < 0 || targetColumn >= width_) continue;
      Put(static_cast<int>(targetColumn), static_cast<int>(targetRow), other.Pixel(column, row));
    }
  }
}

}  // namespace svcmp::render
