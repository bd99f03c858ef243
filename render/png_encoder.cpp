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

}  // namespace

std::vector<std::uint8_t> EncodePng(const Canvas& canvas) {
  std::vector<std::uint8_t> bytes;
  constexpr int kRgbChannels = 3;
  if (canvas.width() == 0 || canvas.height() == 0) return bytes;
  if (!stbi_write_png_to_func(AppendBytes, &bytes, canvas.width(), canvas.height(), kRgbChannels,
                              canvas.RgbBytes().data(), canvas.width() * kRgbChannels)) {
    bytes.clear();
  }
  return bytes;
}

}  // namespace svcmp::render
