#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "inspect/collision_decoder.h"
#include "job/step_result.h"

// The collision file of an export with --update: the parts the export makes
// replace those of the same ids in the file already there, and the others
// stay as they were.
namespace svcmp {

// "breaks the rule R at byte N: what", for messages about a collision file.
std::string BrokenCollisionRule(const CollisionError& error);

// The file `made` (a collision file of ours) followed by every part of the
// file at `path` whose id is not in `exportedIds`, copied byte for byte;
// without a file there, `made` as it is. A file there that our decoder
// refuses, or of the older layout with parts to keep, gives an error
// instead, so that none of its parts are lost.
StepResult<std::vector<std::uint8_t>> UpdateCollisionFile(
    const std::string& path, std::span<const std::uint8_t> made,
    std::span<const std::uint32_t> exportedIds);

}  // namespace svcmp
