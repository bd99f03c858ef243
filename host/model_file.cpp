#include "host/model_file.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "host/assimp_loader.h"
#include "host/model_document.h"

namespace svcmp {
namespace {

bool HasJsonExtension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".json";
}

}  // namespace

ModelLoadResult LoadModelFile(const std::string& path) {
  if (!HasJsonExtension(path)) return LoadAssimpModel(path);
  ModelDocumentResult document = LoadModelDocument(path);
  // Document messages name the place inside the document; the user also
  // needs to know which file, unless the message already says.
  if (document.model == nullptr && document.error.find(path) == std::string::npos) {
    document.error = "\"" + path + "\": " + document.error;
  }
  return {std::move(document.model), std::move(document.error)};
}

}  // namespace svcmp
