#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "collision/collision_hulls.h"

namespace svcmp {

// The bytes of a collision file (".sur") for `parts`: per part its points
// welded on position and id and numbered in first use order, faces with
// their twins and pierce, one leaf node per leaf hull paired into a full
// binary tree (split along the longest axis), the wrap hull at the root,
// "exts" over the part's own hulls, centre, radius, deviation and inertia.
// A part beyond the format's limits (65,535 points, 4,095 faces per hull,
// a block under 16 MiB) gives no bytes and says why.
struct SurWriting {
  std::vector<std::uint8_t> bytes;
  std::string error;  // empty when written
};
SurWriting WriteSurFile(const std::vector<PartHulls>& parts);

}  // namespace svcmp
