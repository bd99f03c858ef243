#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <span>
#include <string>

namespace svcmp {

static_assert(std::numeric_limits<float>::is_iec559, "the files store IEEE 754 floats");

// The one place where the decoders read leaf bytes. Every read is checked
// against the leaf's size and gives 0 (or an empty string) outside it, so a
// decoder that forgot a size check reads zeros, never past the leaf. Values
// are built little-endian byte by byte.
class LeafReader {
 public:
  explicit LeafReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::size_t Size() const { return bytes_.size(); }
  bool Holds(std::uint64_t offset, std::uint64_t length) const {
    return offset <= bytes_.size() && length <= bytes_.size() - offset;
  }
  std::uint8_t U8(std::uint64_t offset) const { return Holds(offset, 1) ? bytes_[offset] : 0; }
  std::uint16_t U16(std::uint64_t offset) const {
    if (!Holds(offset, 2)) return 0;
    const std::uint8_t* at = bytes_.data() + offset;
    return static_cast<std::uint16_t>(at[0] | at[1] << 8);
  }
  std::uint32_t U32(std::uint64_t offset) const {
    if (!Holds(offset, 4)) return 0;
    const std::uint8_t* at = bytes_.data() + offset;
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
  }
  float Float(std::uint64_t offset) const { return std::bit_cast<float>(U32(offset)); }
  template <std::size_t N>
  std::array<float, N> Floats(std::uint64_t offset) const {
    std::array<float, N> out{};
    for (std::size_t i = 0; i < N; ++i) out[i] = Float(offset + 4 * i);
    return out;
  }
  // The text of a zero-padded field of `length` bytes: up to its first zero
  // byte, or all of it.
  std::string Text(std::uint64_t offset, std::uint64_t length) const {
    // An empty leaf has no data pointer, and memchr must not see a null one.
    if (length == 0 || !Holds(offset, length)) return {};
    const auto* start = reinterpret_cast<const char*>(bytes_.data() + offset);
    const void* zero = std::memchr(start, 0, length);
    return std::string(start, zero ? static_cast<const char*>(zero) - start : length);
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace svcmp
