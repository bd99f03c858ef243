#pragma once

#include <cstdio>
#include <string>

#include "inspect/compound_model.h"

namespace svcmp::cli {

// The readable summary of `cmptool info`: libraries, textures, then each part with its
// joint, levels, materials and hardpoints, then the totals.
void PrintInfoText(const std::string& file, const CompoundModel& model, std::FILE* out);

// The same as one JSON document (with a final newline); bytes of names that
// are not UTF-8 become U+FFFD; floats keep the
// shortest text that reads back to the same float, NaN and infinities are
// null.
void PrintInfoJson(const std::string& file, const CompoundModel& model, std::FILE* out);

}  // namespace svcmp::cli
