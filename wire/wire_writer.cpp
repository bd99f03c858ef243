#include "wire/wire_writer.h"

#include <algorithm>

#include "format/cmp_leaf_layout.h"

namespace svcmp {
namespace {

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  out[at] = static_cast<std::uint8_t>(value);
  out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  Put16(out, at, value & 0xFFFFu);
  Put16(out, at + 2, value >> 16);
}

}  // namespace

std::vector<std::uint8_t> EncodeWireData(std::uint32_t libraryId, std::uint16_t startVertex,
                                         std::span<const WireSegment> segments) {
  // The index count is 16 bits and even.
  segments = segments.first(std::min<std::size_t>(segments.size(), 0xFFFF / 2));
  std::vector<std::uint8_t> out(kWireHeaderSize + segments.size() * 2 * kWireIndexSize);
  std::vector<bool> seen(0x10000, false);
  std::uint32_t distinct = 0, bound = 0;
  std::size_t at = kWireHeaderSize;
  for (const WireSegment& segment : segments) {
    for (std::uint16_t index : segment) {
      if (!seen[index]) {
        seen[index] = true;
        ++distinct;
      }
      bound = std::max<std::uint32_t>(bound, std::uint32_t{index} + 1);
      Put16(out, at, index);
      at += kWireIndexSize;
    }
  }
  Put32(out, 0, kWireHeaderSize);
  Put32(out, 4, libraryId);
  Put16(out, 8, startVertex);
  // 65,536 distinct vertices cannot occur: the indices are fewer.
  Put16(out, 10, distinct);
  Put16(out, 12, static_cast<std::uint32_t>(segments.size() * 2));
  // A bound of 65,536 does not fit; it wraps to 0 as in the 16-bit field.
  Put16(out, 14, bound & 0xFFFFu);
  return out;
}

}  // namespace svcmp
