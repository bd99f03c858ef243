#include "cli/blender_program_platform.h"

namespace svcmp::cli::platform {

char PathListSeparator() { return ':'; }

const char* BlenderProgramName() { return "blender"; }

bool IsRunnable(const std::filesystem::file_status& status) {
  namespace fs = std::filesystem;
  constexpr fs::perms kRunnable =
      fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
  return (status.permissions() & kRunnable) != fs::perms::none;
}

std::vector<std::filesystem::path> ProgramFolders() { return {}; }

}  // namespace svcmp::cli::platform
