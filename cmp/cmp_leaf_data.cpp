#include "cmp/cmp_leaf_data.h"

#include <bit>
#include <cassert>
#include <cstring>
#include <memory>
#include <utility>

namespace svcmp {
namespace {

// The file is little-endian, like every machine the exporter runs on, so a
// value's bytes go into a leaf as they lie in memory.
static_assert(std::endian::native == std::endian::little, "the leaves are little-endian");

// Writes a leaf of a size known up front into the storage of its block: one
// allocation per leaf, not cleared first, since every byte of it is written
// before Take hands it over.
class LeafBytes {
 public:
  explicit LeafBytes(std::size_t size)
      : storage_(std::make_shared_for_overwrite<std::uint8_t[]>(size)), size_(size) {}

  void U8(std::uint8_t value) { Put(&value, sizeof value); }
  void U16(std::uint16_t value) { Put(&value, sizeof value); }
  void U32(std::uint32_t value) { Put(&value, sizeof value); }
  void Float(float value) { Put(&value, sizeof value); }
  void Floats(const float* values, std::size_t count) { Put(values, count * sizeof(float)); }
  void Box(const Bounds& b) {
    for (float value : {b.maxX, b.minX, b.maxY, b.minY, b.maxZ, b.minZ}) Float(value);
  }
  void Text(std::string_view text) { Put(text.data(), text.size()); }
  // The block, once every byte of it is written. Should a leaf ever be
  // written short, its tail is zeroed rather than left as whatever the heap
  // held, so that the file still comes out the same every time.
  ByteBlock Take() {
    assert(written_ == size_);
    if (written_ < size_) std::memset(storage_.get() + written_, 0, size_ - written_);
    return ByteBlock(std::move(storage_), size_);
  }

 private:
  void Put(const void* bytes, std::size_t count) {
    assert(count <= size_ - written_);
    // An empty text or float list may come with a null pointer, which
    // memcpy must not see even for 0 bytes.
    if (count == 0) return;
    std::memcpy(storage_.get() + written_, bytes, count);
    written_ += count;
  }

  std::shared_ptr<std::uint8_t[]> storage_;
  std::size_t size_;
  std::size_t written_ = 0;
};

struct MeshSlice {
  std::uint16_t startVertex, vertexCount, startIndex, indexCount, startMesh, meshCount;
};

ByteBlock MeshRefBytes(std::uint32_t libraryId, const MeshSlice& slice,
                       const MeshRefShape& shape) {
  LeafBytes out(kMeshRefSize);
  out.U32(kMeshRefHeaderSize);
  out.U32(libraryId);
  out.U16(slice.startVertex);
  out.U16(slice.vertexCount);
  out.U16(slice.startIndex);
  out.U16(slice.indexCount);
  out.U16(slice.startMesh);
  out.U16(slice.meshCount);
  out.Box(shape.box);
  for (float value : shape.sphere.centre) out.Float(value);
  out.Float(shape.sphere.radius);
  return out.Take();
}

}  // namespace

ByteBlock StringLeaf(std::string_view text) {
  LeafBytes out(text.size() + 1);
  out.Text(text);
  out.U8(0);
  return out.Take();
}

ByteBlock IndexLeaf(std::int32_t partIndex) {
  LeafBytes out(kIndexLeafSize);
  out.U32(static_cast<std::uint32_t>(partIndex));
  out.U32(0);
  return out.Take();
}

ByteBlock FloatsLeaf(const float* values, std::size_t count) {
  LeafBytes out(count * sizeof(float));
  out.Floats(values, count);
  return out.Take();
}

std::array<ByteBlock, 2> FloatsLeafPair(std::span<const float> first,
                                        std::span<const float> second) {
  LeafBytes out((first.size() + second.size()) * sizeof(float));
  out.Floats(first.data(), first.size());
  out.Floats(second.data(), second.size());
  const ByteBlock both = out.Take();
  const std::size_t split = first.size() * sizeof(float);
  return {both.Slice(0, split), both.Slice(split, both.size() - split)};
}

ByteBlock Switch2Leaf(float farthest) {
  std::array<float, 4> distances = kSwitch2Distances;
  distances.back() = farthest;
  auto bytes = FloatsLeaf(distances);
  assert(bytes.size() == kSwitch2LeafSize);
  return bytes;
}

ByteBlock LimitLeaf(std::uint32_t limitBits) {
  LeafBytes out(kLimitLeafSize);
  out.U32(limitBits);
  out.U32(0);
  return out.Take();
}

ByteBlock MeshRefLeaf(std::uint32_t libraryId, const MeshDataSummary& summary,
                      const MeshRefShape& shape) {
  return MeshRefBytes(
      libraryId, MeshSlice{0, summary.vertexCount, 0, summary.indexCount, 0, summary.meshCount},
      shape);
}

ByteBlock MeshRefLeaf(std::uint32_t libraryId, const MeshGroup& group,
                      const MeshRefShape& shape) {
  return MeshRefBytes(libraryId,
                      MeshSlice{group.startVertex, group.vertexCount, group.startIndex,
                                group.indexCount, group.startMesh, group.meshCount},
                      shape);
}

UtfNode AddLeaf(UtfTree& tree, UtfNode parent, std::string_view name, ByteBlock bytes) {
  UtfNode node = tree.AddNode(parent, name);
  tree.SetData(node, std::move(bytes));
  return node;
}

}  // namespace svcmp
