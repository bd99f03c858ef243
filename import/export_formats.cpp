#include "import/export_formats.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <utility>

namespace svcmp {
namespace {

// The exporter's format ids by file extension.
constexpr std::array<std::pair<const char*, const char*>, 4> kFormats{{
    {".gltf", "gltf2"},
    {".glb", "glb2"},
    {".obj", "obj"},
    {".dae", "collada"},
}};

}  // namespace

std::string ExportFormatFor(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const auto& [ending, format] : kFormats) {
    if (extension == ending) return format;
  }
  return "";
}

}  // namespace svcmp
