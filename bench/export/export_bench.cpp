// A whole export of the largest model the mesh buffer allows, read from a
// JSON model document, beside the floor under it: reading the file and
// converting each of its numbers once. With 3,000 hardpoints, each of which
// looks for its nearest triangle.
#include <benchmark/benchmark.h>
#include <fast_float/fast_float.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <optional>
#include <string>
#include <vector>

#include "exporter/cmp_exporter_plugin.h"
#include "host/model_document.h"
#include "host/model_document_writer.h"
#include "job/planned_level_ui.h"

namespace svcmp {
namespace {

namespace fs = std::filesystem;

constexpr int kVertices = 65535;
constexpr int kTriangles = 21845;

// One hull mesh at the limits, its corners spread over a ship-sized box,
// and `hardpoints` fixed hardpoints scattered over the same box.
msModel LargestModel(int hardpoints) {
  std::mt19937 random(15);
  std::uniform_real_distribution<float> coordinate(-300.0f, 300.0f);
  std::uniform_real_distribution<float> texture(0.0f, 1.0f);
  std::uniform_int_distribution<int> corner(0, kVertices - 1);
  msModel model;
  msMesh& hull = model.meshes.emplace_back();
  hull.name = "hull";
  for (int j = 0; j < kVertices; ++j) {
    hull.vertices.push_back({{coordinate(random), coordinate(random), coordinate(random)},
                             {texture(random), texture(random)}});
  }
  for (int k = 0; k < kTriangles; ++k) {
    msTriangle& triangle = hull.triangles.emplace_back();
    for (auto& index : triangle.indices) index = static_cast<std::uint16_t>(corner(random));
  }
  for (int h = 0; h < hardpoints; ++h) {
    const msVertex at{{coordinate(random), coordinate(random), coordinate(random)}, {0, 0}};
    model.meshes.push_back({"Hp_Fixed_HpGun" + std::to_string(h), -1, {at, at, at}, {}});
  }
  return model;
}

// The document of LargestModel(hardpoints), written once into the
// benchmark's own folder.
std::string DocumentPath(int hardpoints) {
  const fs::path path =
      fs::temp_directory_path() / ("svcmp_export_bench_" + std::to_string(hardpoints) + ".json");
  if (!fs::exists(path)) {
    if (!SaveModelDocument(LargestModel(hardpoints), path.string()).empty()) return {};
  }
  return path.string();
}

std::string ReadWhole(const std::string& path) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  std::string text(fs::file_size(path), '\0');
  if (std::fread(text.data(), 1, text.size(), file.get()) != text.size()) text.clear();
  return text;
}

void BM_ReadAndConvertFloor(benchmark::State& state) {
  const std::string path = DocumentPath(0);
  for (auto _ : state) {
    const std::string text = ReadWhole(path);
    const char* at = text.data();
    const char* end = at + text.size();
    float sum = 0;
    while (at != end) {
      if (*at == '-' || (*at >= '0' && *at <= '9')) {
        float value = 0;
        at = fast_float::from_chars(at, end, value).ptr;
        sum += value;
      } else {
        ++at;
      }
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_ReadAndConvertFloor)->Unit(benchmark::kMillisecond);

void BM_LoadModelDocument(benchmark::State& state) {
  const std::string path = DocumentPath(0);
  for (auto _ : state) {
    ModelDocumentResult loaded = LoadModelDocument(path);
    if (!loaded.model) state.SkipWithError(loaded.error.c_str());
    benchmark::DoNotOptimize(loaded.model.get());
  }
}
BENCHMARK(BM_LoadModelDocument)->Unit(benchmark::kMillisecond);

// Takes no time over what the export tells.
class SilentJobUi final : public ExportJobUi {
 public:
  void Warn(const std::string&) override {}
  void Fail(const std::string&) override {}
  void Note(const std::string&) override {}
  void Waiting(const std::string&) override {}
  void Written(const std::vector<std::string>&, const UtfTree&) override {}
};

// Load, capture, normals, buffer, tree and the written file, as `cmptool
// export` runs them on a JSON model document.
void BM_Export(benchmark::State& state) {
  const std::string path = DocumentPath(static_cast<int>(state.range(0)));
  const std::string cmpPath = (fs::temp_directory_path() / "svcmp_export_bench.cmp").string();
  for (auto _ : state) {
    ModelDocumentResult loaded = LoadModelDocument(path);
    // The mesh count only explains a group mismatch, which the default
    // settings cannot have.
    SilentJobUi told;
    PlannedLevelUi ui({CreateNew, cmpPath, ExportSettings{}, 0, {}}, told);
    // In memory, as cmptool hands the mesh buffer over.
    CmpExporterPlugIn plugIn(ui, std::nullopt);
    plugIn.Execute(loaded.model.get());
    if (!ui.Succeeded()) state.SkipWithError("the export wrote no file");
  }
}
BENCHMARK(BM_Export)->Arg(0)->Arg(3000)->ArgNames({"hardpoints"})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace svcmp
