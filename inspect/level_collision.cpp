#include "inspect/level_collision.h"

#include <algorithm>

#include "format/name_crc.h"
#include "inspect/collision_checks.h"

namespace svcmp {

LevelCollision SortCollisionOntoLevel(const CompoundModel& model, const LevelGeometry& geometry,
                                      const CollisionFile& file) {
  LevelCollision sorted;
  sorted.hullsOfPart.resize(geometry.parts.size());
  // A single model's one part has the id 0.
  const auto idOf = [&model](const std::string& name) { return model.compound ? NameCrc(name) : 0; };
  for (const CollisionPart& part : file.parts) {
    const auto placed =
        std::find_if(geometry.parts.begin(), geometry.parts.end(),
                     [&](const LevelPart& candidate) { return idOf(candidate.name) == part.id; });
    if (placed == geometry.parts.end()) {
      sorted.unplacedParts.push_back(part.id);
      continue;
    }
    auto& hulls = sorted.hullsOfPart[static_cast<std::size_t>(placed - geometry.parts.begin())];
    for (const CollisionHull& hull : part.hulls) {
      if (hull.kind != CollisionHullKind::Leaf) continue;
      LevelHull& entry = hulls.emplace_back(LevelHull{&part, &hull});
      entry.hardpointHull = IsHardpointHull(part, hull);
      if (!entry.hardpointHull) {
        // Else a copy of a child's hull; the older layout numbers its hulls' ids.
        if (hull.id != part.id && !file.olderLayout) {
          hulls.pop_back();
          const bool namesPart = std::any_of(geometry.parts.begin(), geometry.parts.end(),
                                             [&](const LevelPart& other) { return idOf(other.name) == hull.id; });
          if (!namesPart && std::find(sorted.unnamedHulls.begin(), sorted.unnamedHulls.end(), hull.id) ==
                                sorted.unnamedHulls.end()) {
            sorted.unnamedHulls.push_back(hull.id);
          }
        }
        continue;
      }
      const auto named = [&](const Hardpoint& candidate) { return NameCrc(candidate.name) == hull.id; };
      const auto hardpoint = std::find_if(placed->hardpoints.begin(), placed->hardpoints.end(), named);
      if (hardpoint != placed->hardpoints.end()) {
        entry.hardpoint = &*hardpoint;
        continue;
      }
      // A copy of the hull of a hardpoint of a part a Fix joint holds: that
      // part's own entry lists it where the hardpoint is.
      const bool copied = std::any_of(file.parts.begin(), file.parts.end(), [&](const CollisionPart& other) {
        if (&other == &part) return false;
        const auto holder = std::find_if(geometry.parts.begin(), geometry.parts.end(),
                                         [&](const LevelPart& candidate) { return idOf(candidate.name) == other.id; });
        return holder != geometry.parts.end() &&
               std::find(other.hardpointIds.begin(), other.hardpointIds.end(), hull.id) != other.hardpointIds.end() &&
               std::any_of(holder->hardpoints.begin(), holder->hardpoints.end(), named);
      });
      if (copied) hulls.pop_back();
    }
  }
  return sorted;
}

}  // namespace svcmp
