#include "materials/image_decoding.h"

#include <stb_image.h>

#include <climits>
#include <cstdlib>
#include <memory>

namespace svcmp {

ImageDecodeResult DecodeImage(std::span<const std::uint8_t> bytes) {
  if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT_MAX)) {
    return {std::nullopt, "the file is empty or too large"};
  }
  const int length = static_cast<int>(bytes.size());
  int width = 0;
  int height = 0;
  int channels = 0;
  if (!stbi_info_from_memory(bytes.data(), length, &width, &height, &channels)) {
    return {std::nullopt, "not a PNG, JPG, TGA or BMP image it can read"};
  }
  if (width <= 0 || height <= 0 || width > kMaxDecodedImageSide || height > kMaxDecodedImageSide) {
    return {std::nullopt, "the image is larger than " + std::to_string(kMaxDecodedImageSide) +
                              " pixels on a side"};
  }
  const std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> pixels(
      stbi_load_from_memory(bytes.data(), length, &width, &height, &channels, 4), &stbi_image_free);
  if (!pixels)
    return {std::nullopt, std::string("the image is damaged (") + stbi_failure_reason() + ")"};

  RgbaImage image;
  image.width = width;
  image.height = height;
  const std::size_t size = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  image.pixels.assign(pixels.get(), pixels.get() + size);
  return {std::move(image), ""};
}

}  // namespace svcmp
