#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "host/host_model.h"
#include "import/limited_process.h"

namespace svcmp {

// A loaded model, or nothing and a message for the user that names the file
// and the reason.
struct ModelLoadResult {
  HostModelPtr model;
  std::string error;
  std::vector<std::string> warnings;  // what the import left out, each naming the file
};

// Whether path names a JSON model document (".json" in any letter case),
// which is read as it is, without the importer.
[[nodiscard]] bool IsModelDocumentPath(const std::string& path);

// Where the importer program is, and the limits it runs under.
struct ModelImport {
  std::filesystem::path importerProgram;
  ProcessLimits limits;
};

// Loads a model file: ".json" (any letter case) as a host model document in
// this process; a file in one of the supported formats through the importer
// program, in a process of its own. Never throws.
[[nodiscard]] ModelLoadResult LoadModelFile(const std::string& path, const ModelImport& import);

}  // namespace svcmp
