#include "inspect/wire_decoder.h"

#include <algorithm>
#include <vector>

#include "format/cmp_leaf_layout.h"
#include "inspect/leaf_reader.h"

namespace svcmp {

std::optional<Wire> DecodeWire(std::span<const std::uint8_t> bytes, const std::string& path,
                               Findings& findings) {
  const LeafReader leaf(bytes);
  const auto refuse = [&](std::string message) {
    findings.push_back({path, Severity::Error, std::string(rules::kLeafSize), std::move(message)});
    return std::nullopt;
  };
  if (leaf.Size() < kWireHeaderSize) {
    return refuse("a wire starts with a " + std::to_string(kWireHeaderSize) +
                  "-byte header, this leaf is " + std::to_string(leaf.Size()) + " bytes");
  }
  if (leaf.U32(0) != kWireHeaderSize) {
    return refuse("the header size is " + std::to_string(leaf.U32(0)) + ", not " +
                  std::to_string(kWireHeaderSize));
  }
  const std::uint16_t indexCount = leaf.U16(12);
  if (indexCount % 2 != 0) {
    return refuse("the index count " + std::to_string(indexCount) +
                  " is odd; segments take two each");
  }
  // 16 + 2 x 65,535 cannot overflow; a longer leaf is read as its counted part.
  if (!leaf.Holds(kWireHeaderSize, std::size_t{indexCount} * kWireIndexSize)) {
    return refuse(std::to_string(indexCount) + " indices need " +
                  std::to_string(kWireHeaderSize + std::size_t{indexCount} * kWireIndexSize) +
                  " bytes, this leaf is " + std::to_string(leaf.Size()));
  }
  Wire wire;
  wire.path = path;
  wire.libraryId = leaf.U32(4);
  wire.startVertex = leaf.U16(8);
  wire.vertexCount = leaf.U16(10);
  wire.indexBound = leaf.U16(14);
  wire.segments.resize(indexCount / 2);
  for (std::size_t s = 0; s < wire.segments.size(); ++s) {
    const std::size_t at = kWireHeaderSize + s * 2 * kWireIndexSize;
    wire.segments[s] = {leaf.U16(at), leaf.U16(at + kWireIndexSize)};
  }
  return wire;
}

std::optional<WireTarget> FindWireTarget(const Part& part, const Wire& wire) {
  std::optional<WireTarget> found;
  for (const Level& level : part.levels) {
    if (found && found->level->number >= level.number) continue;
    for (const MeshRef& ref : level.meshRefs) {
      if (ref.libraryId != wire.libraryId) continue;
      found = WireTarget{&level, &ref};
      break;
    }
  }
  return found;
}

WireCounts CountWire(std::span<const std::array<std::uint16_t, 2>> segments) {
  std::vector<std::uint16_t> indices;
  indices.reserve(segments.size() * 2);
  for (const auto& [a, b] : segments) {
    indices.push_back(a);
    indices.push_back(b);
  }
  std::ranges::sort(indices);
  WireCounts counts;
  if (!indices.empty()) counts.indexBound = std::uint32_t{indices.back()} + 1;
  counts.distinctVertices =
      static_cast<std::uint32_t>(std::unique(indices.begin(), indices.end()) - indices.begin());
  return counts;
}

}  // namespace svcmp
