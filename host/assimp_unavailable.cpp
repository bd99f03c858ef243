#include "host/assimp_loader.h"
#include "host/model_file_messages.h"

namespace svcmp {

// Builds without assimp read only host model documents.
ModelLoadResult LoadAssimpModel(const std::string& path) {
  return {nullptr, "\"" + path + "\": " + model_file_messages::kOnlyDocuments};
}

}  // namespace svcmp
