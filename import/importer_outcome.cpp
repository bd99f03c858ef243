#include "import/importer_outcome.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "import/import_messages.h"
#include "import/importer_protocol.h"

namespace svcmp {
namespace {

namespace msg = import_messages;
namespace protocol = importer_protocol;

std::string FileMessage(const std::string& path, const std::string& reason) {
  return "\"" + path + "\": " + reason;
}

// The texts of the importer's stderr lines that start with prefix, in order.
std::vector<std::string> LinesAfter(std::string_view prefix, std::string_view messages) {
  std::vector<std::string> texts;
  while (!messages.empty()) {
    const std::size_t end = std::min(messages.find('\n'), messages.size());
    const std::string_view line = messages.substr(0, end);
    if (line.starts_with(prefix)) texts.emplace_back(line.substr(prefix.size()));
    messages.remove_prefix(std::min(end + 1, messages.size()));
  }
  return texts;
}

}  // namespace

std::string ImporterStopReason(const ProcessRun& run, const ProcessLimits& limits) {
  const std::string megabytes = std::to_string(limits.memoryMegabytes) + " MB";
  switch (run.end) {
    case ProcessEnd::TimedOut:
      return msg::kNoResultAfter + std::to_string(limits.timeoutSeconds) + " s";
    case ProcessEnd::OutputTooLarge:
      return msg::kOutputPassed + megabytes;
    case ProcessEnd::Crashed:
      return msg::kCrashed + run.detail;
    default:
      break;
  }
  if (run.exitStatus == protocol::kExitOutOfMemory) return msg::kOutOfMemoryAt + megabytes;
  return msg::kExitedWith + std::to_string(run.exitStatus);
}

std::string ImporterFailure(const ProcessRun& run, const std::string& path,
                            const std::filesystem::path& program, const ProcessLimits& limits) {
  if (run.end == ProcessEnd::NotStarted) {
    const std::string reason =
        program.empty() ? run.detail : msg::kCannotStart + program.string() + ": " + run.detail;
    return FileMessage(path, reason);
  }
  if (run.end == ProcessEnd::Exited && run.exitStatus == protocol::kExitRefused) {
    const std::vector<std::string> refusals = LinesAfter(protocol::kErrorPrefix, run.messages);
    if (!refusals.empty()) return refusals.back();
  }
  if (run.end != ProcessEnd::Exited || run.exitStatus != protocol::kExitRead) {
    return FileMessage(path, msg::kImporterStopped + ImporterStopReason(run, limits) + ")");
  }
  return "";
}

std::vector<std::string> ImporterWarnings(const ProcessRun& run) {
  return LinesAfter(protocol::kWarningPrefix, run.messages);
}

}  // namespace svcmp
