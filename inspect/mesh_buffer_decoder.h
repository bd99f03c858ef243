#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "inspect/compound_model.h"

namespace svcmp {

// The byte size of one vertex of `format`, or nullopt when the format has
// bits we do not know or no position.
std::optional<std::size_t> VertexSize(std::uint16_t format);

// Decodes a "VMeshData" leaf of any supported vertex format. Never reads
// outside `bytes` and allocates at most a few times its size. Faults go to
// `findings` under `path`; empty when the sections do not fit the leaf.
std::optional<MeshBuffer> DecodeMeshBuffer(std::span<const std::uint8_t> bytes,
                                           const std::string& path, Findings& findings);

}  // namespace svcmp
