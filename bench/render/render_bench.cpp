#include <benchmark/benchmark.h>

#include "render/model_views.h"
#include "render/png_encoder.h"
#include "tests/render/test_scenes.h"

namespace svcmp {
namespace {

// 21,845 triangles, the most one mesh buffer's 16-bit index count allows: a
// torus of 21,844 and one triangle more.
const render::Scene& LimitScene() {
  static const render::Scene scene = [] {
    render::SceneMesh torus = testing::MakeTorus(127, 86, 10, 3);
    torus.indices.insert(torus.indices.end(), {0, 1, 86});
    return render::Scene{{torus}, {{"HpMount01", {13, 0, 0}, {1, 0, 0, 0, 1, 0, 0, 0, 1}}}};
  }();
  return scene;
}

void BM_RenderThreeViewsAtTheLimit(benchmark::State& state) {
  const render::Scene& scene = LimitScene();
  for (auto _ : state) {
    render::Canvas picture = render::RenderModelViews(scene, 1200, 400);
    benchmark::DoNotOptimize(picture.RgbBytes().data());
  }
  state.SetItemsProcessed(state.iterations() * 3 *
                          static_cast<std::int64_t>(scene.meshes[0].indices.size() / 3));
}
BENCHMARK(BM_RenderThreeViewsAtTheLimit)->Unit(benchmark::kMillisecond);

void BM_EncodePreviewPng(benchmark::State& state) {
  const render::Canvas picture = render::RenderModelViews(LimitScene(), 1200, 400);
  for (auto _ : state) {
    auto png = render::EncodePng(picture);
    benchmark::DoNotOptimize(png.data());
  }
}
BENCHMARK(BM_EncodePreviewPng)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace svcmp
