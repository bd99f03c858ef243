#include <benchmark/benchmark.h>
#include <meshoptimizer.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "plugin/model_capture.h"
#include "simplify/level_reuse.h"
#include "simplify/mesh_simplifier.h"
#include "tests/simplify/generated_meshes.h"

namespace svcmp {
namespace {

// A sphere cut into pieces of `ringsPerPiece` bands, since one mesh addresses
// at most 65,536 vertices.
MeshList Sphere(int rings, int segments, int ringsPerPiece) {
  MeshList meshList;
  for (int first = 0; first < rings; first += ringsPerPiece) {
    meshList.push_back(testing::MakeSphere("piece" + std::to_string(first), 10, rings, segments,
                                           first, std::min(rings, first + ringsPerPiece)));
  }
  return meshList;
}

// 998,000 triangles.
const MeshList& MillionTriangles() {
  static const MeshList meshList = Sphere(500, 1000, 25);
  return meshList;
}

// 21,780 triangles, just within the mesh buffer's 21,845.
const MeshList& AtTheLimit() {
  static const MeshList meshList = Sphere(75, 147, 25);
  return meshList;
}

void BM_SimplifyMillionTrianglesToFit(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    MeshList meshList = MillionTriangles();
    state.ResumeTiming();
    const SimplifyReport report = SimplifyGeometry(meshList, kFitTriangleTarget);
    benchmark::DoNotOptimize(report);
  }
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(GeometryTriangleCount(MillionTriangles())));
}
BENCHMARK(BM_SimplifyMillionTrianglesToFit)->Unit(benchmark::kMillisecond);

// meshoptimizer alone on the same triangles, already in one buffer.
void BM_MeshoptimizerAloneMillionTriangles(benchmark::State& state) {
  std::vector<float> positions;
  std::vector<std::uint32_t> indices;
  for (const MeshRecord& mesh : MillionTriangles()) {
    const auto base = static_cast<std::uint32_t>(positions.size() / 3);
    for (const MeshVertex& vertex : mesh.vertices) {
      positions.insert(positions.end(), vertex.position, vertex.position + 3);
    }
    for (const MeshTriangle& triangle : mesh.triangles) {
      for (const std::uint16_t index : triangle.index) indices.push_back(base + index);
    }
  }
  std::vector<std::uint32_t> simplified(indices.size());
  for (auto _ : state) {
    float error = 0;
    benchmark::DoNotOptimize(meshopt_simplify(
        simplified.data(), indices.data(), indices.size(), positions.data(), positions.size() / 3,
        3 * sizeof(float), 3 * kFitTriangleTarget, std::numeric_limits<float>::max(), 0, &error));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(indices.size() / 3));
}
BENCHMARK(BM_MeshoptimizerAloneMillionTriangles)->Unit(benchmark::kMillisecond);

// One host mesh of 1,000,000 triangles as the importer gives it, through
// what cmptool does with it: split for capture, captured, simplified to fit
// and joined again. Set against meshoptimizer alone above.
void BM_OneMeshMillionTrianglesToFit(benchmark::State& state) {
  static const msMesh sphere = testing::MakeHostSphere(10, 500, 1000);
  for (auto _ : state) {
    state.PauseTiming();
    HostModelPtr model = MakeHostModel();
    model->meshes.push_back(sphere);
    state.ResumeTiming();
    const std::vector<SplitMesh> splits = SplitLargeMeshes(*model);
    MeshList meshList = CaptureModel(model.get(), 1, 1);
    const SimplifyReport report = SimplifyGeometry(meshList, kFitTriangleTarget, splits, true);
    benchmark::DoNotOptimize(report);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(sphere.triangles.size()));
}
BENCHMARK(BM_OneMeshMillionTrianglesToFit)->Unit(benchmark::kMillisecond);

// What --auto-lod adds to three exports: levels 1 and 2 simplified from level 0,
// each taking over what it cannot reduce.
void BM_AutoLodLevelsAtTheLimit(benchmark::State& state) {
  const MeshList& level0 = AtTheLimit();
  const std::size_t triangles = GeometryTriangleCount(level0);
  for (auto _ : state) {
    MeshList level1 = level0;
    SimplifyGeometry(level1, triangles / 2);
    TakeUnreducedFromPrevious(level1, level0);
    MeshList level2 = level0;
    SimplifyGeometry(level2, triangles / 4);
    TakeUnreducedFromPrevious(level2, level1);
    benchmark::DoNotOptimize(level2.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(triangles));
}
BENCHMARK(BM_AutoLodLevelsAtTheLimit)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace svcmp
