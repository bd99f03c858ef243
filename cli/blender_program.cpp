#include "cli/blender_program.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string_view>
#include <system_error>

#include "cli/blender_program_platform.h"

namespace svcmp::cli {
namespace {

namespace fs = std::filesystem;

constexpr char kHowToName[] =
    "name Blender's program with --blender PATH or the SVCMP_BLENDER environment variable";

bool IsProgram(const fs::path& path) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  return !error && fs::is_regular_file(status) && platform::IsRunnable(status);
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

fs::path OnPath() {
  const std::string folders = Environment("PATH");
  std::string_view rest = folders;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find(platform::PathListSeparator()), rest.size());
    const std::string_view folder = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    if (folder.empty()) continue;
    const fs::path candidate = fs::path(std::string(folder)) / platform::BlenderProgramName();
    if (IsProgram(candidate)) return candidate;
  }
  return {};
}

// The numbers in a folder's name ("Blender 4.10" gives 4, 10).
std::vector<int> VersionOf(const std::string& name) {
  std::vector<int> numbers;
  int value = -1;
  for (const char c : name + ' ') {
    if (std::isdigit(static_cast<unsigned char>(c))) {
      value = (value < 0 ? 0 : value * 10) + (c - '0');
    } else if (value >= 0) {
      numbers.push_back(value);
      value = -1;
    }
  }
  return numbers;
}

BlenderProgram NamedProgram(const std::string& program, const char* namedBy) {
  if (IsProgram(program)) return {program, ""};
  return {{},
          "there is no Blender program at \"" + program + "\" (" + namedBy + "); " + kHowToName};
}

}  // namespace

fs::path NewestInstalledBlender(const std::vector<fs::path>& programFolders) {
  fs::path newest;
  std::vector<int> newestVersion;
  for (const fs::path& folder : programFolders) {
    std::error_code error;
    for (fs::directory_iterator entry(folder / "Blender Foundation", error), end;
         !error && entry != end; entry.increment(error)) {
      const std::string name = entry->path().filename().string();
      const fs::path program = entry->path() / "blender.exe";
      if (!name.starts_with("Blender") || !IsProgram(program)) continue;
      const std::vector<int> version = VersionOf(name);
      if (newest.empty() || version > newestVersion) {
        newest = program;
        newestVersion = version;
      }
    }
  }
  return newest;
}

BlenderProgram FindBlender(const std::optional<std::string>& given) {
  if (given) return NamedProgram(*given, "--blender");
  const std::string named = Environment(kBlenderVariable);
  if (!named.empty()) return NamedProgram(named, kBlenderVariable);
  fs::path found = OnPath();
  if (found.empty()) found = NewestInstalledBlender(platform::ProgramFolders());
  if (!found.empty()) return {found, ""};
  return {{},
          std::string("reading it needs Blender, which was not found: install Blender, or ") +
              kHowToName};
}

}  // namespace svcmp::cli
