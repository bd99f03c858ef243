// The node tree and the file image at the size of a large model file:
// 100,000 nodes built, searched, written and read back; and an update of one
// level in a 4 MB model file set against copying that file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "utf/utf_reader.h"
#include "utf/utf_writer.h"

namespace svcmp {
namespace {

constexpr int kNodes = 100000;

// A wide, model-like tree: parts of ten nodes each, every part holding the
// same few child names, so that names repeat as they do in real files.
void BuildTree(UtfTree& tree, std::vector<UtfNode>& parts) {
  UtfNode top = tree.AddNode(nullptr, "\\");
  UtfNode cmpnd = tree.AddNode(top, "Cmpnd");
  for (int i = 2; i < kNodes; i += 10) {
    UtfNode part = tree.AddNode(cmpnd, "Part_" + std::to_string(i));
    parts.push_back(part);
    UtfNode level = tree.AddNode(tree.AddNode(part, "MultiLevel"), "Level0");
    tree.SetData(tree.AddNode(tree.AddNode(level, "VMeshPart"), "VMeshRef"), std::vector<std::uint8_t>(60, 1));
    for (const char* name : {"File name", "Object name", "Index", "Fixed", "Revolute"}) {
      tree.SetData(tree.AddNode(part, name), std::vector<std::uint8_t>(8, 2));
    }
  }
}

void BM_BuildTree(benchmark::State& state) {
  for (auto _ : state) {
    UtfTree tree;
    std::vector<UtfNode> parts;
    BuildTree(tree, parts);
    benchmark::DoNotOptimize(tree.NodeCount());
  }
}
BENCHMARK(BM_BuildTree)->Unit(benchmark::kMillisecond);

void BM_FindNode(benchmark::State& state) {
  const bool withParent = state.range(0) != 0;
  UtfTree tree;
  std::vector<UtfNode> parts;
  BuildTree(tree, parts);
  std::vector<std::string> names;
  for (int i = 2; i < kNodes; i += 10) names.push_back("Part_" + std::to_string(i));
  for (auto _ : state) {
    std::size_t found = 0;
    for (int i = 0; i < kNodes; ++i) {
      const std::size_t part = static_cast<std::size_t>(i) % parts.size();
      found += withParent ? tree.FindNode(parts[part], "Index") != nullptr
                          : tree.FindNode(nullptr, names[part]) != nullptr;
    }
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(BM_FindNode)->Arg(0)->Arg(1)->ArgNames({"withParent"})->Unit(benchmark::kMillisecond);

void BM_WriteUtfBytes(benchmark::State& state) {
  UtfTree tree;
  std::vector<UtfNode> parts;
  BuildTree(tree, parts);
  for (auto _ : state) benchmark::DoNotOptimize(WriteUtfBytes(tree).size());
}
BENCHMARK(BM_WriteUtfBytes)->Unit(benchmark::kMillisecond);

void BM_ReadUtfBytes(benchmark::State& state) {
  UtfTree source;
  std::vector<UtfNode> parts;
  BuildTree(source, parts);
  const std::vector<std::uint8_t> bytes = WriteUtfBytes(source);
  for (auto _ : state) {
    UtfTree tree;
    if (!ReadUtfBytes(bytes, tree, nullptr).ok()) state.SkipWithError("the written file did not read back");
    benchmark::DoNotOptimize(tree.NodeCount());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ReadUtfBytes)->Unit(benchmark::kMillisecond);

// A model file of about 4.4 MB as three exports make it: two levels with
// mesh buffers at the format's limit and a small third level.
void WriteLargeModelFile(const std::filesystem::path& path) {
  UtfTree tree;
  UtfNode top = tree.AddNode(nullptr, "\\");
  UtfNode library = tree.AddNode(top, "VMeshLibrary");
  UtfNode multiLevel = tree.AddNode(tree.AddNode(top, "ship.3db"), "MultiLevel");
  for (int level = 0; level < 3; ++level) {
    const std::size_t bufferSize = level < 2 ? 2228218 : 2950;
    const std::string suffix = std::to_string(level);
    tree.SetData(tree.AddNode(tree.AddNode(library, "ship.lod" + suffix + ".vms"), "VMeshData"),
                 std::vector<std::uint8_t>(bufferSize, static_cast<std::uint8_t>(level + 1)));
    UtfNode part = tree.AddNode(tree.AddNode(multiLevel, "Level" + suffix), "VMeshPart");
    tree.SetData(tree.AddNode(part, "VMeshRef"), std::vector<std::uint8_t>(60, 9));
  }
  const std::vector<std::uint8_t> bytes = WriteUtfBytes(tree);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// Reads the file, replaces the third level's mesh buffer and reference and
// writes it back through the safe replacement; beside it in the same
// iteration, std::filesystem::copy_file of the same file. The time is the
// update's; "ratio" is update over copy.
void BM_UpdateAgainstCopy(benchmark::State& state) {
  namespace fs = std::filesystem;
  using Clock = std::chrono::steady_clock;
  const fs::path folder = fs::temp_directory_path();
  const std::string stem = "svcmp_utf_bench_" + std::to_string(::getpid());
  const fs::path model = folder / (stem + ".cmp");
  const fs::path copy = folder / (stem + "_copy.cmp");
  WriteLargeModelFile(model);
  const std::vector<std::uint8_t> newBuffer(3100, 0x33);
  const std::vector<std::uint8_t> newRef(60, 0x44);
  double updateSeconds = 0;
  double copySeconds = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    UtfTree tree;
    if (!ReadUtfFile(model, tree, nullptr).ok()) state.SkipWithError("the model file did not read");
    tree.SetData(tree.FirstChild(tree.FindNode(nullptr, "ship.lod2.vms")), newBuffer);
    tree.SetData(tree.FindNode(tree.FindNode(nullptr, "Level2"), "VMeshPart"), newRef);
    if (!WriteUtfFile(tree, model).written) state.SkipWithError("the model file was not written");
    const Clock::time_point updated = Clock::now();
    fs::copy_file(model, copy, fs::copy_options::overwrite_existing);
    const Clock::time_point copied = Clock::now();
    const double update = std::chrono::duration<double>(updated - start).count();
    updateSeconds += update;
    copySeconds += std::chrono::duration<double>(copied - updated).count();
    state.SetIterationTime(update);
  }
  const double iterations = static_cast<double>(state.iterations());
  state.counters["update_ms"] = 1000 * updateSeconds / iterations;
  state.counters["copy_ms"] = 1000 * copySeconds / iterations;
  state.counters["ratio"] = updateSeconds / copySeconds;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fs::file_size(model)));
  fs::remove(model);
  fs::remove(copy);
}
BENCHMARK(BM_UpdateAgainstCopy)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace svcmp
