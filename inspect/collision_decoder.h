#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "inspect/collision_file.h"

namespace svcmp {

// Why a collision file was refused: the rule it breaks (a stable id, see
// inspect/collision_rules.h), where in the file, and in words.
struct CollisionError {
  std::string rule;
  std::uint64_t offset = 0;
  std::string message;
};

struct CollisionDecoding {
  std::optional<CollisionFile> file;  // empty when refused
  CollisionError error;
};

// Reads a whole collision file, of either layout, and checks every
// structural rule of the format: sizes and offsets exact, sections in order,
// every face's twins paired, hulls closed with V = 2 + F/2, every point used
// and carrying the id of a leaf hull that uses it, and the tree full, depth
// first, one leaf per leaf hull, the wrap hull at the root exactly when
// there are two or more leaves. The first broken rule refuses the file.
// Geometry (convexity, winding, bounds) is judged by the collision checks.
CollisionDecoding DecodeCollisionFile(std::span<const std::uint8_t> bytes);

}  // namespace svcmp
