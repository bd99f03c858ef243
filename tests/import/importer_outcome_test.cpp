#include "import/importer_outcome.h"

#include <gtest/gtest.h>

#include <string>

#include "import/importer_protocol.h"

namespace svcmp {
namespace {

namespace protocol = importer_protocol;

// Each way a stand-in importer can end, and what the user is told. A crash is
// never told as one of the importer's own statuses.
TEST(ImporterOutcome, EachEndGetsItsOwnMessage) {
  const struct {
    std::string script;
    std::string told;
  } cases[] = {
      {"printf document", ""},
      {"printf 'error: \"ship.obj\": damaged\\n' >&2; exit " +
           std::to_string(protocol::kExitRefused),
       "\"ship.obj\": damaged"},
      {"exit " + std::to_string(protocol::kExitOutOfMemory),
       "\"ship.obj\": the importer stopped (out of memory at 2048 MB)"},
      {"kill -ABRT $$", "\"ship.obj\": the importer stopped (it crashed: Aborted)"},
      {"kill -SEGV $$", "\"ship.obj\": the importer stopped (it crashed: Segmentation fault)"},
      // Only Windows' abort ends with this status; here it is just a status.
      {"exit " + std::to_string(protocol::kWindowsAbortStatus),
       "\"ship.obj\": the importer stopped (it ended with status 3)"},
      {"exit " + std::to_string(protocol::kExitUsage),
       "\"ship.obj\": the importer stopped (it ended with status 2)"},
  };
  const ProcessLimits limits;
  for (const auto& [script, told] : cases) {
    const ProcessRun run = RunLimitedProcess("/bin/sh", {"-c", script}, limits);
    EXPECT_EQ(ImporterFailure(run, "ship.obj", "/bin/sh", limits), told) << script;
  }
}

}  // namespace
}  // namespace svcmp
