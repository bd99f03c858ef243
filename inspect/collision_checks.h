#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "inspect/collision_file.h"
#include "inspect/compound_model.h"
#include "inspect/finding.h"

namespace svcmp {

// The names behind the ids of a collision file, from its compound model:
// parts by their object name (a single model is part 0), hardpoints by name.
struct CollisionNames {
  std::map<std::uint32_t, std::string> parts, hardpoints;
};
CollisionNames CollisionNamesOf(const CompoundModel& model);

// An id as findings and listings show it: "0x12688F2D".
std::string CollisionIdText(std::uint32_t id);

// Whether `hull` is the hit box of a hardpoint the part lists ("hpid").
bool IsHardpointHull(const CollisionPart& part, const CollisionHull& hull);

// How a finding or a listing names a part: its name, else its id in hex.
std::string CollisionPartName(const CollisionPart& part, const CollisionNames& names);

// Warnings about a collision file the decoder read: hulls that are not
// convex or are wound inwards, points outside their node's box and, when
// the model is given, ids that name no part or hardpoint of it and parts of
// it without any collision.
Findings CheckCollisionFile(const CollisionFile& file, const CompoundModel* model);

}  // namespace svcmp
