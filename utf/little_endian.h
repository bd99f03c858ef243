#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

// The one little-endian writer of our file formats (UTF files, mesh buffers,
// joint records, DDS headers, collision files): every writer turns its
// numbers into file bytes here, lowest byte first, whatever the machine's
// order. Readers have their own single choke point, the bounded reader.
namespace svcmp {

class LittleEndianWriter {
 public:
  // Appends to `bytes` (none: starts empty); Take gives them back.
  explicit LittleEndianWriter(std::vector<std::uint8_t> bytes = {}) : bytes_(std::move(bytes)) {}

  void Reserve(std::size_t size) { bytes_.reserve(size); }
  // Each writes the low bytes of `value`: 1, 2, 3 or 4 of them.
  void U8(std::uint32_t value) { bytes_.push_back(static_cast<std::uint8_t>(value)); }
  void U16(std::uint32_t value) { U8(value), U8(value >> 8); }
  void U24(std::uint32_t value) { U16(value), U8(value >> 16); }
  void U32(std::uint32_t value) { U16(value), U16(value >> 16); }
  void F32(float value) { U32(std::bit_cast<std::uint32_t>(value)); }
  void F32s(std::span<const float> values) {
    for (const float value : values) F32(value);
  }
  void Text(std::string_view text) { bytes_.insert(bytes_.end(), text.begin(), text.end()); }
  void Zeros(std::size_t count) { bytes_.insert(bytes_.end(), count, 0); }
  // Records whose memory layout is the file's (little-endian words, no
  // padding), copied as they lie: large arrays are not taken apart word by word.
  template <typename Record>
  void Records(const std::vector<Record>& records) {
    static_assert(std::endian::native == std::endian::little, "records are copied as they lie");
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(records.data());
    bytes_.insert(bytes_.end(), bytes, bytes + records.size() * sizeof(Record));
  }

  std::size_t Size() const { return bytes_.size(); }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

// A 32-bit word stored at `at`, for layouts filled in place.
inline void StoreU32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace svcmp
