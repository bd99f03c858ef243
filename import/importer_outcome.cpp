#include "import/importer_outcome.h"

#include <algorithm>
#include <string_view>

#include "import/import_messages.h"
#include "import/importer_protocol.h"

namespace svcmp {
namespace {

namespace msg = import_messages;
namespace protocol = importer_protocol;

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

}  // namespace

std::string ImporterFailure(const ImporterRun& run, const std::string& path,
                            const std::filesystem::path& program, const ImporterLimits& limits) {
  if (run.end == ImporterEnd::NotStarted) {
    const std::string reason =
        program.empty() ? run.detail : msg::kCannotStart + program.string() + ": " + run.detail;
    return FileMessage(path, reason);
  }
  if (run.end == ImporterEnd::Exited && run.exitStatus == protocol::kExitRefused) {
    const std::string refusal = RefusalIn(run.messages);
    if (!refusal.empty()) return refusal;
  }
  if (run.end != ImporterEnd::Exited || run.exitStatus != protocol::kExitRead) {
    return FileMessage(path, msg::kImporterStopped + StopReason(run, limits) + ")");
  }
  return "";
}

}  // namespace svcmp
