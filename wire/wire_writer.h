#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "wire/wire_generator.h"

namespace svcmp {

// The bytes of a "VWireData" leaf over the mesh reference of `libraryId`
// that starts at `startVertex`: the header with the counts of the segments
// (distinct vertices, highest index + 1), then the segments as given.
// Segments beyond the 65,535 indices the header can count are left out.
std::vector<std::uint8_t> EncodeWireData(std::uint32_t libraryId, std::uint16_t startVertex,
                                         std::span<const WireSegment> segments);

}  // namespace svcmp
