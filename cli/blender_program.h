#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Finding the Blender the user has installed, which cmptool runs to read
// .blend files.
namespace svcmp::cli {

// The environment variable that names Blender's program when --blender
// does not.
inline constexpr char kBlenderVariable[] = "SVCMP_BLENDER";

// Blender's program, or nothing and why.
struct BlenderProgram {
  std::filesystem::path program;
  std::string error;
};

// Blender's program: the one `given` names (--blender), else the one
// SVCMP_BLENDER names, else "blender" on the PATH, else the newest in the
// usual install folders on Windows. A program named but not there is an
// error that says where the name came from; none found says how to name it.
[[nodiscard]] BlenderProgram FindBlender(const std::optional<std::string>& given);

// The newest "Blender Foundation/Blender X.Y/blender.exe" under the given
// program folders (the newest version, whatever the folder's order); empty
// when there is none.
[[nodiscard]] std::filesystem::path NewestInstalledBlender(
    const std::vector<std::filesystem::path>& programFolders);

}  // namespace svcmp::cli
