#include "import/model_file.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string_view>

#include "host/model_document.h"
#include "import/import_messages.h"
#include "import/importer_protocol.h"
#include "import/model_format.h"

namespace svcmp {
namespace {

namespace msg = import_messages;
namespace protocol = importer_protocol;

bool HasJsonExtension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".json";
}

std::string FileMessage(const std::string& path, const std::string& reason) {
  return "\"" + path + "\": " + reason;
}

// The importer's refusal: its last line that starts with the error prefix.
std::string RefusalIn(const std::string& messages) {
  std::string refusal;
  std::string_view rest = messages;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    const std::string_view line = rest.substr(0, end);
    if (line.starts_with(protocol::kErrorPrefix)) {
      refusal = line.substr(std::string_view(protocol::kErrorPrefix).size());
    }
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }
  return refusal;
}

// Why a run gave no model, in words for the user.
std::string StopReason(const ImporterRun& run, const ImporterLimits& limits) {
  const std::string megabytes = std::to_string(limits.memoryMegabytes) + " MB";
  switch (run.end) {
    case ImporterEnd::TimedOut:
      return msg::kNoResultAfter + std::to_string(limits.timeoutSeconds) + " s";
    case ImporterEnd::OutputTooLarge:
      return msg::kOutputPassed + megabytes;
    case ImporterEnd::Crashed:
      return msg::kCrashed + run.detail;
    default:
      break;
  }
  if (run.exitStatus == protocol::kExitOutOfMemory) return msg::kOutOfMemoryAt + megabytes;
  return msg::kExitedWith + std::to_string(run.exitStatus);
}

ModelLoadResult ImportModelFile(const std::string& path, const ModelImport& import) {
  const ModelFormatCheck format = DetectModelFormat(path);
  if (!format.format) return {nullptr, format.error};

  const ImporterRun run =
      RunImporter(import.importerProgram, {protocol::kReadMode, path}, import.limits);
  if (run.end == ImporterEnd::NotStarted) {
    const std::string reason =
        import.importerProgram.empty()
            ? run.detail
            : msg::kCannotStart + import.importerProgram.string() + ": " + run.detail;
    return {nullptr, FileMessage(path, reason)};
  }
  if (run.end == ImporterEnd::Exited && run.exitStatus == protocol::kExitRefused) {
    const std::string refusal = RefusalIn(run.messages);
    if (!refusal.empty()) return {nullptr, refusal};
  }
  if (run.end != ImporterEnd::Exited || run.exitStatus != protocol::kExitRead) {
    return {nullptr,
            FileMessage(path, msg::kImporterStopped + StopReason(run, import.limits) + ")")};
  }
  ModelDocumentResult document = ParseModelDocument(run.output);
  if (!document.model) return {nullptr, FileMessage(path, msg::kBadResult + document.error)};
  return {std::move(document.model), ""};
}

}  // namespace

ModelLoadResult LoadModelFile(const std::string& path, const ModelImport& import) {
  if (!HasJsonExtension(path)) return ImportModelFile(path, import);
  ModelDocumentResult document = LoadModelDocument(path);
  // Document messages name the place inside the document; the user also
  // needs to know which file, unless the message already says.
  if (document.model == nullptr && document.error.find(path) == std::string::npos) {
    document.error = "\"" + path + "\": " + document.error;
  }
  return {std::move(document.model), std::move(document.error)};
}

}  // namespace svcmp
