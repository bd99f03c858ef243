#pragma once

#include <cstdint>
#include <vector>

#include "inspect/collision_file.h"
#include "inspect/compound_model.h"
#include "inspect/level_geometry.h"

namespace svcmp {

// A leaf hull of a collision file and whose it is on a level's part: the
// part's own, or a hardpoint's (`hardpoint` is null when the part lists a
// hardpoint id that names none of its hardpoints).
struct LevelHull {
  const CollisionPart* part = nullptr;  // its points
  const CollisionHull* hull = nullptr;
  bool hardpointHull = false;
  const Hardpoint* hardpoint = nullptr;
};

// The leaf hulls of a collision file sorted onto the parts of a level, whose
// frames their points are in. Wrap hulls, and the copies a part holds of
// the hulls (and hardpoint hulls) of parts hanging from it, are left out:
// they repeat hulls listed once already; a hull whose id names nothing is
// left out and its id told.
struct LevelCollision {
  std::vector<std::vector<LevelHull>> hullsOfPart;  // one list per part of the level
  std::vector<std::uint32_t> unplacedParts;         // ids that name no part of the level
  std::vector<std::uint32_t> unnamedHulls;          // leaf hull ids that name no part or hardpoint
};

// `model` is the one the level was gathered from; `file` and `geometry`
// must outlive the result.
LevelCollision SortCollisionOntoLevel(const CompoundModel& model, const LevelGeometry& geometry,
                                      const CollisionFile& file);

}  // namespace svcmp
