// importer_process_check: runs itself as the importer through RunLimitedProcess
// and checks what comes back: output, messages and exit status, pipes far
// larger than their buffers, output in binary mode, a crash, an abort, the
// time limit, the output limit, and a program that does not exist. Prints the first failure and exits 1.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "import/binary_output.h"
#include "import/limited_process.h"

namespace {

using svcmp::ProcessEnd;
using svcmp::ProcessLimits;
using svcmp::ProcessRun;

constexpr std::size_t kLargeOutput = 3000000;
constexpr std::size_t kLargeMessages = 300000;
constexpr std::string_view kBinaryOutput("{\n\"a\": 1\r\n}\x1A\n", 13);

// The child's behaviours, chosen by its first argument.
int Child(std::string_view mode) {
  if (mode == "print") {
    std::fputs("document \"quoted\" \\ back", stdout);
    std::fputs("warning: w\n", stderr);
    return 5;
  }
  if (mode == "binary") {
    // As the importer writes its document and its message lines.
    svcmp::UseBinaryStandardOutput();
    std::fwrite(kBinaryOutput.data(), 1, kBinaryOutput.size(), stdout);
    std::fputs("warning: w\n", stderr);
    return 0;
  }
  if (mode == "large") {
    const std::string output(kLargeOutput, 'o');
    const std::string messages(kLargeMessages, 'm');
    std::fwrite(output.data(), 1, output.size(), stdout);
    std::fwrite(messages.data(), 1, messages.size(), stderr);
    return 0;
  }
  if (mode == "crash") {
    volatile int* nowhere = nullptr;
    return *nowhere;
  }
  if (mode == "abort") std::abort();
  if (mode == "sleep") {
    Sleep(30000);
    return 0;
  }
  if (mode == "flood") {
    const std::string block(1 << 20, 'f');
    for (int i = 0; i < 1000; ++i) std::fwrite(block.data(), 1, block.size(), stdout);
    return 0;
  }
  return 2;
}

void Check(bool condition, const std::string& what) {
  if (condition) return;
  std::printf("failed: %s\n", what.c_str());
  std::exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string_view(argv[1]) == "child") return Child(argv[2]);

  char selfPath[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, selfPath, MAX_PATH);
  const std::filesystem::path self = selfPath;
  const auto run = [&](const char* mode, ProcessLimits limits = {}) {
    return svcmp::RunLimitedProcess(self, {"child", mode}, limits);
  };

  // Quotes and backslashes in arguments reach the child as they were.
  const ProcessRun printed = run("print");
  Check(printed.end == ProcessEnd::Exited && printed.exitStatus == 5, "print: exit status 5");
  Check(printed.output == "document \"quoted\" \\ back", "print: output");
  Check(printed.messages == "warning: w\r\n" || printed.messages == "warning: w\n",
        "print: messages");

  const ProcessRun binary = run("binary");
  Check(binary.output == kBinaryOutput && binary.messages == "warning: w\n",
        "binary: both streams byte for byte");

  const ProcessRun large = run("large");
  Check(large.end == ProcessEnd::Exited, "large: exited");
  Check(large.output.size() == kLargeOutput && large.messages.size() == kLargeMessages,
        "large: every byte of both streams");

  const ProcessRun crashed = run("crash");
  Check(crashed.end == ProcessEnd::Crashed && crashed.detail == "access violation",
        "crash: reported as an access violation, got " + crashed.detail);

  // The runtime's abort ends with status 3, which is no status of the importer's own.
  const ProcessRun aborted = run("abort");
  Check(aborted.end == ProcessEnd::Crashed && aborted.detail == "Aborted",
        "abort: reported as a crash, got " + aborted.detail);

  ProcessLimits oneSecond;
  oneSecond.timeoutSeconds = 1;
  Check(run("sleep", oneSecond).end == ProcessEnd::TimedOut, "sleep: stopped at the time limit");

  ProcessLimits small;
  small.memoryMegabytes = 64;
  Check(run("flood", small).end == ProcessEnd::OutputTooLarge,
        "flood: stopped at the output limit");

  const ProcessRun missing =
      svcmp::RunLimitedProcess(self.parent_path() / "no-such-importer.exe", {"read", "x.obj"}, {});
  Check(missing.end == ProcessEnd::NotStarted && !missing.detail.empty(),
        "missing: not started, with a reason");

  Check(svcmp::ImporterProgramBeside() == self.parent_path() / "svcmp-import.exe",
        "the importer is looked for beside the program");
  std::printf("passed\n");
  return 0;
}
