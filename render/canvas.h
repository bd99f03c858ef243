#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace svcmp::render {

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  bool operator==(const Rgb&) const = default;
};

// A triangle corner in pixel coordinates (x right, y down, pixel centres at
// .5); a larger depth is nearer. `shade` (0 to 1) scales the colour and is
// interpolated across the triangle.
struct ScreenVertex {
  float x = 0;
  float y = 0;
  float depth = 0;
  float shade = 1;
  float u = 0;  // texture coordinates, interpolated for textured triangles
  float v = 0;
};

struct TextureImage;

// An RGB picture with a depth buffer. Every drawing call clips to the
// picture and passes over corners that are not finite numbers, so geometry
// from any file draws without reaching outside the buffers.
class Canvas {
 public:
  Canvas(int width, int height, Rgb background);

  int width() const { return width_; }
  int height() const { return height_; }
  Rgb Pixel(int x, int y) const;
  // Rows from the top, three bytes per pixel.
  std::span<const std::uint8_t> RgbBytes() const { return rgb_; }

  // Depth-tested: a pixel takes the triangle where it is nearer than what
  // is there. Either winding fills.
  void FillTriangle(const std::array<ScreenVertex, 3>& corners, Rgb colour);
  // The same with the texture's nearest texel times `tint` as the colour.
  void FillTriangle(const std::array<ScreenVertex, 3>& corners, const TextureImage& texture,
                    Rgb tint);
  // Drawn over everything, one pixel wide.
  void DrawLine(float x0, float y0, float x1, float y1, Rgb colour);
  // Drawn over everything.
  void FillRect(int x, int y, int width, int height, Rgb colour);
  // Copies the colours of `other` with its top-left corner at (x, y).
  void Paste(const Canvas& other, int x, int y);

 private:
  std::size_t Index(int x, int y) const;
  // Rasterizes with `colourAt(weightA, weightB, weightC)` giving each covered
  // pixel's colour before shading; the weights sum to 1.
  template <typename ColourAt>
  void Rasterize(const std::array<ScreenVertex, 3>& corners, ColourAt colourAt);
  void Put(int x, int y, Rgb colour);

  int width_;
  int height_;
  std::vector<std::uint8_t> rgb_;
  std::vector<float> depth_;
};

// Twice the signed area of the triangle in pixel coordinates: negative when
// the corners run counter-clockwise as the viewer sees them (y up).
float SignedDoubleArea(const std::array<ScreenVertex, 3>& corners);

}  // namespace svcmp::render
