#include "render/wire_outlines.h"

#include "inspect/wire_decoder.h"

namespace svcmp::render {

std::vector<std::string> AddWireOutlines(Scene& scene, const CompoundModel& model,
                                         const LevelGeometry& geometry) {
  std::vector<std::string> problems;
  for (const LevelPart& placed : geometry.parts) {
    const Part& part = model.parts[placed.modelPart];
    const std::string name = "part " + (placed.name.empty() ? part.path : placed.name);
    if (!part.wire) {
      if (!part.levels.empty()) problems.push_back(name + " has no wire");
      continue;
    }
    const Wire& wire = *part.wire;
    const MeshLibraryEntry* library = model.FindLibrary(wire.libraryId);
    if (!FindWireTarget(part, wire) || library == nullptr || !library->buffer) {
      problems.push_back(name + ": its wire names a mesh library " +
                         (library ? "no level uses" : "not in the file") +
                         "; the game draws no outline for it");
      continue;
    }
    const std::vector<BufferVertex>& vertices = library->buffer->vertices;
    SceneOutline& outline = scene.outlines.emplace_back();
    outline.kind = OutlineKind::Wire;
    std::size_t outside = 0;
    for (const auto& segment : wire.segments) {
      const std::size_t a = std::size_t{wire.startVertex} + segment[0];
      const std::size_t b = std::size_t{wire.startVertex} + segment[1];
      if (a >= vertices.size() || b >= vertices.size()) {
        ++outside;
        continue;
      }
      outline.edges.push_back({ApplyTransform(placed.toModel, vertices[a].position),
                               ApplyTransform(placed.toModel, vertices[b].position)});
    }
    if (outside > 0) {
      problems.push_back(name + ": " + std::to_string(outside) + " of its " +
                         std::to_string(wire.segments.size()) +
                         " wire segments index past the mesh library's vertices");
    }
  }
  return problems;
}

}  // namespace svcmp::render
