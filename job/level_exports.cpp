#include "job/level_exports.h"

#include <algorithm>
#include <numeric>
#include <string>
#include <utility>

namespace svcmp {
namespace {

// A mesh the lined-up previous level has no counterpart for: the
// simplification step passes over empty hardpoints.
MeshRecord StandIn() {
  MeshRecord mesh;
  mesh.isHardpoint = true;
  return mesh;
}

std::size_t Total(const std::vector<std::int32_t>& counts) {
  return static_cast<std::size_t>(std::accumulate(counts.begin(), counts.end(), std::int64_t{0}));
}

}  // namespace

LevelExports::LevelExports(const ExportOptions& options, const ExportSettings& settings,
                           HostModelPtr model, const std::vector<SplitMesh>& splits,
                           ExportJobUi& ui, std::vector<GivenLevel> givenLevels)
    : firstMode_(options.update ? UpdateExisting : CreateNew),
      settings_(settings),
      autoLod_(options.autoLod),
      count_(options.autoLod ? kLevelCount : 1 + static_cast<int>(givenLevels.size())),
      model_(std::move(model)),
      given_(std::move(givenLevels)) {
  manyLevels_ = count_ > 1;
  SimplifyPlan first;
  first.simplify = options.simplify;
  first.share = options.simplifyRatio;
  first.report = !options.quiet;
  first.ui = &ui;
  first.splits = &splits;
  first.exported = &exported_[0];
  for (int run = 0; run < count_; ++run) {
    const auto index = static_cast<std::size_t>(run);
    SimplifyPlan plan = first;
    plan.exported = &exported_[index];
    if (run > 0 && !given_.empty()) plan.splits = &given_[index - 1].splits;
    splits_[index] = plan.splits;
    if (autoLod_) plan.levelName = "level " + std::to_string(run);
    if (autoLod_ && run > 0 && (given_.empty() || MakesBesideGivenParts(run))) {
      plan.simplify = true;
      plan.share = options.lodRatios[index - 1];
      plan.shareOf = &exported_[0];
      plan.previousLevel = &exported_[index - 1];
      plan.previousLevelName = "level " + std::to_string(run - 1);
    }
    if (MakesBesideGivenParts(run)) HoldGivenParts(run, plan);
    steps_[index].emplace(std::move(plan));
  }
}

void LevelExports::HoldGivenParts(int run, SimplifyPlan& plan) {
  const auto index = static_cast<std::size_t>(run);
  const GivenLevel& level = given_[index - 1];
  std::vector<bool>& held = held_[index];
  for (std::size_t part = 0; part < level.meshesPerGroup.size(); ++part) {
    const auto count = static_cast<std::size_t>(level.meshesPerGroup[part]);
    held.insert(held.end(), count, static_cast<bool>(level.givenParts[part]));
  }
  held.resize(level.model->meshes.size(), false);
  // The pieces of the given meshes stay pieces.
  for (const SplitMesh& split : level.splits) {
    if (!held[split.firstPiece]) madeSplits_[index].push_back(split);
  }
  plan.splits = &madeSplits_[index];
  splits_[index] = plan.splits;
  plan.heldMeshes = &held;
  plan.shareOf = &levelZeroOfMade_[index];
  plan.previousLevel = &previousLinedUp_[index];
}

bool LevelExports::MakesBesideGivenParts(int run) const {
  if (!autoLod_ || run == 0 || given_.empty()) return false;
  const std::vector<bool>& given = given_[static_cast<std::size_t>(run - 1)].givenParts;
  return std::find(given.begin(), given.end(), false) != given.end();
}

std::vector<std::int32_t> LevelExports::MeshesPerPart(int run) const {
  if (run > 0) return given_[static_cast<std::size_t>(run - 1)].meshesPerGroup;
  return {settings_.GroupQuantities.begin(),
          settings_.GroupQuantities.begin() + std::max(settings_.GroupCount, 1)};
}

SimplifyStep& LevelExports::Step(int run) {
  if (MakesBesideGivenParts(run)) LineUpWithLevelsBefore(run);
  return *steps_[static_cast<std::size_t>(run)];
}

std::optional<std::vector<std::int32_t>> LevelExports::ExportedMeshesPerPart(int run) const {
  std::vector<std::int32_t> counts = MeshesPerPart(run);
  const std::size_t exported = exported_[static_cast<std::size_t>(run)].size();
  if (exported == Total(counts)) return counts;
  // Simplifying joins the pieces of split meshes into one mesh each.
  for (const SplitMesh& split : *splits_[static_cast<std::size_t>(run)]) {
    std::size_t end = 0;
    for (std::int32_t& count : counts) {
      end += static_cast<std::size_t>(count);
      if (split.firstPiece >= end) continue;
      count -= static_cast<std::int32_t>(split.origins.size()) - 1;
      break;
    }
  }
  if (exported == Total(counts)) return counts;
  return std::nullopt;
}

void LevelExports::LineUpWithLevelsBefore(int run) {
  const auto index = static_cast<std::size_t>(run);
  const std::vector<bool>& given = given_[index - 1].givenParts;
  const std::vector<std::int32_t> counts = MeshesPerPart(run);
  const auto before = ExportedMeshesPerPart(run - 1);
  const auto levelZero = ExportedMeshesPerPart(0);
  const MeshList& previous = exported_[index - 1];
  const MeshList& first = exported_[0];
  MeshList& linedUp = previousLinedUp_[index];
  MeshList& madeOfFirst = levelZeroOfMade_[index];
  linedUp.clear();
  // Where level 0 does not line up by parts, the share is of all of it.
  madeOfFirst = levelZero ? MeshList{} : first;
  std::size_t atBefore = 0;
  std::size_t atFirst = 0;
  for (std::size_t part = 0; part < counts.size(); ++part) {
    const auto count = static_cast<std::size_t>(counts[part]);
    const auto countBefore = before ? static_cast<std::size_t>((*before)[part]) : 0;
    const bool inLine = before && !given[part] && count == countBefore;
    for (std::size_t m = 0; m < count; ++m) {
      linedUp.push_back(inLine ? previous[atBefore + m] : StandIn());
    }
    atBefore += countBefore;
    if (!levelZero) continue;
    const auto countFirst = static_cast<std::size_t>((*levelZero)[part]);
    if (!given[part]) {
      madeOfFirst.insert(madeOfFirst.end(), first.begin() + static_cast<std::ptrdiff_t>(atFirst),
                         first.begin() + static_cast<std::ptrdiff_t>(atFirst + countFirst));
    }
    atFirst += countFirst;
  }
}

ExportMode LevelExports::Mode(int run) const { return run == 0 ? firstMode_ : UpdateExisting; }

ExportSettings LevelExports::Settings(int run) const {
  ExportSettings settings = settings_;
  if (manyLevels_) settings.LodLevel = run;
  if (run > 0 && !given_.empty()) {
    const std::vector<std::int32_t>& counts =
        given_[static_cast<std::size_t>(run - 1)].meshesPerGroup;
    settings.GroupQuantities = {};
    std::copy(counts.begin(), counts.end(), settings.GroupQuantities.begin());
  }
  return settings;
}

AssemblyExtras LevelExports::Extras(AssemblyExtras shared) {
  shared.stagedImage = &stagedImage_;
  shared.stageOnly = true;
  return shared;
}

HostModelPtr LevelExports::TakeModel(int run) {
  if (run > 0 && !given_.empty()) return std::move(given_[static_cast<std::size_t>(run - 1)].model);
  if (run == count_ - 1 || !given_.empty()) return std::move(model_);
  HostModelPtr copy = MakeHostModel();
  *copy = *model_;
  return copy;
}

}  // namespace svcmp
