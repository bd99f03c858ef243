#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "inspect/compound_model.h"

namespace svcmp {

// Decodes a "VWireData" leaf. A leaf shorter than its header or than the
// indices it counts, an odd index count or an unknown header size gives an
// error finding under `path` and nothing. The stored index bound is kept but
// never used: other tools write it wrong.
std::optional<Wire> DecodeWire(std::span<const std::uint8_t> bytes, const std::string& path,
                               Findings& findings);

// The mesh reference a part's wire indexes: of the coarsest level whose
// reference uses the wire's library. Null when none does (a stale wire,
// which the game cannot draw).
struct WireTarget {
  const Level* level = nullptr;
  const MeshRef* ref = nullptr;
};
std::optional<WireTarget> FindWireTarget(const Part& part, const Wire& wire);

// The highest index + 1 and the number of distinct indices of `segments`:
// the header's last two counts as they should be.
struct WireCounts {
  std::uint32_t indexBound = 0;
  std::uint32_t distinctVertices = 0;
};
WireCounts CountWire(std::span<const std::array<std::uint16_t, 2>> segments);

}  // namespace svcmp
