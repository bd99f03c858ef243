// The node tree and the file image at the size of a large model file:
// 100,000 nodes built, searched, written and read back.
#include <benchmark/benchmark.h>

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

}  // namespace
}  // namespace svcmp
