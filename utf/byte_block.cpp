#include "utf/byte_block.h"

#include <cstring>
#include <utility>

namespace svcmp {
namespace {

// A smaller vector is copied into one allocation next to its reference
// count: a tree of many small leaves then holds one block per leaf, not two.
// A larger one (a mesh buffer runs to megabytes) is taken over as it is.
constexpr std::size_t kCopiedBelow = 4096;

}  // namespace

ByteBlock::ByteBlock(std::vector<std::uint8_t> bytes) : size_(bytes.size()) {
  if (size_ == 0) return;
  if (size_ < kCopiedBelow) {
    std::shared_ptr<std::uint8_t[]> storage = std::make_shared_for_overwrite<std::uint8_t[]>(size_);
    std::memcpy(storage.get(), bytes.data(), size_);
    const std::uint8_t* first = storage.get();
    bytes_ = std::shared_ptr<const std::uint8_t>(std::move(storage), first);
    return;
  }
  auto owner = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
  bytes_ = std::shared_ptr<const std::uint8_t>(owner, owner->data());
}

ByteBlock::ByteBlock(std::initializer_list<std::uint8_t> bytes)
    : ByteBlock(std::vector<std::uint8_t>(bytes)) {}

ByteBlock::ByteBlock(std::shared_ptr<const std::uint8_t[]> storage, std::size_t size)
    : size_(size) {
  // Taken over, not copied: a copy would count the reference up and down.
  const std::uint8_t* first = storage.get();
  bytes_ = std::shared_ptr<const std::uint8_t>(std::move(storage), first);
}

ByteBlock ByteBlock::Slice(std::size_t offset, std::size_t length) const {
  ByteBlock slice;
  slice.bytes_ = std::shared_ptr<const std::uint8_t>(bytes_, data() + offset);
  slice.size_ = length;
  return slice;
}

bool ByteBlock::operator==(std::span<const std::uint8_t> other) const {
  // memcmp must not see the null pointer of an empty block.
  return size_ == other.size() && (size_ == 0 || std::memcmp(data(), other.data(), size_) == 0);
}

}  // namespace svcmp
