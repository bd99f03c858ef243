#include "render/png_encoder.h"

// Static functions and no stdio: this file's private copy of the encoder,
// writing to memory; the file itself is written by our own safe replacement.
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

namespace svcmp::render {
namespace {

void AppendBytes(void* context, void* data, int size) {
  auto& bytes = *static_cast<std::vector<std::uint8_t>*>(context);
  const auto* begin = static_cast<const std::uint8_t*>(data);
  bytes.insert(bytes.end(), begin, begin + size);
}

constexpr int kRgbChannels = 3;

std::vector<std::uint8_t> EncodeRgb(int width, int height, const std::uint8_t* rgb) {
  std::vector<std::uint8_t> bytes;
  if (width == 0 || height == 0) return bytes;
  if (!stbi_write_png_to_func(AppendBytes, &bytes, width, height, kRgbChannels, rgb,
                              width * kRgbChannels)) {
    bytes.clear();
  }
  return bytes;
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const Canvas& canvas) {
  return EncodeRgb(canvas.width(), canvas.height(), canvas.RgbBytes().data());
}

std::vector<std::uint8_t> EncodePng(const TextureImage& image) {
  std::vector<std::uint8_t> rgb;
  rgb.reserve(image.pixels.size() * kRgbChannels);
  for (const Rgb& pixel : image.pixels) rgb.insert(rgb.end(), {pixel.r, pixel.g, pixel.b});
  return EncodeRgb(image.width, image.height, rgb.data());
}

}  // namespace svcmp::render
