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

ByteBlock::ByteBlock(std::unique_ptr<std::uint8_t[]> storage, std::size_t size) : size_(size) {
  std::shared_ptr<const std::uint8_t[]> owner(std::move(storage));
  bytes_ = std::shared_ptr<const std::uint8_t>(owner, owner.get());
}

ByteBlock ByteBlock::Slice(std::size_t offset, std::size_t length) const {
  return ByteBlock(std::shared_ptr<const std::uint8_t>(bytes_, data() + offset), length);
}

bool ByteBlock::operator==(std::span<const std::uint8_t> other) const {
  // memcmp must not see the null pointer of an empty block.
  return size_ == other.size() && (size_ == 0 || std::memcmp(data(), other.data(), size_) == 0);
}

}  // namespace svcmp
