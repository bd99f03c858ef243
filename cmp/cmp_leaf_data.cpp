#include "cmp/cmp_leaf_data.h"

#include <bit>
#include <cassert>

namespace svcmp {
namespace {

class LeafBytes {
 public:
  explicit LeafBytes(std::size_t size) { bytes_.reserve(size); }

  void U16(std::uint16_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
  }
  void U32(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
      bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
  }
  void Float(float value) { U32(std::bit_cast<std::uint32_t>(value)); }
  void Box(const Bounds& b) {
    for (float value : {b.maxX, b.minX, b.maxY, b.minY, b.maxZ, b.minZ}) Float(value);
  }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

struct MeshSlice {
  std::uint16_t startVertex, vertexCount, startIndex, indexCount, startMesh, meshCount;
};

std::vector<std::uint8_t> MeshRefBytes(std::uint32_t libraryId, const MeshSlice& slice,
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
  auto bytes = out.Take();
  assert(bytes.size() == kMeshRefSize);
  return bytes;
}

}  // namespace

std::vector<std::uint8_t> StringLeaf(std::string_view text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

std::vector<std::uint8_t> IndexLeaf(std::int32_t partIndex) {
  LeafBytes out(kIndexLeafSize);
  out.U32(static_cast<std::uint32_t>(partIndex));
  out.U32(0);
  return out.Take();
}

std::vector<std::uint8_t> FloatsLeaf(const float* values, std::size_t count) {
  LeafBytes out(count * 4);
  for (std::size_t i = 0; i < count; ++i) out.Float(values[i]);
  return out.Take();
}

std::vector<std::uint8_t> Switch2Leaf(float farthest) {
  std::array<float, 4> distances = kSwitch2Distances;
  distances.back() = farthest;
  auto bytes = FloatsLeaf(distances);
  assert(bytes.size() == kSwitch2LeafSize);
  return bytes;
}

std::vector<std::uint8_t> LimitLeaf(std::uint32_t limitBits) {
  LeafBytes out(kLimitLeafSize);
  out.U32(limitBits);
  out.U32(0);
  return out.Take();
}

std::vector<std::uint8_t> MeshRefLeaf(std::uint32_t libraryId, const MeshDataSummary& summary,
                                      const MeshRefShape& shape) {
  return MeshRefBytes(
      libraryId, MeshSlice{0, summary.vertexCount, 0, summary.indexCount, 0, summary.meshCount},
      shape);
}

std::vector<std::uint8_t> MeshRefLeaf(std::uint32_t libraryId, const MeshGroup& group,
                                      const MeshRefShape& shape) {
  return MeshRefBytes(libraryId,
                      MeshSlice{group.startVertex, group.vertexCount, group.startIndex,
                                group.indexCount, group.startMesh, group.meshCount},
                      shape);
}

UtfNode AddLeaf(UtfTree& tree, UtfNode parent, std::string_view name,
                std::vector<std::uint8_t> bytes) {
  UtfNode node = tree.AddNode(parent, name);
  tree.SetData(node, std::move(bytes));
  return node;
}

}  // namespace svcmp
