#include <benchmark/benchmark.h>

#include <random>

#include "plugin/mesh_normals.h"
#include "tests/plugin/reference_normals.h"
#include "tests/plugin/test_meshes.h"

namespace svcmp {
namespace {

// A mesh at the buffer's limits: 65,535 vertices and 21,845 triangles.
const MeshRecord& LimitMesh() {
  static const MeshRecord mesh = [] {
    std::mt19937 random(7);
    return testing::MakeRandomMesh(random, 65535, 21845);
  }();
  return mesh;
}

void BM_VertexNormalsOnePass(benchmark::State& state) {
  MeshRecord mesh = LimitMesh();
  for (auto _ : state) {
    ComputeMeshNormals(mesh);
    benchmark::DoNotOptimize(mesh.vertices.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(mesh.vertices.size()));
}
BENCHMARK(BM_VertexNormalsOnePass)->Unit(benchmark::kMillisecond);

// Every triangle asked about every vertex: the reference the one pass must
// equal bit for bit. Slow by design, so it runs once.
void BM_VertexNormalsLiteralWalk(benchmark::State& state) {
  const MeshRecord& mesh = LimitMesh();
  for (auto _ : state) {
    auto normals = testing::ReferenceVertexNormals(mesh);
    benchmark::DoNotOptimize(normals.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(mesh.vertices.size()));
}
BENCHMARK(BM_VertexNormalsLiteralWalk)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace svcmp
