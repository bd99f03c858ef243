#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Starting a program as a process of its own under limits: the importer,
// whose model-file library can crash, recurse or allocate without bound on
// hostile files, and Blender, which reads .blend files; in a process of its
// own that becomes a message. Each platform implements this header in a
// file of its own.
namespace svcmp {

struct ProcessLimits {
  std::uint32_t memoryMegabytes = 2048;  // address space the program may use
  std::uint32_t timeoutSeconds = 60;     // wall-clock time until it is stopped
  // A stack deep enough for the importer's recursion (on Windows the
  // importer's own link sets it). Off for programs that start threads, such
  // as Blender: on Linux each thread's stack is as large as the limit, and
  // a few of them would use up the address space.
  bool deepStack = true;
};

enum class ProcessEnd {
  Exited,          // it ended by itself; see exitStatus
  Crashed,         // a signal or an exception ended it; detail names it
  TimedOut,        // it was stopped at the time limit
  OutputTooLarge,  // it was stopped when its output passed the memory limit
  NotStarted,      // detail says why
};

struct ProcessRun {
  ProcessEnd end = ProcessEnd::NotStarted;
  int exitStatus = 0;
  std::string detail;
  std::string output;    // what it wrote to stdout
  std::string messages;  // what it wrote to stderr
};

// The importer program in the folder of the running executable; empty where
// this build has no importer.
[[nodiscard]] std::filesystem::path ImporterProgramBeside();

// Runs program with arguments, gives it no stdin, collects stdout and stderr,
// and stops it at the limits. Never throws.
[[nodiscard]] ProcessRun RunLimitedProcess(const std::filesystem::path& program,
                                           const std::vector<std::string>& arguments,
                                           const ProcessLimits& limits);

}  // namespace svcmp
