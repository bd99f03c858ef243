#include "cli/level_exports.h"

#include <string>
#include <utility>

namespace svcmp::cli {

LevelExports::LevelExports(const ExportOptions& options, const ExportSettings& settings,
                           HostModelPtr model, const std::vector<SplitMesh>& splits)
    : firstMode_(options.update ? UpdateExisting : CreateNew),
      settings_(settings),
      autoLod_(options.autoLod),
      printTree_(!options.quiet),
      count_(options.autoLod ? kLevelCount : 1),
      model_(std::move(model)) {
  SimplifyPlan first;
  first.simplify = options.simplify;
  first.share = options.simplifyRatio;
  first.report = !options.quiet;
  first.splits = &splits;
  first.exported = &exported_[0];
  if (!autoLod_) {
    steps_[0].emplace(first);
    return;
  }
  for (int level = 0; level < kLevelCount; ++level) {
    const auto index = static_cast<std::size_t>(level);
    SimplifyPlan plan = first;
    plan.levelName = "level " + std::to_string(level);
    plan.exported = &exported_[index];
    if (level > 0) {
      plan.simplify = true;
      plan.share = options.lodRatios[index - 1];
      plan.shareOf = &exported_[0];
      plan.previousLevel = &exported_[index - 1];
      plan.previousLevelName = "level " + std::to_string(level - 1);
    }
    steps_[index].emplace(std::move(plan));
  }
}

ExportMode LevelExports::Mode(int run) const { return run == 0 ? firstMode_ : UpdateExisting; }

ExportSettings LevelExports::Settings(int run) const {
  ExportSettings settings = settings_;
  if (autoLod_) settings.LodLevel = run;
  return settings;
}

AssemblyExtras LevelExports::Extras(int run, AssemblyExtras shared) {
  if (autoLod_) {
    shared.stagedImage = &stagedImage_;
    shared.stageOnly = run < count_ - 1;
  }
  return shared;
}

HostModelPtr LevelExports::TakeModel(int run) {
  if (run == count_ - 1) return std::move(model_);
  HostModelPtr copy = MakeHostModel();
  *copy = *model_;
  return copy;
}

}  // namespace svcmp::cli
