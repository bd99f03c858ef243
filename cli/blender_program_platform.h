#pragma once

#include <filesystem>
#include <vector>

// Where and how Blender's program is found on each system; one
// implementation file per platform. Internal to blender_program.cpp.
namespace svcmp::cli::platform {

// What separates the folders of PATH.
char PathListSeparator();
// The program's file name.
const char* BlenderProgramName();
// Whether a regular file of `status` may be run.
bool IsRunnable(const std::filesystem::file_status& status);
// The folders programs are installed in, where Blender's installer puts it
// under "Blender Foundation"; none where programs go elsewhere.
std::vector<std::filesystem::path> ProgramFolders();

}  // namespace svcmp::cli::platform
