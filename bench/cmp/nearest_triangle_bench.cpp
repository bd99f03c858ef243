// The nearest-triangle search of hardpoints: building the finder and
// answering every hardpoint, on the largest model the mesh buffer allows with
// 3,000 hardpoints scattered through it, and on a hull-like surface with as
// many hardpoints as real files carry, each near the surface.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "cmp/nearest_triangle.h"

namespace svcmp {
namespace {

using Point = std::array<float, 3>;

struct Scene {
  MeshList meshList;
  std::vector<Point> hardpoints;
};

// 65,535 vertices spread through a ship-sized box, 21,845 triangles naming
// random ones, hardpoints anywhere in the same box: the export benchmark's
// largest model.
Scene LargestModel() {
  constexpr int kVertices = 65535;
  constexpr int kTriangles = 21845;
  constexpr int kHardpoints = 3000;
  std::mt19937 random(15);
  std::uniform_real_distribution<float> coordinate(-300.0f, 300.0f);
  std::uniform_int_distribution<int> corner(0, kVertices - 1);
  Scene scene;
  MeshRecord& hull = scene.meshList.emplace_back();
  for (int j = 0; j < kVertices; ++j) {
    hull.vertices.push_back({{coordinate(random), coordinate(random), coordinate(random)}, {}, {}});
  }
  for (int k = 0; k < kTriangles; ++k) {
    MeshTriangle& triangle = hull.triangles.emplace_back();
    for (auto& index : triangle.index) index = static_cast<std::uint16_t>(corner(random));
    hull.faceNormals.push_back({static_cast<float>(k), 0, 0});
  }
  for (int h = 0; h < kHardpoints; ++h) {
    scene.hardpoints.push_back({coordinate(random), coordinate(random), coordinate(random)});
  }
  return scene;
}

// A stretched sphere of 128 x 64 quads (16,384 triangles, neighbouring
// vertices neighbours in memory too) and 248 hardpoints just off its surface.
Scene HullSurface() {
  constexpr int kAround = 128;
  constexpr int kAlong = 64;
  constexpr int kHardpoints = 248;
  const auto surface = [](double around, double along) {
    constexpr double kPi = 3.14159265358979323846;
    const double theta = around * 2 * kPi;
    const double phi = along * kPi;
    return Point{static_cast<float>(40 * std::sin(phi) * std::cos(theta)),
                 static_cast<float>(15 * std::sin(phi) * std::sin(theta)),
                 static_cast<float>(120 * std::cos(phi))};
  };
  Scene scene;
  MeshRecord& hull = scene.meshList.emplace_back();
  for (int j = 0; j <= kAlong; ++j) {
    for (int i = 0; i < kAround; ++i) {
      const Point at = surface(static_cast<double>(i) / kAround, static_cast<double>(j) / kAlong);
      hull.vertices.push_back({{at[0], at[1], at[2]}, {}, {}});
    }
  }
  const auto vertex = [](int i, int j) {
    return static_cast<std::uint16_t>(j * kAround + i % kAround);
  };
  for (int j = 0; j < kAlong; ++j) {
    for (int i = 0; i < kAround; ++i) {
      hull.triangles.push_back({{vertex(i, j), vertex(i + 1, j), vertex(i, j + 1)}});
      hull.triangles.push_back({{vertex(i + 1, j), vertex(i + 1, j + 1), vertex(i, j + 1)}});
    }
  }
  for (std::size_t k = 0; k < hull.triangles.size(); ++k) {
    hull.faceNormals.push_back({static_cast<float>(k), 0, 0});
  }
  std::mt19937 random(248);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::uniform_real_distribution<float> off(-0.5f, 0.5f);
  for (int h = 0; h < kHardpoints; ++h) {
    Point at = surface(unit(random), unit(random));
    for (float& value : at) value += off(random);
    scene.hardpoints.push_back(at);
  }
  return scene;
}

// Builds the finder and answers every hardpoint: all at once as the export
// asks (batch 1), or one at a time.
void FindAll(benchmark::State& state, const Scene& scene) {
  const bool batch = state.range(0) != 0;
  for (auto _ : state) {
    const NearestTriangleFinder finder(scene.meshList);
    if (batch) {
      benchmark::DoNotOptimize(finder.NearestNormals(scene.hardpoints));
    } else {
      for (const Point& point : scene.hardpoints) {
        benchmark::DoNotOptimize(finder.NearestNormal(point));
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(scene.hardpoints.size()));
}

void BM_NearestTriangleLargestModel(benchmark::State& state) { FindAll(state, LargestModel()); }
BENCHMARK(BM_NearestTriangleLargestModel)
    ->ArgName("batch")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMicrosecond);

void BM_NearestTriangleHullSurface(benchmark::State& state) { FindAll(state, HullSurface()); }
BENCHMARK(BM_NearestTriangleHullSurface)
    ->ArgName("batch")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace svcmp
