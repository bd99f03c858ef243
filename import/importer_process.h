#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Starting the importer program as a process of its own under limits. The
// model-file library it links can crash, recurse or allocate without bound
// on hostile files; in its own process that becomes a message. Each platform
// implements this header in a file of its own.
namespace svcmp {

struct ImporterLimits {
  std::uint32_t memoryMegabytes = 2048;  // address space the importer may use
  std::uint32_t timeoutSeconds = 60;     // wall-clock time until it is stopped
  // A stack deep enough for the importer's recursion (on Windows the
  // importer's own link sets it). Off for programs that start threads, such
  // as Blender: on Linux each thread's stack is as large as the limit, and
  // a few of them would use up the address space.
  bool deepStack = true;
};

enum class ImporterEnd {
  Exited,          // it ended by itself; see exitStatus
  Crashed,         // a signal or an exception ended it; detail names it
  TimedOut,        // it was stopped at the time limit
  OutputTooLarge,  // it was stopped when its output passed the memory limit
  NotStarted,      // detail says why
};

struct ImporterRun {
  ImporterEnd end = ImporterEnd::NotStarted;
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
[[nodiscard]] ImporterRun RunImporter(const std::filesystem::path& program,
                                      const std::vector<std::string>& arguments,
                                      const ImporterLimits& limits);

}  // namespace svcmp
