#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/utf/folder_test.h"

namespace svcmp::testing {

struct CmptoolRun {
  int exitStatus = -1;
  std::string out;
  std::string err;
};

// Runs the built cmptool with `arguments` (already quoted for the shell) in
// `workingDirectory`, capturing its output streams; with a time limit, a run
// that outlasts it is stopped and ends with status 124.
inline CmptoolRun RunCmptool(const std::string& arguments,
                             const std::filesystem::path& workingDirectory,
                             int timeLimitSeconds = 0) {
  // Named after the process, since tests run side by side in shared folders.
  const std::string stem = ".cmptool." + std::to_string(::getpid());
  const std::filesystem::path outFile = workingDirectory / (stem + ".out");
  const std::filesystem::path errFile = workingDirectory / (stem + ".err");
  const std::string limit =
      timeLimitSeconds > 0 ? "timeout " + std::to_string(timeLimitSeconds) + " " : "";
  const std::string command = "cd '" + workingDirectory.string() + "' && " + limit +
                              "'" CMPTOOL_PATH "' " + arguments + " >'" + outFile.string() +
                              "' 2>'" + errFile.string() + "'";
  const int status = std::system(command.c_str());
  const auto slurp = [](const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::filesystem::remove(path);
    return text;
  };
  CmptoolRun run;
  run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = slurp(outFile);
  run.err = slurp(errFile);
  return run;
}

// A fresh folder for each test, in which cmptool runs.
class CmptoolTest : public FolderTest {
 protected:
  CmptoolRun Run(const std::string& arguments) const { return RunCmptool(arguments, folder_); }

  // The text of the file `name` in the folder; empty when there is none.
  std::string FileText(const std::string& name) const {
    std::ifstream in(folder_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // What a writing command's refusals start from: the user's file `keptName`
  // holding "mine", which every refusal must leave as it is, and "text.cmp",
  // which is no model.
  void WriteRefusalInputs(const std::string& keptName) const {
    std::ofstream(folder_ / keptName) << "mine";
    std::ofstream(folder_ / "text.cmp") << "not a model";
  }
};

// "level 1: 1,560 triangles, relative error 0.2%" from each wrote line of
// an export: what --list must print for it.
inline std::string LevelLinesOfWroteLines(const std::string& out) {
  std::string lines;
  for (std::size_t at = out.find("wrote "); at != std::string::npos;
       at = out.find("wrote ", at + 1)) {
    const std::string line = out.substr(at, out.find('\n', at) - at);
    const std::size_t triangles = line.find(" triangles, ");
    const std::size_t count = line.rfind(", ", triangles) + 2;
    const std::size_t level = line.find("level ");
    const std::size_t error = line.find(", relative error");
    lines += line.substr(level, line.find(',', level) - level) + ": " +
             line.substr(count, triangles + 10 - count) +
             (error == std::string::npos ? "" : line.substr(error)) + "\n";
  }
  return lines;
}

// A refused command line and what its message says.
struct Refusal {
  std::string arguments;
  std::string message;
};

}  // namespace svcmp::testing
