#include <cstdlib>
#include <string>

#include "cli/blender_program_platform.h"

namespace svcmp::cli::platform {

char PathListSeparator() { return ';'; }

const char* BlenderProgramName() { return "blender.exe"; }

// Windows runs any file by its extension; the name already has it.
bool IsRunnable(const std::filesystem::file_status& /*status*/) { return true; }

std::vector<std::filesystem::path> ProgramFolders() {
  // A 32-bit program sees the 32-bit folder as ProgramFiles; Blender is
  // 64-bit and installs into the one ProgramW6432 names.
  std::vector<std::filesystem::path> folders;
  for (const char* name : {"ProgramW6432", "ProgramFiles"}) {
    const char* folder = std::getenv(name);
    if (folder != nullptr && *folder != '\0') folders.emplace_back(std::string(folder));
  }
  if (folders.empty()) folders.emplace_back("C:\\Program Files");
  return folders;
}

}  // namespace svcmp::cli::platform
