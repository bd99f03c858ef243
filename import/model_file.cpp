#include "import/model_file.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "host/model_document.h"
#include "import/import_messages.h"
#include "import/importer_outcome.h"
#include "import/importer_protocol.h"
#include "import/model_format.h"

namespace svcmp {
namespace {

namespace msg = import_messages;
namespace protocol = importer_protocol;

std::string FileMessage(const std::string& path, const std::string& reason) {
  return "\"" + path + "\": " + reason;
}

ModelLoadResult ImportModelFile(const std::string& path, const ModelImport& import) {
  const ModelFormatCheck format = DetectModelFormat(path);
  if (!format.format) return {nullptr, format.error, {}};

  const ProcessRun run =
      RunLimitedProcess(import.importerProgram, {protocol::kReadMode, path}, import.limits);
  const std::string failure = ImporterFailure(run, path, import.importerProgram, import.limits);
  if (!failure.empty()) return {nullptr, failure, {}};
  ModelDocumentResult document = ParseModelDocument(run.output, VertexIndexRange::Cmptool32Bit);
  if (!document.model) return {nullptr, FileMessage(path, msg::kBadResult + document.error), {}};
  return {std::move(document.model), "", ImporterWarnings(run)};
}

}  // namespace

bool IsModelDocumentPath(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".json";
}

ModelLoadResult LoadModelFile(const std::string& path, const ModelImport& import) {
  if (!IsModelDocumentPath(path)) return ImportModelFile(path, import);
  ModelDocumentResult document = LoadModelDocument(path, VertexIndexRange::Cmptool32Bit);
  // Document messages name the place inside the document; the user also
  // needs to know which file, unless the message already says.
  if (document.model == nullptr && document.error.find(path) == std::string::npos) {
    document.error = "\"" + path + "\": " + document.error;
  }
  return {std::move(document.model), std::move(document.error), {}};
}

}  // namespace svcmp
