#pragma once

#include <vector>

#include "format/material_record.h"
#include "utf/utf_tree.h"

namespace svcmp {

// The leaf's bytes at its natural size: text with one terminating zero, a
// colour 12 bytes, a number or flags 4, other leaves as they were.
std::vector<std::uint8_t> MaterialLeafBytes(const MaterialLeafValue& value);

// Writes the materials into the "material library" under the first top-level
// node of `tree` (made when missing), each as a folder with "Type" first and
// its leaves in their order. A material already there is replaced in place;
// "Material count" is set to the number of material folders, first in a
// library made here, as the game's own libraries have it.
void AddMaterialRecords(UtfTree& tree, const std::vector<MaterialRecord>& materials);

}  // namespace svcmp
