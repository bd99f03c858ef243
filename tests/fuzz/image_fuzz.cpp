// Feeds arbitrary bytes to the texture image decoder and to the DDS header
// reader. A decoded image must have the size it claims and must compress to
// a DDS file whose header the reader finds sound.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "inspect/dds_header_decoder.h"
#include "materials/dds_writer.h"
#include "materials/image_decoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace svcmp;
  const DdsHeaderResult header = ReadDdsHeader(std::span(data, size));
  if (!header.sound && header.reason.empty()) std::abort();

  const ImageDecodeResult decoded = DecodeImage(std::span(data, size));
  if (!decoded.image) {
    if (decoded.reason.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  const RgbaImage& image = *decoded.image;
  if (image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 4) std::abort();
  // Large images are no fault, only slow under the sanitizers; small sides
  // keep each run quick, and the compression walks every level anyway.
  if (image.pixels.size() > 4 * 512 * 512) return 0;
  const std::vector<std::uint8_t> dds = WriteDds(image, 16);
  if (!ReadDdsHeader(dds).sound) std::abort();
  return 0;
}
