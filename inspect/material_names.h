#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "utf/utf_tree.h"

namespace svcmp {

// Adds the materials of the tree's "material library" (a .mat file's, or one
// inside a model file) to `names`, by the name id that mesh records use.
// Names already present stay.
void AddMaterialNames(const UtfTree& tree, std::map<std::uint32_t, std::string>& names);

}  // namespace svcmp
