#include "simplify/mesh_pieces.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "plugin/export_checks.h"
#include "plugin/model_capture.h"

namespace svcmp {
namespace {

constexpr std::uint32_t kUnused = std::numeric_limits<std::uint32_t>::max();

// Turns the vertices a piece uses into its origins (in the whole mesh's
// order) and its corners into indices among them.
MeshPiece MakePiece(std::vector<std::uint32_t> used, const std::uint32_t* first,
                    const std::uint32_t* last, std::vector<std::uint32_t>& local) {
  std::sort(used.begin(), used.end());
  for (std::size_t j = 0; j < used.size(); ++j) local[used[j]] = static_cast<std::uint32_t>(j);
  MeshPiece piece;
  piece.corners.reserve(static_cast<std::size_t>(last - first));
  for (const std::uint32_t* corner = first; corner != last; ++corner) {
    piece.corners.push_back(static_cast<std::uint16_t>(local[*corner]));
  }
  for (const std::uint32_t origin : used) local[origin] = kUnused;
  piece.origins = std::move(used);
  return piece;
}

}  // namespace

std::vector<MeshPiece> SplitIntoPieces(const std::vector<std::uint32_t>& corners,
                                       std::size_t vertexCount) {
  std::vector<MeshPiece> pieces;
  // `local` marks the current piece's vertices; MakePiece clears the marks.
  std::vector<std::uint32_t> local(vertexCount, kUnused);
  std::vector<std::uint32_t> used;
  std::size_t start = 0;
  for (std::size_t t = 0; t + 2 < corners.size(); t += 3) {
    std::size_t added = 0;
    for (std::size_t k = t; k < t + 3; ++k) {
      if (local[corners[k]] == kUnused) ++added;
    }
    if (used.size() + added > kMaxMeshBufferCount) {
      pieces.push_back(MakePiece(std::move(used), &corners[start], &corners[t], local));
      used.clear();
      start = t;
    }
    for (std::size_t k = t; k < t + 3; ++k) {
      if (local[corners[k]] != kUnused) continue;
      local[corners[k]] = 0;
      used.push_back(corners[k]);
    }
  }
  if (start < corners.size() || pieces.empty()) {
    pieces.push_back(
        MakePiece(std::move(used), corners.data() + start, corners.data() + corners.size(), local));
  }
  return pieces;
}

std::optional<std::string> LargeHardpointMesh(const msModel& model) {
  for (const msMesh& mesh : model.meshes) {
    if (IsHardpointName(mesh.name) && mesh.vertices.size() > kMaxMeshBufferCount) return mesh.name;
  }
  return std::nullopt;
}

std::vector<SplitMesh> SplitLargeMeshes(msModel& model) {
  std::vector<SplitMesh> splits;
  std::vector<msMesh> meshes;
  meshes.reserve(model.meshes.size());
  std::vector<std::size_t> placeAfter;  // per mesh, where it (or its first piece) lands
  placeAfter.reserve(model.meshes.size() + 1);
  for (msMesh& mesh : model.meshes) {
    placeAfter.push_back(meshes.size());
    if (mesh.vertices.size() <= kMaxMeshBufferCount || IsHardpointName(mesh.name)) {
      meshes.push_back(std::move(mesh));
      continue;
    }
    std::vector<std::uint32_t> corners;
    corners.reserve(3 * mesh.triangles.size());
    for (const msTriangle& triangle : mesh.triangles) {
      const std::uint32_t* index = triangle.indices;
      if (std::max({index[0], index[1], index[2]}) >= mesh.vertices.size()) continue;
      corners.insert(corners.end(), index, index + 3);
    }
    SplitMesh split{meshes.size(), {}};
    for (MeshPiece& piece : SplitIntoPieces(corners, mesh.vertices.size())) {
      msMesh& part = meshes.emplace_back();
      part.name = mesh.name;
      part.materialIndex = mesh.materialIndex;
      for (const std::uint32_t origin : piece.origins)
        part.vertices.push_back(mesh.vertices[origin]);
      part.triangles.resize(piece.corners.size() / 3);
      for (std::size_t k = 0; k < piece.corners.size(); ++k) {
        part.triangles[k / 3].indices[k % 3] = piece.corners[k];
      }
      split.origins.push_back(std::move(piece.origins));
    }
    splits.push_back(std::move(split));
  }
  placeAfter.push_back(meshes.size());
  model.meshes = std::move(meshes);
  // The node tree names its meshes by place: a split mesh's node holds all
  // of its pieces.
  for (msNode& node : model.nodes) {
    std::vector<int> held;
    for (const int mesh : node.meshes) {
      const auto index = static_cast<std::size_t>(mesh);
      for (std::size_t place = placeAfter[index]; place < placeAfter[index + 1]; ++place) {
        held.push_back(static_cast<int>(place));
      }
    }
    node.meshes = std::move(held);
  }
  return splits;
}

std::vector<SplitMesh> RearrangedSplits(const std::vector<SplitMesh>& splits,
                                        const std::vector<std::size_t>& sourceMeshes) {
  std::vector<SplitMesh> rearranged;
  for (const SplitMesh& split : splits) {
    const std::size_t pieces = split.origins.size();
    for (std::size_t at = 0; at + pieces <= sourceMeshes.size(); ++at) {
      std::size_t matched = 0;
      while (matched < pieces && sourceMeshes[at + matched] == split.firstPiece + matched) ++matched;
      if (matched == pieces) rearranged.push_back({at, split.origins});
    }
  }
  std::sort(rearranged.begin(), rearranged.end(),
            [](const SplitMesh& a, const SplitMesh& b) { return a.firstPiece < b.firstPiece; });
  return rearranged;
}

WholeMesh JoinPieces(const MeshList& meshList, const SplitMesh& split) {
  std::uint32_t vertexCount = 0;
  for (const auto& origins : split.origins) {
    if (!origins.empty()) vertexCount = std::max(vertexCount, origins.back() + 1);
  }
  WholeMesh whole;
  whole.vertices.resize(vertexCount);
  std::vector<bool> present(vertexCount, false);
  std::size_t cornerCount = 0;
  for (std::size_t p = 0; p < split.origins.size(); ++p) {
    cornerCount += 3 * meshList[split.firstPiece + p].triangles.size();
  }
  whole.corners.reserve(cornerCount);
  for (std::size_t p = 0; p < split.origins.size(); ++p) {
    const MeshRecord& piece = meshList[split.firstPiece + p];
    const std::vector<std::uint32_t>& origins = split.origins[p];
    for (std::size_t j = 0; j < origins.size(); ++j) whole.vertices[origins[j]] = piece.vertices[j];
    for (const MeshTriangle& triangle : piece.triangles) {
      for (const std::uint16_t index : triangle.index) {
        whole.corners.push_back(origins[index]);
        present[origins[index]] = true;
      }
    }
  }
  // Only the vertices some piece's triangles use.
  std::vector<std::uint32_t> compact(vertexCount, 0);
  std::uint32_t kept = 0;
  for (std::uint32_t j = 0; j < vertexCount; ++j) {
    compact[j] = kept;
    if (present[j]) whole.vertices[kept++] = whole.vertices[j];
  }
  whole.vertices.resize(kept);
  for (std::uint32_t& corner : whole.corners) corner = compact[corner];
  return whole;
}

}  // namespace svcmp
