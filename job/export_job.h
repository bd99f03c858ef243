#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cmp/assembly_extras.h"
#include "exporter/parts_from_nodes.h"
#include "host/host_model.h"
#include "job/all_or_none.h"
#include "job/collision_export.h"
#include "job/export_job_ui.h"
#include "job/export_options.h"
#include "job/import_warnings.h"
#include "job/level_exports.h"
#include "job/material_export.h"
#include "job/model_totals.h"
#include "simplify/mesh_pieces.h"
#include "ui/export_mode.h"
#include "ui/export_settings.h"
#include "utf/target_lock.h"
#include "utf/utf_tree.h"

namespace svcmp {

// One export from start to end: the model captured, its parts formed once
// (names, ids, frames, levels) and handed alike to the .cmp's assembly and
// to the collision file; the files of the export (.cmp, .sur, .mat) made in
// memory under every target's lock and then written all or none.
class ExportJob {
 public:
  ExportJob(const ExportOptions& options, ExportJobUi& ui);
  ExportJob(const ExportJob&) = delete;
  ExportJob& operator=(const ExportJob&) = delete;

  // Before the model is read: whether every target may be written and this
  // build can do what is asked. False after the UI was told why.
  bool Prepare();

  // Exports `model` (the loaded model, its large meshes split into
  // `splits`) with `settings`. False after the UI was told why; every
  // target is then byte for byte as it was, or absent.
  bool Run(HostModelPtr model, std::vector<SplitMesh> splits, const ExportSettings& settings);

 private:
  // The locks of every target, taken in one order: the .cmp's first.
  struct TargetLocks {
    std::vector<TargetLock> held;
  };

  bool RefuseTarget(const std::string& path);
  bool RefuseSharedTarget();
  std::vector<std::string> TargetPaths() const;
  bool FormParts();
  bool FormNodeParts();
  bool TakeNodeLevels(PartsFromNodes& formed, const std::vector<SplitMesh>& treeSplits);
  void JudgeModel(const MeshList& meshes, HardpointSource hardpoints);
  bool MakeCollision();
  std::optional<TargetLocks> LockTargets();
  bool KeepOtherCollisionParts();
  std::optional<std::vector<std::uint8_t>> BuildLevels();
  std::string LevelSummary(const LevelExports& runs, int run) const;
  std::vector<ExportFile> FilesOf(std::vector<std::uint8_t> cmp);

  const ExportOptions& options_;
  ExportJobUi& ui_;
  std::string collisionPath_;
  bool writesCollision_ = false;
  bool modelFile_ = false;  // a model file (not a JSON model document): judged as imported
  ExportSettings settings_;
  HostModelPtr model_;
  std::vector<SplitMesh> splits_;
  MeshList capturedMeshes_;
  MeshList partMeshes_;  // parts from the tree: their geometry, each in its part's frame
  ModelTotals totals_;
  AssemblyExtras extras_;
  std::optional<MaterialExport> materials_;
  std::vector<LevelExports::GivenLevel> givenLevels_;
  std::vector<ModelledHull> modelledHulls_;
  CollisionFileBytes collision_;
  std::vector<std::string> summaries_;
};

}  // namespace svcmp
