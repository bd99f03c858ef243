#pragma once

#include <string>

#include "import/model_file.h"

namespace svcmp {

// A model file through the importer program, as cmptool reads it.
inline ModelLoadResult LoadThroughImporter(const std::string& path) {
  return LoadModelFile(path, {SVCMP_IMPORTER, {}});
}

}  // namespace svcmp
