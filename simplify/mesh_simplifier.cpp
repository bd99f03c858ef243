#include "simplify/mesh_simplifier.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "plugin/export_checks.h"
#include "plugin/mesh_normals.h"
#include "plugin/model_capture.h"

namespace svcmp {
namespace {

// The triangle count decides how far to go, never the error.
constexpr float kNoErrorLimit = std::numeric_limits<float>::max();

// The mesh buffer's 65,535 indices hold this many triangles.
constexpr std::size_t kMaxTriangles = kMaxMeshBufferCount / 3;

bool NamesOnlyOwnVertices(const MeshRecord& mesh) {
  const std::size_t vertexCount = mesh.vertices.size();
  return std::all_of(mesh.triangles.begin(), mesh.triangles.end(), [&](const MeshTriangle& t) {
    return t.index[0] < vertexCount && t.index[1] < vertexCount && t.index[2] < vertexCount;
  });
}

// One mesh to simplify: a mesh of the list, or the pieces of a split one.
struct Source {
  std::size_t firstMesh = 0;
  std::size_t meshCount = 1;
  WholeMesh whole;
};

// The pieces of a split mesh give their geometry up to its whole mesh, which
// alone is simplified and rebuilt, so that a large mesh is not held twice.
std::vector<Source> CollectSources(MeshList& meshList, const std::vector<SplitMesh>& splits) {
  std::vector<Source> sources;
  auto split = splits.begin();
  for (std::size_t m = 0; m < meshList.size(); ++m) {
    if (split != splits.end() && split->firstPiece == m) {
      sources.push_back({m, split->origins.size(), JoinPieces(meshList, *split)});
      for (std::size_t p = m; p < m + split->origins.size(); ++p) {
        std::vector<MeshVertex>().swap(meshList[p].vertices);
        std::vector<MeshTriangle>().swap(meshList[p].triangles);
        std::vector<FaceNormal>().swap(meshList[p].faceNormals);
      }
      m += split->origins.size() - 1;
      ++split;
      continue;
    }
    const MeshRecord& mesh = meshList[m];
    if (mesh.isHardpoint || mesh.triangles.empty() || !NamesOnlyOwnVertices(mesh)) continue;
    Source& source = sources.emplace_back(Source{m, 1, {mesh.vertices, {}}});
    source.whole.corners.reserve(3 * mesh.triangles.size());
    for (const MeshTriangle& triangle : mesh.triangles) {
      source.whole.corners.insert(source.whole.corners.end(), triangle.index, triangle.index + 3);
    }
  }
  return sources;
}

std::size_t TriangleCount(const std::vector<std::vector<std::uint32_t>>& kept) {
  std::size_t count = 0;
  for (const auto& corners : kept) count += corners.size() / 3;
  return count;
}

// Every source in one buffer: vertices that coincide across meshes become
// seams the simplifier keeps closed, and so do texture seams.
std::vector<std::vector<std::uint32_t>> SimplifyTogether(const std::vector<Source>& sources,
                                                         std::size_t targetTriangles,
                                                         float& relativeError) {
  // One source (a large mesh, often) is read where it lies; more are laid
  // end to end first.
  const bool alone = sources.size() == 1;
  std::vector<std::uint32_t> firstVertex;
  std::vector<float> joinedPositions;
  std::vector<std::uint32_t> joinedIndices;
  std::uint32_t vertexCount = 0;
  for (const Source& source : sources) {
    firstVertex.push_back(vertexCount);
    vertexCount += static_cast<std::uint32_t>(source.whole.vertices.size());
    if (alone) break;
    for (const MeshVertex& vertex : source.whole.vertices) {
      joinedPositions.insert(joinedPositions.end(), vertex.position, vertex.position + 3);
    }
    for (const std::uint32_t corner : source.whole.corners)
      joinedIndices.push_back(firstVertex.back() + corner);
  }
  const std::vector<std::uint32_t>& indices = alone ? sources[0].whole.corners : joinedIndices;
  const float* positions = alone ? sources[0].whole.vertices[0].position : joinedPositions.data();
  const std::size_t stride = alone ? sizeof(MeshVertex) : 3 * sizeof(float);
  std::vector<std::uint32_t> simplified(indices.size());
  simplified.resize(meshopt_simplify(
      simplified.data(), indices.data(), indices.size(), positions, vertexCount, stride,
      std::min(indices.size(), 3 * targetTriangles), kNoErrorLimit, 0, &relativeError));
  // Each triangle lies within one source, whose vertex range its first corner names.
  std::vector<std::vector<std::uint32_t>> kept(sources.size());
  for (std::size_t i = 0; i < simplified.size(); i += 3) {
    const auto owner = static_cast<std::size_t>(
        std::upper_bound(firstVertex.begin(), firstVertex.end(), simplified[i]) -
        firstVertex.begin() - 1);
    for (std::size_t k = i; k < i + 3; ++k)
      kept[owner].push_back(simplified[k] - firstVertex[owner]);
  }
  return kept;
}

// The largest side of the box around the vertices, by which meshoptimizer
// scales the error it reports.
float Extent(const std::vector<MeshVertex>& vertices) {
  const Bounds box = BoundsOf(vertices);
  return std::max({box.maxX - box.minX, box.maxY - box.minY, box.maxZ - box.minZ});
}

// Each source alone, its texture seams let go: corners that share a position
// become one vertex (the first of them, whose texture coordinates the others
// then take), and `sloppy` also lets the surface's shape go (clusters of
// nearby vertices become one). Each source gets its share of the target.
std::vector<std::vector<std::uint32_t>> SimplifyEach(const std::vector<Source>& sources,
                                                     std::size_t targetTriangles, bool sloppy,
                                                     float& relativeError) {
  std::size_t total = 0;
  for (const Source& source : sources) total += source.whole.corners.size() / 3;
  std::vector<std::vector<std::uint32_t>> kept(sources.size());
  relativeError = 0;
  std::vector<MeshVertex> all;
  for (const Source& source : sources) {
    all.insert(all.end(), source.whole.vertices.begin(), source.whole.vertices.end());
  }
  const float extent = Extent(all);
  for (std::size_t s = 0; s < sources.size(); ++s) {
    const WholeMesh& whole = sources[s].whole;
    const std::size_t triangles = whole.corners.size() / 3;
    const std::size_t share = std::max<std::size_t>(1, triangles * targetTriangles / total);
    std::vector<float> positions;
    positions.reserve(3 * whole.vertices.size());
    for (const MeshVertex& vertex : whole.vertices) {
      positions.insert(positions.end(), vertex.position, vertex.position + 3);
    }
    const std::size_t vertexCount = whole.vertices.size();
    // The remap numbers distinct positions in order of first appearance;
    // each stands for the first vertex at that position.
    std::vector<std::uint32_t> remap(vertexCount);
    meshopt_generateVertexRemap(remap.data(), nullptr, vertexCount, positions.data(), vertexCount,
                                3 * sizeof(float));
    std::vector<std::uint32_t> firstAt(vertexCount);
    for (std::size_t j = vertexCount; j-- > 0;) firstAt[remap[j]] = static_cast<std::uint32_t>(j);
    std::vector<std::uint32_t> welded(whole.corners.size());
    for (std::size_t k = 0; k < welded.size(); ++k) welded[k] = firstAt[remap[whole.corners[k]]];

    std::vector<std::uint32_t>& result = kept[s];
    result.resize(welded.size());
    const std::size_t targetIndices = std::min(welded.size(), 3 * share);
    float error = 0;
    result.resize(sloppy ? meshopt_simplifySloppy(result.data(), welded.data(), welded.size(),
                                                  positions.data(), vertexCount, 3 * sizeof(float),
                                                  targetIndices, kNoErrorLimit, &error)
                         : meshopt_simplify(result.data(), welded.data(), welded.size(),
                                            positions.data(), vertexCount, 3 * sizeof(float),
                                            targetIndices, kNoErrorLimit, 0, &error));
    // A mesh keeps at least one triangle: the file has a place for every mesh.
    if (result.empty()) result.assign(welded.begin(), welded.begin() + 3);
    // Each mesh's error is of its own size; the report's is of all geometry's.
    if (extent > 0)
      relativeError = std::max(relativeError, error * Extent(whole.vertices) / extent);
  }
  return kept;
}

// The source's meshes made anew from `kept` (corners into its whole mesh):
// only the vertices they use stay, in their order, split again where 16-bit
// indices cannot address them, with bounds and normals made anew.
std::vector<MeshRecord> Rebuild(const MeshRecord& first, const Source& source,
                                const std::vector<std::uint32_t>& kept) {
  std::vector<MeshRecord> meshes;
  for (const MeshPiece& piece : SplitIntoPieces(kept, source.whole.vertices.size())) {
    MeshRecord& mesh = meshes.emplace_back();
    mesh.meshName = first.meshName;
    mesh.materialName = first.materialName;
    for (const std::uint32_t origin : piece.origins)
      mesh.vertices.push_back(source.whole.vertices[origin]);
    mesh.triangles.resize(piece.corners.size() / 3);
    for (std::size_t k = 0; k < piece.corners.size(); ++k) {
      mesh.triangles[k / 3].index[k % 3] = piece.corners[k];
    }
    mesh.bounds = BoundsOf(mesh.vertices);
    ComputeMeshNormals(mesh);
  }
  return meshes;
}

}  // namespace

bool SimplifierAvailable() { return true; }

SimplifyReport SimplifyGeometry(MeshList& meshList, std::size_t targetTriangles,
                                const std::vector<SplitMesh>& splits, bool mustFit,
                                Relaxation from) {
  SimplifyReport report;
  report.trianglesBefore = GeometryTriangleCount(meshList);
  report.trianglesAfter = report.trianglesBefore;
  if (report.trianglesBefore <= targetTriangles && splits.empty()) return report;

  const std::vector<Source> sources = CollectSources(meshList, splits);
  std::size_t inSources = 0;
  for (const Source& source : sources) inSources += source.whole.corners.size() / 3;
  // Triangles outside the sources (meshes left as they are) count against the target.
  const std::size_t outside = report.trianglesBefore - inSources;
  const std::size_t target = targetTriangles > outside ? targetTriangles - outside : 0;
  std::vector<std::vector<std::uint32_t>> kept;
  if (inSources <= target) {
    for (const Source& source : sources) kept.push_back(source.whole.corners);
  } else {
    const auto fits = [&] { return outside + TriangleCount(kept) <= kMaxTriangles; };
    if (from == Relaxation::None) kept = SimplifyTogether(sources, target, report.relativeError);
    if (from == Relaxation::TextureSeams || (from == Relaxation::None && mustFit && !fits())) {
      report.relaxed = Relaxation::TextureSeams;
      kept = SimplifyEach(sources, target, false, report.relativeError);
    }
    if (from == Relaxation::Sloppy || (mustFit && !fits())) {
      report.relaxed = Relaxation::Sloppy;
      // Sloppy clusters land near, not on, the target: ask for less until it fits.
      for (std::size_t ask = target, tries = 0; tries < 8 && (tries == 0 || (mustFit && !fits()));
           ask = ask * 3 / 4, ++tries) {
        kept = SimplifyEach(sources, ask, true, report.relativeError);
      }
    }
  }

  MeshList rebuilt;
  rebuilt.reserve(meshList.size());
  std::size_t m = 0;
  for (std::size_t s = 0; s <= sources.size(); ++s) {
    const std::size_t next = s < sources.size() ? sources[s].firstMesh : meshList.size();
    for (; m < next; ++m) rebuilt.push_back(std::move(meshList[m]));
    if (s == sources.size()) break;
    const Source& source = sources[s];
    const std::size_t keptTriangles = kept[s].size() / 3;
    if (source.meshCount == 1 &&
        (keptTriangles == 0 || keptTriangles == meshList[m].triangles.size())) {
      rebuilt.push_back(std::move(meshList[m++]));
      continue;
    }
    for (MeshRecord& mesh :
         Rebuild(meshList[m], source, keptTriangles == 0 ? source.whole.corners : kept[s])) {
      rebuilt.push_back(std::move(mesh));
    }
    m += source.meshCount;
  }
  meshList = std::move(rebuilt);
  report.trianglesAfter = GeometryTriangleCount(meshList);
  return report;
}

}  // namespace svcmp
