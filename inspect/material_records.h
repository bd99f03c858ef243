#pragma once

#include <string>
#include <vector>

#include "format/material_record.h"
#include "utf/utf_tree.h"

namespace svcmp {

struct MaterialRecordsResult {
  std::vector<MaterialRecord> materials;  // in the library's order
  std::vector<std::string> problems;      // each names the leaf's node path
};

// Every material of the tree's material library (found in any letter case),
// leaf by leaf: text up to its first zero byte, colours from the first 12
// bytes and numbers and flags from the first 4 (padded leaves of other tools
// read as their used bytes). A leaf too short for its kind is left out and
// named in `problems`; leaves beside the materials ("Material count") are
// not materials. Never reads outside a leaf.
MaterialRecordsResult ReadMaterialRecords(const UtfTree& tree);

}  // namespace svcmp
