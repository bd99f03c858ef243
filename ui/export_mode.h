#pragma once

#include <cstdint>

namespace svcmp {

// What the export does with the chosen ".cmp" path.
enum ExportMode : std::int32_t {
  kNoExportMode = 0,    // no choice was made
  CreateNew = 10,       // write a new file
  UpdateExisting = 20,  // merge the export into the existing file
};

}  // namespace svcmp
