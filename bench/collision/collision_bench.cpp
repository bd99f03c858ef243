// The collision of the largest model the format holds: 65,535 vertices and
// 21,845 triangles in 18 parts of three meshes each (ellipsoids, so hulls
// have many faces and are thinned to 300), written as a collision file;
// against Qhull alone on the same pieces.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <random>

#include "collision/part_collision.h"
#include "collision/sur_writer.h"

extern "C" {
#include <libqhull_r/qhull_ra.h>
}

namespace svcmp {
namespace {

constexpr int kParts = 18;
constexpr int kMeshesPerPart = 3;
constexpr int kVertices = 65535;

std::vector<CollisionPartInput> LargestModel() {
  std::mt19937 random(11);
  std::normal_distribution<float> normal;
  std::vector<CollisionPartInput> parts(kParts);
  int left = kVertices;
  for (int part = 0; part < kParts; ++part) {
    parts[part].id = static_cast<std::uint32_t>(part + 1);
    parts[part].moves = part == 0;
    for (int mesh = 0; mesh < kMeshesPerPart; ++mesh) {
      const int meshesLeft = (kParts - part) * kMeshesPerPart - mesh;
      const int count = left / meshesLeft;
      left -= count;
      CollisionPiece piece{parts[part].id, "mesh", {}};
      for (int i = 0; i < count; ++i) {
        CollisionVector p{normal(random), normal(random), normal(random)};
        const float length = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
        piece.points.push_back({p[0] / length * 3 + 4.0f * mesh, p[1] / length, p[2] / length * 2});
      }
      parts[part].pieces.push_back(std::move(piece));
    }
  }
  return parts;
}

void CollisionOfLargestModel(benchmark::State& state) {
  const auto parts = LargestModel();
  for (auto _ : state) {
    const CollisionBuild build = BuildCollision(parts, 300);
    const SurWriting written = WriteSurFile(build.parts);
    benchmark::DoNotOptimize(written.bytes.data());
  }
}
BENCHMARK(CollisionOfLargestModel)->Unit(benchmark::kMillisecond);

void QhullAloneOnTheSamePieces(benchmark::State& state) {
  const auto parts = LargestModel();
  std::FILE* quiet = std::tmpfile();
  for (auto _ : state) {
    for (const CollisionPartInput& part : parts) {
      for (const CollisionPiece& piece : part.pieces) {
        std::vector<coordT> coordinates;
        for (const auto& p : piece.points) coordinates.insert(coordinates.end(), p.begin(), p.end());
        qhT state;
        qhT* qh = &state;
        qh_zero(qh, quiet);
        char flags[] = "qhull Qt";
        benchmark::DoNotOptimize(qh_new_qhull(qh, 3, static_cast<int>(piece.points.size()),
                                              coordinates.data(), False, flags, nullptr, quiet));
        qh_freeqhull(qh, !qh_ALL);
        int longLeft = 0, totalLeft = 0;
        qh_memfreeshort(qh, &longLeft, &totalLeft);
      }
    }
  }
  std::fclose(quiet);
}
BENCHMARK(QhullAloneOnTheSamePieces)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace svcmp
