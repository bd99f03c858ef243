#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "cmp/mesh_ref_shape.h"

namespace svcmp {
namespace {

constexpr std::size_t kLimitVertices = 65535;  // the mesh buffer's 16-bit vertex count

// One mesh reference at the format's limit: 65,535 vertices, spread through
// a box, or all on a sphere's surface, where every point is a candidate for
// the boundary and the algorithm has the most to do.
MeshList LimitModel(bool onSphere) {
  std::mt19937 random(11);
  std::normal_distribution<float> normal(0, 1);
  std::uniform_real_distribution<float> uniform(-500, 500);
  MeshRecord mesh;
  mesh.meshName = "hull";
  mesh.vertices.resize(kLimitVertices);
  for (MeshVertex& vertex : mesh.vertices) {
    float p[3] = {uniform(random), uniform(random) * 0.3f, uniform(random) * 2};
    if (onSphere) {
      for (float& v : p) v = normal(random);
      const float length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
      for (float& v : p) v = v / length * 300 + 40;
    }
    vertex = MeshVertex{{p[0], p[1], p[2]}, {0, 1, 0}, {0, 0}};
  }
  return {mesh};
}

void BM_ExactMeshRefShape(benchmark::State& state) {
  const MeshList model = LimitModel(state.range(0) != 0);
  for (auto _ : state) {
    MeshRefShape shape = ExactMeshRefShape(model, 0, 1);
    benchmark::DoNotOptimize(shape);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(kLimitVertices));
}
BENCHMARK(BM_ExactMeshRefShape)->ArgName("on_sphere")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace svcmp
