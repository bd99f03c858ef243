// Feeds arbitrary bytes to the wire decoder. Whatever it accepts fits its
// leaf, and written again by our writer reads back as the same segments.
#include <cstdint>
#include <cstdlib>

#include "inspect/wire_decoder.h"
#include "wire/wire_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  svcmp::Findings findings;
  const std::optional<svcmp::Wire> wire = svcmp::DecodeWire(bytes, "/", findings);
  if (!wire) {
    if (findings.size() != 1) std::abort();
    return 0;
  }
  if (16 + wire->segments.size() * 4 > size) std::abort();
  const auto again = svcmp::DecodeWire(
      svcmp::EncodeWireData(wire->libraryId, wire->startVertex, wire->segments), "/", findings);
  if (!again || again->segments != wire->segments || again->libraryId != wire->libraryId ||
      again->startVertex != wire->startVertex) {
    std::abort();
  }
  const svcmp::WireCounts counts = svcmp::CountWire(again->segments);
  if (again->vertexCount != counts.distinctVertices ||
      again->indexBound != (counts.indexBound & 0xFFFFu)) {
    std::abort();
  }
  return 0;
}
