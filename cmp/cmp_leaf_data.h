#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "cmp/mesh_ref_shape.h"
#include "format/cmp_leaf_layout.h"
#include "plugin/mesh_records.h"

// The bytes of the leaves the assembly writes, little-endian, built byte by
// byte so they come out the same on every platform.
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
std::vector<std::uint8_t> StringLeaf(std::string_view text);

std::vector<std::uint8_t> IndexLeaf(std::int32_t partIndex);

// The floats in order, 4 bytes each.
std::vector<std::uint8_t> FloatsLeaf(const float* values, std::size_t count);
template <std::size_t N>
std::vector<std::uint8_t> FloatsLeaf(const std::array<float, N>& values) {
  return FloatsLeaf(values.data(), N);
}

// "Switch2" with the given last distance.
std::vector<std::uint8_t> Switch2Leaf(float farthest);

std::vector<std::uint8_t> LimitLeaf(std::uint32_t limitBits);

// The record of a single-part model: starts 0, totals of the buffer.
std::vector<std::uint8_t> MeshRefLeaf(std::uint32_t libraryId, const MeshDataSummary& summary,
                                      const MeshRefShape& shape);
// The record of one part: its slice of the buffer.
std::vector<std::uint8_t> MeshRefLeaf(std::uint32_t libraryId, const MeshGroup& group,
                                      const MeshRefShape& shape);

// A new last child of `parent` holding `bytes`.
UtfNode AddLeaf(UtfTree& tree, UtfNode parent, std::string_view name,
                std::vector<std::uint8_t> bytes);

}  // namespace svcmp
