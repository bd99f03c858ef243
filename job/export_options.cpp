#include "job/export_options.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace svcmp {

std::string CollisionPath(const ExportOptions& options) {
  if (!options.collisionPath.empty()) return options.collisionPath;
  return std::filesystem::path(options.outputPath).replace_extension(".sur").string();
}

std::string LibraryPrefix(const ExportOptions& options) {
  if (!options.libraryPrefix) return "";
  if (!options.libraryPrefix->empty()) return *options.libraryPrefix;
  std::string stem = std::filesystem::path(options.outputPath).stem().string();
  std::transform(stem.begin(), stem.end(), stem.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return stem;
}

}  // namespace svcmp
