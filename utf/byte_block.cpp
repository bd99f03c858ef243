#include "utf/byte_block.h"

#include <cstring>

namespace svcmp {

ByteBlock::ByteBlock(std::vector<std::uint8_t> bytes) {
  auto owner = std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes));
  size_ = owner->size();
  bytes_ = std::shared_ptr<const std::uint8_t>(owner, owner->data());
}

ByteBlock::ByteBlock(std::initializer_list<std::uint8_t> bytes)
    : ByteBlock(std::vector<std::uint8_t>(bytes)) {}

ByteBlock::ByteBlock(std::shared_ptr<const std::uint8_t[]> storage, std::size_t size)
    : bytes_(storage, storage.get()), size_(size) {}

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
