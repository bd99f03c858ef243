#pragma once

#include <optional>
#include <string>

#include "inspect/compound_model.h"
#include "inspect/level_geometry.h"
#include "utf/utf_reader.h"

// Reading the UTF files that cmptool's commands take in, with what the user
// is told on stderr along the way.
namespace svcmp::cli {

// Reads the UTF file at `path` into `tree`, warning on stderr about leaves
// that look compressed.
UtfReadResult LoadUtfFile(const std::string& path, UtfTree& tree);

// Reads a UTF file into `tree`; says why on stderr and returns false when
// it cannot. Leaves that look compressed give a warning each.
bool ReadUtfFileOrSay(const std::string& path, UtfTree& tree);

// The compound model in the file, or nothing after saying why.
std::optional<CompoundModel> ReadCompoundModelOrSay(const std::string& path);

// Says each error the decoder found in the model; false when there is one.
bool SayDecodingErrors(const std::string& path, const CompoundModel& model);

// One warning for each mesh reference whose meshes are not there to use.
void WarnOfMissingLibraries(const std::string& path, const LevelGeometry& geometry);

}  // namespace svcmp::cli
