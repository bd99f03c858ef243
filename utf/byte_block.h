#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <span>
#include <vector>

namespace svcmp {

// Bytes that never change once made: handed over as a vector, or a view into
// a file image read once. Every block holds a reference to the storage it
// looks at, so a view never outlives its bytes; copies share the storage.
class ByteBlock {
 public:
  using value_type = std::uint8_t;
  using const_iterator = const std::uint8_t*;
  using iterator = const_iterator;

  ByteBlock() = default;  // 0 bytes
  // Takes a large vector's bytes over without copying them and copies a small
  // one's into a single allocation with the reference count; implicit, so
  // code that builds a block keeps handing over vectors.
  ByteBlock(std::vector<std::uint8_t> bytes);  // NOLINT(google-explicit-constructor)
  ByteBlock(std::initializer_list<std::uint8_t> bytes);
  // Shares the first `size` bytes of `storage`.
  ByteBlock(std::shared_ptr<const std::uint8_t[]> storage, std::size_t size);

  // The bytes [offset, offset + length), sharing this block's storage; the
  // caller has checked that they lie inside it.
  ByteBlock Slice(std::size_t offset, std::size_t length) const;

  const std::uint8_t* data() const { return bytes_.get(); }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const_iterator begin() const { return data(); }
  const_iterator end() const { return data() + size_; }
  std::uint8_t operator[](std::size_t index) const { return data()[index]; }

  // Same bytes, wherever they are stored.
  bool operator==(std::span<const std::uint8_t> other) const;

 private:
  // Points at the first byte and owns (shares) the whole storage around it.
  std::shared_ptr<const std::uint8_t> bytes_;
  std::size_t size_ = 0;
};

}  // namespace svcmp
