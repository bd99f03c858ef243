#pragma once

#include <string>

#include "utf/utf_reader.h"

namespace svcmp::cli {

// Reads the UTF file at `path` into `tree`, warning on stderr about leaves
// that look compressed.
UtfReadResult LoadUtfFile(const std::string& path, UtfTree& tree);

// A failed read as one sentence for the user that names the file.
std::string ReadFailure(const std::string& path, const UtfReadResult& result);

}  // namespace svcmp::cli
