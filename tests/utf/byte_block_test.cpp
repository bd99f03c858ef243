#include "utf/byte_block.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace svcmp {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(ByteBlock, OwnedAndViewedBytesCompareByContent) {
  const ByteBlock owned(Bytes{1, 2, 3});
  const ByteBlock image{9, 1, 2, 3, 9};
  EXPECT_EQ(image.Slice(1, 3), owned);
  EXPECT_EQ(image.Slice(1, 3), (Bytes{1, 2, 3}));
  EXPECT_NE(image.Slice(0, 3), owned);
  EXPECT_NE(image.Slice(1, 2), owned);
  EXPECT_EQ(image.Slice(5, 0), ByteBlock());
  EXPECT_TRUE(image.Slice(5, 0).empty());
  EXPECT_EQ(Bytes(image.begin(), image.end()), (Bytes{9, 1, 2, 3, 9}));
}

TEST(ByteBlock, ViewKeepsItsBytesAfterTheImageIsGone) {
  std::optional<ByteBlock> image = ByteBlock(Bytes(100000, 7));
  const ByteBlock view = image->Slice(99990, 10);
  image.reset();
  // Under the address sanitizer a view into freed storage fails here.
  EXPECT_EQ(view, Bytes(10, 7));
}

// A small vector is copied into the block's own storage and freed; a large
// one (a mesh buffer) becomes the block without a copy. Either way the block
// holds the vector's bytes after the vector is gone.
TEST(ByteBlock, HoldsAVectorsBytesWhetherCopiedOrTakenOver) {
  constexpr std::size_t kMeshBufferSize = 1 << 20;
  for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{4095},
                                 std::size_t{4096}, kMeshBufferSize}) {
    Bytes vector(size);
    for (std::size_t i = 0; i < size; ++i) vector[i] = static_cast<std::uint8_t>(i * 7 + 1);
    const Bytes expected = vector;
    const std::uint8_t* vectorBytes = vector.data();
    const ByteBlock block(std::move(vector));
    EXPECT_EQ(block, expected) << size;
    if (size == kMeshBufferSize) {
      EXPECT_EQ(block.data(), vectorBytes);
    }
  }
}

TEST(ByteBlock, SharesStorageWithoutCopying) {

  auto buffer = std::make_unique<std::uint8_t[]>(8);
  const std::uint8_t* bufferBytes = buffer.get();
  const ByteBlock block(std::move(buffer), 3);
  EXPECT_EQ(block.data(), bufferBytes);
  EXPECT_EQ(block.size(), 3u);
}

}  // namespace
}  // namespace svcmp
