#include "import/limited_process.h"

#include <gtest/gtest.h>

#include <string>

namespace svcmp {
namespace {

ProcessRun Shell(const std::string& script, ProcessLimits limits = {}) {
  return RunLimitedProcess("/bin/sh", {"-c", script}, limits);
}

TEST(LimitedProcess, CollectsOutputMessagesAndExitStatus) {
  const ProcessRun run = Shell("printf document; printf 'warning: w\\n' >&2; exit 3");
  EXPECT_EQ(run.end, ProcessEnd::Exited);
  EXPECT_EQ(run.exitStatus, 3);
  EXPECT_EQ(run.output, "document");
  EXPECT_EQ(run.messages, "warning: w\n");

  // Far more than a pipe holds, on both streams at once.
  const ProcessRun large = Shell("head -c 3000000 /dev/zero; head -c 300000 /dev/zero >&2");
  EXPECT_EQ(large.end, ProcessEnd::Exited);
  EXPECT_EQ(large.output.size(), 3000000u);
  EXPECT_EQ(large.messages.size(), 300000u);
}

TEST(LimitedProcess, StopsAtEachLimitAndSaysWhichEndedIt) {
  const ProcessRun crashed = Shell("kill -SEGV $$");
  EXPECT_EQ(crashed.end, ProcessEnd::Crashed);
  EXPECT_EQ(crashed.detail, "Segmentation fault");

  ProcessLimits oneSecond;
  oneSecond.timeoutSeconds = 1;
  EXPECT_EQ(Shell("sleep 30", oneSecond).end, ProcessEnd::TimedOut);
  // Closing its output does not end the wait for its exit.
  EXPECT_EQ(Shell("exec >&- 2>&-; sleep 30", oneSecond).end, ProcessEnd::TimedOut);

  ProcessLimits small;
  small.memoryMegabytes = 64;
  EXPECT_EQ(Shell("head -c 100000000 /dev/zero", small).end, ProcessEnd::OutputTooLarge);
}

TEST(LimitedProcess, AProgramThatCannotStartIsNotStarted) {
  const ProcessRun run = RunLimitedProcess("/no/such/svcmp-import", {"read", "x.obj"}, {});
  EXPECT_EQ(run.end, ProcessEnd::NotStarted);
  EXPECT_EQ(run.detail, "No such file or directory");
}

}  // namespace
}  // namespace svcmp
