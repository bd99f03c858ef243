#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace svcmp::testing {

struct CmptoolRun {
  int exitStatus = -1;
  std::string out;
  std::string err;
};

// Runs the built cmptool with `arguments` (already quoted for the shell) in
// `workingDirectory`, capturing its output streams.
inline CmptoolRun RunCmptool(const std::string& arguments,
                             const std::filesystem::path& workingDirectory) {
  // Named after the process, since tests run side by side in shared folders.
  const std::string stem = ".cmptool." + std::to_string(::getpid());
  const std::filesystem::path outFile = workingDirectory / (stem + ".out");
  const std::filesystem::path errFile = workingDirectory / (stem + ".err");
  const std::string command = "cd '" + workingDirectory.string() + "' && '" CMPTOOL_PATH "' " +
                              arguments + " >'" + outFile.string() + "' 2>'" + errFile.string() +
                              "'";
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

}  // namespace svcmp::testing
