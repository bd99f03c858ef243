#include "cli/level_exports.h"

#include <algorithm>
#include <string>
#include <utility>

namespace svcmp::cli {

LevelExports::LevelExports(const ExportOptions& options, const ExportSettings& settings,
                           HostModelPtr model, const std::vector<SplitMesh>& splits,
                           std::vector<GivenLevel> givenLevels)
    : firstMode_(options.update ? UpdateExisting : CreateNew),
      settings_(settings),
      autoLod_(options.autoLod),
      printTree_(!options.quiet),
      count_(options.autoLod ? kLevelCount : 1 + static_cast<int>(givenLevels.size())),
      model_(std::move(model)),
      given_(std::move(givenLevels)) {
  staged_ = count_ > 1;
  SimplifyPlan first;
  first.simplify = options.simplify;
  first.share = options.simplifyRatio;
  first.report = !options.quiet;
  first.splits = &splits;
  first.exported = &exported_[0];
  if (!autoLod_) {
    for (int run = 0; run < count_; ++run) {
      const auto index = static_cast<std::size_t>(run);
      SimplifyPlan plan = first;
      plan.exported = &exported_[index];
      steps_[index].emplace(std::move(plan));
    }
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
  if (staged_) settings.LodLevel = run;
  if (run > 0 && !given_.empty()) {
    const std::vector<std::int32_t>& counts = given_[static_cast<std::size_t>(run - 1)].meshesPerGroup;
    settings.GroupQuantities = {};
    std::copy(counts.begin(), counts.end(), settings.GroupQuantities.begin());
  }
  return settings;
}

AssemblyExtras LevelExports::Extras(int run, AssemblyExtras shared) {
  if (staged_) {
    shared.stagedImage = &stagedImage_;
    shared.stageOnly = run < count_ - 1;
  }
  return shared;
}

HostModelPtr LevelExports::TakeModel(int run) {
  if (run > 0 && !given_.empty()) return std::move(given_[static_cast<std::size_t>(run - 1)].model);
  if (run == count_ - 1 || !given_.empty()) return std::move(model_);
  HostModelPtr copy = MakeHostModel();
  *copy = *model_;
  return copy;
}

}  // namespace svcmp::cli
