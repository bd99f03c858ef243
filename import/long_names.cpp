#include "import/long_names.h"

namespace svcmp {
namespace {

// Enough of a long name to recognise it.
constexpr std::size_t kShownBytes = 40;

void WarnIfLong(const char* what, const std::string& name, std::vector<std::string>& warnings) {
  if (name.size() <= kLongestHostName) return;
  warnings.push_back(std::string(what) + " \"" + name.substr(0, kShownBytes) +
                     "...\" has a name of " + std::to_string(name.size()) +
                     " bytes; the export keeps its first " + std::to_string(kLongestHostName));
}

}  // namespace

std::vector<std::string> LongNameWarnings(const msModel& model) {
  std::vector<std::string> warnings;
  for (const msMaterial& material : model.materials)
    WarnIfLong("material", material.name, warnings);
  for (const msMesh& mesh : model.meshes) WarnIfLong("mesh", mesh.name, warnings);
  return warnings;
}

}  // namespace svcmp
