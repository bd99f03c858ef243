#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "inspect/compound_model.h"
#include "inspect/finding.h"
#include "utf/utf_tree.h"

namespace svcmp {

// The material and texture libraries of the files checked together.
struct MaterialLibraries {
  std::map<std::uint32_t, std::string> materials;  // names by the id mesh records use
  std::set<std::string> textures;                  // names in lower case, as the game finds them
};

// Adds the tree's "material library" and "texture library" to `libraries`,
// with an error ("dds-header") for each texture whose DDS header the game
// could not read.
void CollectMaterialLibraries(const UtfTree& tree, MaterialLibraries& libraries,
                              Findings& findings);

// Warnings for what the files checked together leave unresolved: a material
// id of `model`'s mesh buffers with no material ("missing-material"; id 0
// marks a mesh without one and is passed over), and a "Dt_name" in `tree`'s
// material library that names no texture ("missing-texture").
void CheckMaterialReferences(const UtfTree& tree, const CompoundModel& model,
                             const MaterialLibraries& libraries, Findings& findings);

}  // namespace svcmp
