#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "cmp/assembly_extras.h"
#include "host/host_model.h"
#include "job/export_options.h"
#include "job/simplify_step.h"
#include "ui/export_mode.h"
#include "ui/export_settings.h"

namespace svcmp {

// The driver runs of one `cmptool export`: one, or with --auto-lod three into
// the same file, exactly as three exports would run: level 0 from the model
// (a new file, or an update with --update), then updates at levels 1 and 2
// with copies simplified to the --lod-ratios shares of level 0's triangles.
// Each later level takes over the meshes it cannot reduce from the one before.
// The levels are built one upon another in memory and none writes the file:
// the job writes the last one's image with the export's other files.
class LevelExports {
 public:
  // A level the model brings itself (from "NAME$lodN" nodes): its model and
  // the parts' mesh counts, exported as an update at the next level.
  struct GivenLevel {
    HostModelPtr model;
    std::vector<std::int32_t> meshesPerGroup;
    std::vector<SplitMesh> splits;  // its meshes held in pieces
    // Per part, whether the model gives the level; --auto-lod makes the
    // others. Empty: every part's.
    std::vector<bool> givenParts;
  };

  // `splits`: the model's meshes held in pieces (SplitLargeMeshes); kept
  // for the levels' lifetime by the caller. With given levels, runs level 0
  // and then each of them, staged in memory as --auto-lod's levels are;
  // with --auto-lod too, it simplifies only the parts a level does not give,
  // to the level's share of their own level 0 triangles.
  // The steps tell `ui` their warnings and what they did.
  LevelExports(const ExportOptions& options, const ExportSettings& settings, HostModelPtr model,
               const std::vector<SplitMesh>& splits, ExportJobUi& ui,
               std::vector<GivenLevel> givenLevels = {});
  // The steps point into the levels' mesh lists.
  LevelExports(const LevelExports&) = delete;
  LevelExports& operator=(const LevelExports&) = delete;

  int Count() const { return count_; }
  ExportMode Mode(int run) const;
  ExportSettings Settings(int run) const;
  // The run's extras: `shared`, with the staging of the file's image.
  AssemblyExtras Extras(AssemblyExtras shared);
  // The file's image as the last run built it.
  std::vector<std::uint8_t> TakeImage() { return std::move(stagedImage_); }
  // Called when the runs before it are done: a level made beside given
  // parts lines up with the levels before it here.
  SimplifyStep& Step(int run);
  // The geometry the run exported, once its step ran.
  const MeshList& Exported(int run) const { return exported_[static_cast<std::size_t>(run)]; }
  // What the run's simplification did; none when it did not simplify.
  const std::optional<SimplifyReport>& Report(int run) const {
    return steps_[static_cast<std::size_t>(run)]->Report();
  }
  // The model for the run, which the driver destroys: a copy for all but the last.
  HostModelPtr TakeModel(int run);

 private:
  static constexpr int kLevelCount = 3;

  bool MakesBesideGivenParts(int run) const;
  // Plans the run to simplify only the parts its given level lacks.
  void HoldGivenParts(int run, SimplifyPlan& plan);
  std::vector<std::int32_t> MeshesPerPart(int run) const;
  // The parts' mesh counts in the run's exported list, once it ran; none
  // where they cannot be told.
  std::optional<std::vector<std::int32_t>> ExportedMeshesPerPart(int run) const;
  // The previous level's exported meshes lined up with the run's, and level
  // 0's of the parts the run makes.
  void LineUpWithLevelsBefore(int run);

  ExportMode firstMode_;
  ExportSettings settings_;
  bool autoLod_;
  bool manyLevels_;  // more than one run, each at its own level
  int count_;
  HostModelPtr model_;
  std::vector<GivenLevel> given_;
  std::array<MeshList, kLevelCount> exported_;
  std::array<std::optional<SimplifyStep>, kLevelCount> steps_;
  // For levels made beside given parts: the meshes given, the splits of the
  // others, the previous level lined up, and level 0's share basis.
  std::array<const std::vector<SplitMesh>*, kLevelCount> splits_ = {};  // each run's
  std::array<std::vector<bool>, kLevelCount> held_;
  std::array<std::vector<SplitMesh>, kLevelCount> madeSplits_;
  std::array<MeshList, kLevelCount> previousLinedUp_;
  std::array<MeshList, kLevelCount> levelZeroOfMade_;
  std::vector<std::uint8_t> stagedImage_;  // the file as the levels so far make it
};

}  // namespace svcmp
