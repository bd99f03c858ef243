#pragma once

#include <string>
#include <vector>

#include "import/limited_process.h"

namespace svcmp {

// What went wrong in a run of the importer program about the file at
// `path`, in words for the user: its own refusal, or why it stopped (a
// crash, a limit, a start that failed). Empty when it ended with success.
[[nodiscard]] std::string ImporterFailure(const ProcessRun& run, const std::string& path,
                                          const std::filesystem::path& program,
                                          const ProcessLimits& limits);

// Why a run that gave no result stopped ("no result after 60 s", "it
// ended with status 1"), in words for the user.
[[nodiscard]] std::string ImporterStopReason(const ProcessRun& run, const ProcessLimits& limits);

// The warnings the importer gave (what it left out), each naming the file.
[[nodiscard]] std::vector<std::string> ImporterWarnings(const ProcessRun& run);

}  // namespace svcmp
