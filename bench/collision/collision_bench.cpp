// The collision of the largest model the format holds: 65,535 vertices and
// 21,845 triangles in 18 parts of three meshes each (ellipsoids, so hulls
// have many faces and are thinned to 300), written as a collision file:
// the hulls and the writer alone, and the export's whole way (parts formed
// from the captured meshes, Fix children copied into Root, the file read
// back and checked); against Qhull alone on the same pieces. And a concave
// model (a ring and a hangar) the export's whole way, split into convex
// pieces against hulled whole.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "job/collision_export.h"
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
      CollisionPiece piece{parts[part].id, "mesh", {}, {}};
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

// The same pieces as the export captures them: a mesh each, with its share
// of the triangles, grouped three to a part.
MeshList LargestModelMeshes() {
  constexpr int kTriangles = 21845;
  MeshList meshes;
  int trianglesLeft = kTriangles;
  for (const CollisionPartInput& part : LargestModel()) {
    for (const CollisionPiece& piece : part.pieces) {
      MeshRecord& mesh = meshes.emplace_back();
      mesh.meshName = "part" + std::to_string(part.id) + "_" + std::to_string(meshes.size());
      for (const CollisionVector& p : piece.points) mesh.vertices.push_back({{p[0], p[1], p[2]}, {}, {}});
      const int share = trianglesLeft / (kParts * kMeshesPerPart - static_cast<int>(meshes.size()) + 1);
      trianglesLeft -= share;
      const auto count = static_cast<std::uint16_t>(mesh.vertices.size());
      for (int t = 0; t < share; ++t) {
        const auto first = static_cast<std::uint16_t>(3 * t % (count - 2));
        mesh.triangles.push_back({{first, static_cast<std::uint16_t>(first + 1),
                                   static_cast<std::uint16_t>(first + 2)}});
      }
    }
  }
  return meshes;
}

void CollisionOfLargestModelThroughTheExport(benchmark::State& state) {
  const MeshList meshes = LargestModelMeshes();
  const std::vector<std::int32_t> meshesPerPart(kParts, kMeshesPerPart);
  CollisionShape shape;
  shape.meshesPerPart = meshesPerPart;
  shape.fixJoints = state.range(0) != 0;
  shape.decompose = false;  // ellipsoids: nothing to split, and their triangles are made up
  for (auto _ : state) {
    const StepResult<CollisionFileBytes> made = MakeCollisionFile(meshes, shape);
    if (!made.ok()) state.SkipWithError(made.error.c_str());
    if (made.ok()) benchmark::DoNotOptimize(made.value->bytes.data());
  }
}
// 0: --groups alone; 1: under Fix joints (--game-ready), whose parts Root
// holds copies of, so Root's hulls are written, read back and checked twice.
BENCHMARK(CollisionOfLargestModelThroughTheExport)
    ->ArgName("fix")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

// A concave model of 20,000 triangles: a station's ring (radius 50, tube 5;
// 10,000 triangles) and a hangar (a U 100 wide, 60 high, walls 10 thick,
// 200 deep in 625 slices; 10,012 triangles), a part each under a Fix joint.
MeshList ConcaveModelMeshes() {
  const double pi = std::acos(-1.0);
  MeshList meshes(2);
  MeshRecord& ring = meshes[0];
  ring.meshName = "ring";
  constexpr int kAround = 100, kTube = 50;
  for (int i = 0; i < kAround; ++i) {
    for (int j = 0; j < kTube; ++j) {
      const double u = 2 * pi * i / kAround, v = 2 * pi * j / kTube;
      ring.vertices.push_back({{static_cast<float>((50 + 5 * std::cos(v)) * std::cos(u)),
                                static_cast<float>((50 + 5 * std::cos(v)) * std::sin(u)),
                                static_cast<float>(5 * std::sin(v))}, {}, {}});
    }
  }
  const auto at = [](int i, int j) { return static_cast<std::uint16_t>((i % kAround) * kTube + j % kTube); };
  for (int i = 0; i < kAround; ++i) {
    for (int j = 0; j < kTube; ++j) {
      ring.triangles.push_back({{at(i, j), at(i + 1, j), at(i + 1, j + 1)}});
      ring.triangles.push_back({{at(i, j), at(i + 1, j + 1), at(i, j + 1)}});
    }
  }
  MeshRecord& hangar = meshes[1];
  hangar.meshName = "hangar";
  constexpr int kSlices = 625;
  const float outline[8][2] = {{-50, 0}, {50, 0}, {50, 60}, {40, 60}, {40, 10}, {-40, 10}, {-40, 60}, {-50, 60}};
  for (int s = 0; s <= kSlices; ++s) {
    for (const auto& corner : outline) {
      hangar.vertices.push_back({{corner[0], 200.0f * s / kSlices, corner[1]}, {}, {}});
    }
  }
  const auto corner = [](int s, int k) { return static_cast<std::uint16_t>(8 * s + k % 8); };
  for (int s = 0; s < kSlices; ++s) {
    for (int k = 0; k < 8; ++k) {
      hangar.triangles.push_back({{corner(s, k), corner(s, k + 1), corner(s + 1, k + 1)}});
      hangar.triangles.push_back({{corner(s, k), corner(s + 1, k + 1), corner(s + 1, k)}});
    }
  }
  const int cap[6][3] = {{0, 1, 4}, {0, 4, 5}, {1, 2, 3}, {1, 3, 4}, {0, 5, 6}, {0, 6, 7}};
  for (const auto& t : cap) {
    hangar.triangles.push_back({{corner(0, t[0]), corner(0, t[2]), corner(0, t[1])}});
    hangar.triangles.push_back({{corner(kSlices, t[0]), corner(kSlices, t[1]), corner(kSlices, t[2])}});
  }
  return meshes;
}

// The export's whole way on the concave model: 1 splits the concave meshes
// (the default), 0 hulls each mesh whole.
void CollisionOfConcaveModelThroughTheExport(benchmark::State& state) {
  const MeshList meshes = ConcaveModelMeshes();
  const std::vector<std::int32_t> meshesPerPart{1, 1};
  CollisionShape shape;
  shape.meshesPerPart = meshesPerPart;
  shape.fixJoints = true;
  shape.decompose = state.range(0) != 0;
  std::size_t hulls = 0;
  for (auto _ : state) {
    const StepResult<CollisionFileBytes> made = MakeCollisionFile(meshes, shape);
    if (!made.ok()) {
      state.SkipWithError(made.error.c_str());
      break;
    }
    hulls = made.value->bytes.size();
    benchmark::DoNotOptimize(made.value->bytes.data());
  }
  state.counters["bytes"] = static_cast<double>(hulls);
}
BENCHMARK(CollisionOfConcaveModelThroughTheExport)
    ->ArgName("decompose")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

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
