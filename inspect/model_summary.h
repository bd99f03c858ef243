#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "inspect/compound_model.h"

// What `cmptool info` shows of a decoded model, with the cross references
// resolved: each part's joint to its parent, each mesh reference's library
// and materials, and the totals. Points into the CompoundModel it was made
// from, which must outlive it.
namespace svcmp {

struct MeshRefSummary {
  int level = 0;
  const MeshRef* ref = nullptr;
  const MeshLibraryEntry* library = nullptr;  // null when not in this file
  std::vector<std::uint32_t> materialIds;     // of its meshes, first use first
};

struct PartSummary {
  const Part* part = nullptr;
  const Joint* joint = nullptr;  // the first joint naming this part as child
  std::vector<MeshRefSummary> meshRefs;
  // The part's wire and the level it indexes; no level when no level uses
  // the wire's library.
  const Wire* wire = nullptr;
  std::optional<int> wireLevel;
};

struct ModelTotals {
  std::size_t parts = 0, libraries = 0, meshRefs = 0, meshes = 0, vertices = 0, triangles = 0,
              hardpoints = 0, joints = 0;
};

struct ModelSummary {
  std::vector<PartSummary> parts;
  ModelTotals totals;
};

ModelSummary SummarizeModel(const CompoundModel& model);

// The first joint whose child is `child` (in any letter case): the one a
// script's joint map moves. Null when there is none.
const Joint* FindJointOfChild(const CompoundModel& model, std::string_view child);

// The material's name where a material library gives it, else its id as
// 0x%08X.
std::string MaterialName(const CompoundModel& model, std::uint32_t id);

// The library's name, or its id as 0x%08X when the file does not hold it.
std::string LibraryName(const MeshRefSummary& summary);

}  // namespace svcmp
