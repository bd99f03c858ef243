#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "import/model_format.h"

namespace svcmp {

// The JSON of a glTF file, or of a GLB file's first chunk; discarded when it
// cannot be read.
[[nodiscard]] nlohmann::json ReadGltfJson(const std::string& path, ModelFormat format);

// A triangle primitive of a glTF file as the file writes it.
struct GltfPrimitiveSize {
  std::size_t vertices = 0;
  std::size_t triangles = 0;
};

// The triangle primitives of a glTF or GLB file, so that triangles the
// reader drops (those with a corner outside the primitive's vertices) can be
// counted. Empty for other formats and for a file whose JSON cannot be read.
[[nodiscard]] std::vector<GltfPrimitiveSize> GltfPrimitiveSizes(const std::string& path,
                                                                ModelFormat format);

// How many triangles the reader dropped from a mesh of `vertices` vertices
// and `triangles` triangles: the reader keeps every vertex and makes its
// meshes in an order of its own, so the mesh is matched by its vertex count
// to the primitive that explains it with the fewest dropped (0 when none can).
[[nodiscard]] std::size_t DroppedTriangles(const std::vector<GltfPrimitiveSize>& primitives,
                                           std::size_t vertices, std::size_t triangles);

}  // namespace svcmp
