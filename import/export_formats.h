#pragma once

#include <string>

namespace svcmp {

// The model-file library's exporter format for a file name: ".gltf", ".glb",
// ".obj" or ".dae" in any letter case; empty for any other.
[[nodiscard]] std::string ExportFormatFor(const std::string& path);

}  // namespace svcmp
