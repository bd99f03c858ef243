#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "wire/wire_generator.h"
#include "wire/wire_writer.h"

namespace svcmp {
namespace {

// The largest level the format holds: 21,845 triangles (65,535 indices, the
// 16-bit count) over 65,535 vertices, every corner its own vertex as a mesh
// split per face gives, so welding has the most to join. The triangles tile
// a bumpy grid, so about half the edges are sharp and the budget cuts.
struct Level {
  std::vector<std::array<float, 3>> positions;
  std::vector<std::uint16_t> indices;
};

Level LimitLevel(bool bumpy) {
  constexpr int kTriangles = 65535 / 3;
  constexpr int kColumns = 105;  // 105 x 104 quads = 21,840 triangles, then 5 more
  Level level;
  const auto height = [&](int x, int z) {
    return bumpy ? static_cast<float>(((x * 7 + z * 13) % 5) * 0.25) : 0.0f;
  };
  const auto corner = [&](int x, int z) {
    level.indices.push_back(static_cast<std::uint16_t>(level.positions.size()));
    level.positions.push_back({static_cast<float>(x), height(x, z), static_cast<float>(z)});
  };
  for (int t = 0; t < kTriangles; ++t) {
    const int quad = t / 2, x = quad % kColumns, z = quad / kColumns;
    if (t % 2 == 0) {
      corner(x, z);
      corner(x, z + 1);
      corner(x + 1, z + 1);
    } else {
      corner(x, z);
      corner(x + 1, z + 1);
      corner(x + 1, z);
    }
  }
  return level;
}

void BM_GenerateAndWriteWire(benchmark::State& state) {
  const Level level = LimitLevel(state.range(0) != 0);
  std::size_t segments = 0;
  for (auto _ : state) {
    const GeneratedWire wire = GenerateWire(level.positions, level.indices, {});
    const auto bytes = EncodeWireData(0x0356B94Cu, 0, wire.segments);
    segments = wire.candidates;
    benchmark::DoNotOptimize(bytes.data());
  }
  state.counters["candidates"] = static_cast<double>(segments);
}
BENCHMARK(BM_GenerateAndWriteWire)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace svcmp
