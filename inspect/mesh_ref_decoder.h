#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "inspect/compound_model.h"

namespace svcmp {

// Decodes a "VMeshRef" leaf; a leaf of another size than 60 bytes gives a
// finding under `path` and nothing.
std::optional<MeshRef> DecodeMeshRef(std::span<const std::uint8_t> bytes, const std::string& path,
                                     Findings& findings);

}  // namespace svcmp
