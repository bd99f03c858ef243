// Feeds arbitrary bytes to the texture image decoder and to the DDS header
// reader. A decoded image must have the size it claims and must compress to
// a DDS file whose header the reader finds sound.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "inspect/dds_header_decoder.h"
#include "materials/dds_writer.h"
#include "materials/image_decoding.h"

namespace {

// A few kilobytes of input inflate to an image of millions of pixels, and
// under the sanitizers each such run (decoding, then resizing for the mip
// chain) takes a second or more: the fuzzer would spend its time on them
// instead of on the headers and tables where the faults are. Larger images
// take the same code paths, so they are refused from their header alone.
constexpr long long kMaxFuzzedPixels = 64 * 64;
// Resizing costs about a millisecond a level under the sanitizers whatever
// the pixels, three quarters of the time when every image was compressed;
// small sides still reach every branch of the writer (odd sides, 1 x N,
// alpha or not, the mip chain down to 1 x 1).
constexpr int kMaxCompressedSide = 8;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace svcmp;
  const DdsHeaderResult header = ReadDdsHeader(std::span(data, size));
  if (!header.sound && header.reason.empty()) std::abort();

  const ImageDecodeResult decoded = DecodeImage(std::span(data, size), kMaxFuzzedPixels);
  if (!decoded.image) {
    if (decoded.reason.empty()) std::abort();  // a refusal always says why
    return 0;
  }
  const RgbaImage& image = *decoded.image;
  if (image.width * image.height > kMaxFuzzedPixels) std::abort();
  if (image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 4) std::abort();
  if (image.width > kMaxCompressedSide || image.height > kMaxCompressedSide) return 0;
  const std::vector<std::uint8_t> dds = WriteDds(image, kMaxCompressedSide);
  if (!ReadDdsHeader(dds).sound) std::abort();
  return 0;
}
