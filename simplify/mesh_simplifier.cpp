#include "simplify/mesh_simplifier.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "plugin/export_checks.h"
#include "plugin/mesh_normals.h"
#include "plugin/model_capture.h"
#include "simplify/split_normals.h"

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

// The largest side of the box around the vertices, by which meshoptimizer
// scales the error it reports.
float Extent(const std::vector<MeshVertex>& vertices) {
  const Bounds box = BoundsOf(vertices);
  return std::max({box.maxX - box.minX, box.maxY - box.minY, box.maxZ - box.minZ});
}

// One mesh to simplify: a mesh of the list, or the pieces of a split one.
struct Source {
  std::size_t firstMesh = 0;
  std::size_t meshCount = 1;
  WholeMesh whole;  // welded across its normal splits
  NormalSplits splits;
};

// The source's corners welded across its normal splits, which the
// simplifier would otherwise keep as borders.
void WeldSplits(Source& source) {
  source.splits = FindNormalSplits(source.whole);
  if (source.splits.any) source.whole = WeldNormalSplits(source.whole, source.splits);
}

// The largest side of the box around every source's vertices.
float Extent(const std::vector<Source>& sources) {
  bool first = true;
  Bounds all;
  for (const Source& source : sources) {
    if (source.whole.vertices.empty()) continue;
    const Bounds box = BoundsOf(source.whole.vertices);
    all = first ? box : Bounds{std::max(all.maxX, box.maxX), std::min(all.minX, box.minX),
                               std::max(all.maxY, box.maxY), std::min(all.minY, box.minY),
                               std::max(all.maxZ, box.maxZ), std::min(all.minZ, box.minZ)};
    first = false;
  }
  return std::max({all.maxX - all.minX, all.maxY - all.minY, all.maxZ - all.minZ});
}

// The first reduction of split meshes, piece by piece: the share of the
// triangles to keep, and what it did.
struct PieceReduction {
  double share = 1;
  float error = 0;          // the largest, in the geometry's units
  std::size_t removed = 0;  // triangles
};

// Reduces each piece of `split` to about the share of its triangles, its
// borders kept so that the pieces still meet. Done piece by piece, the
// simplifier's working memory is a piece's rather than the whole mesh's,
// which is many times the mesh itself.
void ReducePieces(MeshList& meshList, const SplitMesh& split, PieceReduction& reduction) {
  for (std::size_t p = split.firstPiece; p < split.firstPiece + split.origins.size(); ++p) {
    MeshRecord& piece = meshList[p];
    std::vector<std::uint32_t> corners;
    corners.reserve(3 * piece.triangles.size());
    for (const MeshTriangle& triangle : piece.triangles) {
      corners.insert(corners.end(), triangle.index, triangle.index + 3);
    }
    const auto target =
        static_cast<std::size_t>(reduction.share * static_cast<double>(corners.size() / 3));
    std::vector<std::uint32_t> reduced(corners.size());
    float error = 0;
    reduced.resize(meshopt_simplify(reduced.data(), corners.data(), corners.size(),
                                    piece.vertices[0].position, piece.vertices.size(),
                                    sizeof(MeshVertex), 3 * std::max<std::size_t>(target, 1),
                                    kNoErrorLimit, meshopt_SimplifyLockBorder, &error));
    if (reduced.empty()) continue;
    reduction.removed += piece.triangles.size() - reduced.size() / 3;
    piece.triangles.resize(reduced.size() / 3);
    for (std::size_t k = 0; k < reduced.size(); ++k) {
      piece.triangles[k / 3].index[k % 3] = static_cast<std::uint16_t>(reduced[k]);
    }
    reduction.error = std::max(reduction.error, error * Extent(piece.vertices));
  }
}

// The pieces of a split mesh give their geometry up to its whole mesh, which
// alone is simplified and rebuilt, so that a large mesh is not held twice.
// With a reduction's share below 1, the pieces are first reduced.
std::vector<Source> CollectSources(MeshList& meshList, const std::vector<SplitMesh>& splits,
                                   PieceReduction& reduction) {
  std::vector<Source> sources;
  auto split = splits.begin();
  for (std::size_t m = 0; m < meshList.size(); ++m) {
    if (split != splits.end() && split->firstPiece == m) {
      if (reduction.share < 1) ReducePieces(meshList, *split, reduction);
      sources.push_back({m, split->origins.size(), JoinPieces(meshList, *split), {}});
      WeldSplits(sources.back());
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
    Source& source = sources.emplace_back(Source{m, 1, {mesh.vertices, {}}, {}});
    source.whole.corners.reserve(3 * mesh.triangles.size());
    for (const MeshTriangle& triangle : mesh.triangles) {
      source.whole.corners.insert(source.whole.corners.end(), triangle.index, triangle.index + 3);
    }
    WeldSplits(source);
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
  const float extent = Extent(sources);
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
// only the vertices they use stay, in their order (split again where the
// source's normals were split), split into meshes where 16-bit indices
// cannot address them, with bounds and normals made anew.
std::vector<MeshRecord> Rebuild(const MeshRecord& first, const Source& source,
                                const std::vector<std::uint32_t>& kept) {
  WholeMesh restored;
  if (source.splits.any) restored = RestoreNormalSplits(source.whole.vertices, kept, source.splits);
  const std::vector<MeshVertex>& vertices =
      source.splits.any ? restored.vertices : source.whole.vertices;
  std::vector<MeshRecord> meshes;
  for (const MeshPiece& piece :
       SplitIntoPieces(source.splits.any ? restored.corners : kept, vertices.size())) {
    MeshRecord& mesh = meshes.emplace_back();
    mesh.meshName = first.meshName;
    mesh.materialName = first.materialName;
    for (const std::uint32_t origin : piece.origins) mesh.vertices.push_back(vertices[origin]);
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

  // Meshes too large for 16-bit indices are first reduced piece by piece to
  // twice the share the target leaves, which spares the simplifier's memory
  // on the whole mesh and still leaves the last pass room to choose.
  PieceReduction reduction;
  reduction.share =
      2 * static_cast<double>(targetTriangles) / static_cast<double>(report.trianglesBefore);
  const std::vector<Source> sources = CollectSources(meshList, splits, reduction);
  std::size_t inSources = 0;
  for (const Source& source : sources) inSources += source.whole.corners.size() / 3;
  // Triangles outside the sources (meshes left as they are) count against the target.
  const std::size_t outside = report.trianglesBefore - reduction.removed - inSources;
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

  // The pieces' reduction came before the last pass: the errors add up.
  if (const float extent = Extent(sources); reduction.error > 0 && extent > 0) {
    report.relativeError += reduction.error / extent;
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
