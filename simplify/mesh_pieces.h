#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/host_model.h"
#include "plugin/mesh_records.h"

namespace svcmp {

// One run of a mesh's triangles whose vertices 16-bit indices address:
// `origins` names the whole mesh's vertices it uses, in their order there,
// and `corners` its triangles' corners as indices into `origins`.
struct MeshPiece {
  std::vector<std::uint32_t> origins;
  std::vector<std::uint16_t> corners;
};

// Splits triangles (three corners each, indices below `vertexCount`) into
// consecutive runs of at most 65,535 vertices each; a mesh that fits stays
// one piece with the vertices its triangles use.
std::vector<MeshPiece> SplitIntoPieces(const std::vector<std::uint32_t>& corners,
                                       std::size_t vertexCount);

// A host mesh too large for 16-bit indices, held as consecutive meshes of the
// model (capture keeps the host's order, so the same places in the mesh
// list): `origins` per piece, as SplitIntoPieces made them.
struct SplitMesh {
  std::size_t firstPiece = 0;
  std::vector<std::vector<std::uint32_t>> origins;
};

// The first hardpoint mesh of `model` with more than 65,535 vertices:
// hardpoints are never simplified, so such a model cannot be exported.
std::optional<std::string> LargeHardpointMesh(const msModel& model);

// Splits every geometry mesh of `model` with more than 65,535 vertices into
// pieces of the same name and material, so that capture can take it in; a
// triangle naming a vertex the mesh lacks is left out. Returns the split
// meshes in model order, with their places after the split.
std::vector<SplitMesh> SplitLargeMeshes(msModel& model);

// `splits` of a model whose meshes were then rearranged: `sourceMeshes`
// names, per mesh of the new model, its place in the old one. A split mesh
// whose pieces the new model does not hold in a row is left out.
std::vector<SplitMesh> RearrangedSplits(const std::vector<SplitMesh>& splits,
                                        const std::vector<std::size_t>& sourceMeshes);

// The captured whole mesh of `split`'s pieces in `meshList`: every vertex once
// (in the whole mesh's order) and every triangle as 32-bit corners into them.
struct WholeMesh {
  std::vector<MeshVertex> vertices;
  std::vector<std::uint32_t> corners;
};
WholeMesh JoinPieces(const MeshList& meshList, const SplitMesh& split);

}  // namespace svcmp
