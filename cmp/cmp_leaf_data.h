#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "cmp/mesh_ref_shape.h"
#include "format/cmp_leaf_layout.h"
#include "plugin/mesh_records.h"
#include "utf/byte_block.h"
#include "utf/utf_tree.h"

// The bytes of the leaves the assembly writes, little-endian, each written
// straight into the one block the tree keeps.
namespace svcmp {

// The level-of-detail switch distances; the last one differs between a new
// file and a multi-part update.
inline constexpr std::array<float, 4> kSwitch2Distances = {0.0f, 100.0f, 1000.0f, 100000.0f};
inline constexpr float kSwitch2UpdatePartsFarthest = 1000000.0f;

// Revolute limits as stored bit patterns: the default pair is not symmetric,
// and none is the float nearest to pi/4 or 2*pi; files in use rely on them.
inline constexpr std::uint32_t kTurretMaxBits = 0x40C90FDA;
inline constexpr std::uint32_t kTurretMinBits = 0xC0C90FDA;
inline constexpr std::uint32_t kDefaultMaxBits = 0x3F490EAA;
inline constexpr std::uint32_t kDefaultMinBits = 0xBF490FF9;

inline constexpr std::array<float, 3> kRevoluteAxis = {0.0f, 1.0f, 0.0f};

// The text followed by one zero byte, no padding.
ByteBlock StringLeaf(std::string_view text);

ByteBlock IndexLeaf(std::int32_t partIndex);

// The floats in order, 4 bytes each.
ByteBlock FloatsLeaf(const float* values, std::size_t count);
template <std::size_t N>
ByteBlock FloatsLeaf(const std::array<float, N>& values) {
  return FloatsLeaf(values.data(), N);
}

// Two float leaves as views into one block: the orientation and position
// that every hardpoint has then cost one allocation together.
std::array<ByteBlock, 2> FloatsLeafPair(std::span<const float> first,
                                        std::span<const float> second);

// "Switch2" with the given last distance.
ByteBlock Switch2Leaf(float farthest);

ByteBlock LimitLeaf(std::uint32_t limitBits);

// The record of a single-part model: starts 0, totals of the buffer.
ByteBlock MeshRefLeaf(std::uint32_t libraryId, const MeshDataSummary& summary,
                      const MeshRefShape& shape);
// The record of one part: its slice of the buffer.
ByteBlock MeshRefLeaf(std::uint32_t libraryId, const MeshGroup& group,
                      const MeshRefShape& shape);

// A new last child of `parent` holding `bytes`.
UtfNode AddLeaf(UtfTree& tree, UtfNode parent, std::string_view name, ByteBlock bytes);

}  // namespace svcmp
