#include "job/export_job.h"

#include <algorithm>
#include <filesystem>
#include <span>
#include <system_error>
#include <utility>

#include "exporter/cmp_exporter_plugin.h"
#include "exporter/scripts_from_animations.h"
#include "import/model_file.h"
#include "inspect/collision_decoder.h"
#include "job/collision_update.h"
#include "job/import_warnings.h"
#include "job/planned_level_ui.h"
#include "plugin/model_capture.h"
#include "simplify/mesh_simplifier.h"
#include "utf/replace_target.h"
#include "utf/utf_reader.h"

namespace svcmp {
namespace {

// The meshes that groups are made of: every one that is not a hardpoint.
std::size_t CountGeometryMeshes(msModel* model) {
  std::size_t count = 0;
  for (int i = 0; i < msModel_GetMeshCount(model); ++i) {
    char name[64] = {};
    msMesh_GetName(msModel_GetMeshAt(model, i), name, sizeof name - 1);
    if (!IsHardpointName(name)) ++count;
  }
  return count;
}

// The geometry meshes of each part the export forms.
std::vector<std::int32_t> MeshesPerPart(const ExportSettings& settings, const MeshList& meshes) {
  if (settings.GroupCount > 1) {
    return {settings.GroupQuantities.begin(),
            settings.GroupQuantities.begin() + settings.GroupCount};
  }
  return {static_cast<std::int32_t>(std::count_if(
      meshes.begin(), meshes.end(), [](const MeshRecord& mesh) { return !mesh.isHardpoint; }))};
}

// The names of the tree's collision nodes, for a warning that they were
// not used.
std::string HullNodeNames(const std::vector<ModelledHull>& hulls) {
  std::string names;
  for (const ModelledHull& hull : hulls)
    names += (names.empty() ? "\"" : ", \"") + hull.node + "\"";
  return names;
}

// The read-back check of a UTF file (.cmp, .mat): it parses.
std::string CheckUtfBytes(std::span<const std::uint8_t> bytes) {
  UtfTree tree;
  const UtfReadResult read = ReadUtfBytes(bytes, tree, nullptr);
  return read.ok() ? "" : "does not read back as a UTF file: " + read.reason;
}

std::string CheckCollisionBytes(std::span<const std::uint8_t> bytes) {
  const CollisionDecoding decoded = DecodeCollisionFile(bytes);
  return decoded.file ? "" : "as read back " + BrokenCollisionRule(decoded.error);
}

}  // namespace

ExportJob::ExportJob(const ExportOptions& options, ExportJobUi& ui)
    : options_(options), ui_(ui), collisionPath_(CollisionPath(options)) {}

bool ExportJob::RefuseTarget(const std::string& path) {
  if (const auto refusal = CheckReplaceTarget(path)) {
    ui_.Fail(*refusal);
    return true;
  }
  std::error_code ignored;
  if (!options_.update && !options_.force && std::filesystem::exists(path, ignored)) {
    ui_.Fail(path + " already exists; add --force to replace it");
    return true;
  }
  return false;
}

bool ExportJob::Prepare() {
  if (RefuseTarget(options_.outputPath)) return false;
  writesCollision_ = options_.collision || options_.gameReady;
  if (writesCollision_ && !CollisionWriterAvailable()) {
    if (options_.collision) {
      ui_.Fail(
          "this cmptool was built without the collision file writer (Qhull); --collision "
          "needs a build with it");
      return false;
    }
    ui_.Warn(
        "this cmptool was built without the collision file writer (Qhull); no collision "
        "file was written");
    writesCollision_ = false;
  }
  if (writesCollision_ && options_.lodLevel.value_or(0) != 0) {
    ui_.Warn("the collision file is made with level 0; level " +
             std::to_string(*options_.lodLevel) + " leaves it alone");
    writesCollision_ = false;
  }
  if (writesCollision_ && RefuseTarget(collisionPath_)) return false;
  if (WritesMaterialFile(options_) && RefuseTarget(*options_.materialsPath)) return false;
  return !RefuseSharedTarget();
}

// Two files of the export at one place would overwrite each other, and the
// second lock on it would wait for the first for ever.
bool ExportJob::RefuseSharedTarget() {
  const std::vector<std::string> paths = TargetPaths();
  std::vector<std::filesystem::path> places;
  for (const std::string& path : paths) {
    std::error_code ignored;
    places.push_back(std::filesystem::weakly_canonical(ResolveReplaceTarget(path), ignored));
    for (std::size_t i = 0; i + 1 < places.size(); ++i) {
      if (places[i] == places.back()) {
        ui_.Fail(path + " is the place of " + paths[i] +
                 " too: the export's files must go to different files");
        return true;
      }
    }
  }
  return false;
}

// The files of the export, the .cmp first: the order of the locks and renames.
std::vector<std::string> ExportJob::TargetPaths() const {
  std::vector<std::string> paths = {options_.outputPath};
  if (writesCollision_) paths.push_back(collisionPath_);
  if (WritesMaterialFile(options_)) paths.push_back(*options_.materialsPath);
  return paths;
}

bool ExportJob::Run(HostModelPtr model, std::vector<SplitMesh> splits,
                    const ExportSettings& settings) {
  model_ = std::move(model);
  splits_ = std::move(splits);
  settings_ = settings;
  modelFile_ = !IsModelDocumentPath(options_.modelPath);
  if (!FormParts() || !MakeCollision()) return false;
  capturedMeshes_ = MeshList();  // each run captures its own; a large model is not held twice
  const std::optional<TargetLocks> locks = LockTargets();
  if (!locks) return false;
  // Read under the locks, so that updates taking turns keep each other's parts.
  if (!KeepOtherCollisionParts()) return false;
  std::optional<std::vector<std::uint8_t>> cmp = BuildLevels();
  if (!cmp) return false;
  UtfTree written;
  if (!ReadUtfBytes(*cmp, written, nullptr).ok()) written.ReleaseAll();
  const std::vector<ExportFile> files = FilesOf(std::move(*cmp));
  if (files.empty()) return false;
  const StepResult<Done> put = WriteAllOrNone(files);
  if (!put.ok()) {
    ui_.Fail(put.error);
    return false;
  }
  ui_.Written(summaries_, written);
  return true;
}

void ExportJob::JudgeModel(const MeshList& meshes, HardpointSource hardpoints) {
  // Model files are judged as the export will see them; JSON model
  // documents are exact already and pass as they are.
  if (!modelFile_) return;
  for (const std::string& warning :
       JudgeImportedModel(meshes, totals_, settings_.ScaleDivisor, hardpoints)) {
    ui_.Warn("\"" + options_.modelPath + "\": " + warning);
  }
}

bool ExportJob::FormParts() {
  capturedMeshes_ = CaptureModel(model_.get(), settings_.ScaleDivisor,
                                 OrientationSignOf(settings_.OrientationMode));
  totals_ = TotalModel(capturedMeshes_);
  extras_.exactBounds = options_.bounds;
  extras_.fixJoints = options_.fix;
  extras_.unitRotations = options_.unitRotations;
  extras_.libraryPrefix = LibraryPrefix(options_);
  extras_.warn = [this](const std::string& text) { ui_.Warn(text); };
  if (options_.materialsPath) {
    materials_.emplace(model_->materials, options_.modelPath, options_.maxTextureSide,
                       extras_.warn);
    const bool separate = WritesMaterialFile(options_);
    extras_.addLibraries = [this, separate](UtfTree& tree, const MeshList& meshes) {
      materials_->Collect(meshes);
      if (!separate) materials_->AddTo(tree);
    };
  }
  if (!FormNodeParts()) return false;
  JudgeModel(capturedMeshes_,
             extras_.nodeParts.empty() ? HardpointSource::MeshNames : HardpointSource::NodeTree);
  if (extras_.nodeParts.empty()) return true;
  partMeshes_ = CaptureModel(model_.get(), settings_.ScaleDivisor,
                             OrientationSignOf(settings_.OrientationMode));
  // The parts' geometry and hardpoints; the extent, of the same geometry in
  // the model's frame, was taken as the parts were formed.
  const ModelTotals parts = TotalModel(partMeshes_);
  totals_.geometryMeshes = parts.geometryMeshes;
  totals_.vertices = parts.vertices;
  totals_.triangles = parts.triangles;
  totals_.hardpoints = 0;
  for (const NodePart& part : extras_.nodeParts) totals_.hardpoints += part.hardpoints.size();
  return true;
}

// Parts from the node tree, for --parts nodes and for --game-ready when the
// tree has one mesh node at its top: the model and settings are replaced by
// the parts' and the extras get their joints and hardpoints, the job the
// collision pieces the tree models. The splits follow the meshes to their
// places among the parts.
bool ExportJob::FormNodeParts() {
  const bool asked = options_.parts.has_value();
  if (!asked &&
      !(options_.gameReady && options_.groupQuantities.empty() && !model_->nodes.empty())) {
    return true;
  }
  // --auto-lod makes every level the tree does not give.
  const int fillToLevel = options_.autoLod ? 2 : 0;
  PartsFromNodes formed = FormPartsFromNodes(
      *model_, settings_.ScaleDivisor, OrientationSignOf(settings_.OrientationMode), fillToLevel);
  if (!formed.error.empty()) {
    // A flat list of meshes stays the one part --game-ready always made of
    // it; said, since a tree meant as parts may have a stray node at its top.
    if (!asked && formed.manyRoots) {
      ui_.Warn("\"" + options_.modelPath + "\": --game-ready exports one part, not the node " +
               "tree's: " + formed.error);
      return true;
    }
    ui_.Fail("\"" + options_.modelPath + "\": " + formed.error);
    return false;
  }
  for (const std::string& warning : formed.warnings) ui_.Warn(warning);
  ScriptsFromAnimations scripts = FormScriptsFromAnimations(
      *model_, formed, settings_.ScaleDivisor, OrientationSignOf(settings_.OrientationMode));
  if (!scripts.error.empty()) {
    ui_.Fail("\"" + options_.modelPath + "\": " + scripts.error);
    return false;
  }
  for (const std::string& warning : scripts.warnings) ui_.Warn(warning);
  extras_.scripts = std::move(scripts.scripts);
  // Collision pieces, levels and left-out nodes are not written geometry.
  totals_.extent = GeometryExtent(capturedMeshes_, formed.sourceMeshes);
  model_ = std::move(formed.model);
  settings_.GroupCount = static_cast<int>(formed.parts.size());
  settings_.GroupQuantities = {};
  std::copy(formed.meshesPerPart.begin(), formed.meshesPerPart.end(),
            settings_.GroupQuantities.begin());
  extras_.nodeParts = std::move(formed.parts);
  modelledHulls_ = std::move(formed.hulls);
  const std::vector<SplitMesh> treeSplits = std::move(splits_);
  splits_ = RearrangedSplits(treeSplits, formed.sourceMeshes);
  return TakeNodeLevels(formed, treeSplits);
}

// The levels the tree's "$lod" nodes give, exported after level 0.
bool ExportJob::TakeNodeLevels(PartsFromNodes& formed, const std::vector<SplitMesh>& treeSplits) {
  if (!formed.levels.empty() && options_.lodLevel.value_or(0) != 0) {
    ui_.Warn("--lod writes one level; the tree's \"$lod\" nodes are left out");
    return true;
  }
  const bool treeGivesLevels =
      std::any_of(formed.levels.begin(), formed.levels.end(), [](const PartsLevel& level) {
        return std::find(level.givenParts.begin(), level.givenParts.end(), true) !=
               level.givenParts.end();
      });
  // Without levels in the tree, --auto-lod makes them all as for any model.
  if (!treeGivesLevels) return true;
  for (PartsLevel& level : formed.levels) {
    givenLevels_.push_back({std::move(level.model), std::move(level.meshesPerPart),
                            RearrangedSplits(treeSplits, level.sourceMeshes),
                            std::move(level.givenParts)});
  }
  return true;
}

// Made before anything is written, so a model it cannot be made of leaves
// every file as it was.
bool ExportJob::MakeCollision() {
  if (writesCollision_) {
    const MeshList& meshes = extras_.nodeParts.empty() ? capturedMeshes_ : partMeshes_;
    const std::vector<std::int32_t> meshesPerPart = MeshesPerPart(settings_, meshes);
    StepResult<CollisionFileBytes> made =
        MakeCollisionFile(meshes, {meshesPerPart, options_.fix, extras_.nodeParts, modelledHulls_,
                                   options_.hullPerPart, options_.maxHullFaces,
                                   options_.decomposeHulls, options_.maxHullsPerPart});
    for (const std::string& warning : made.warnings) ui_.Warn(warning);
    if (!made.ok()) {
      ui_.Fail(collisionPath_ + ": " + made.error);
      return false;
    }
    collision_ = std::move(*made.value);
    if (collision_.bytes.empty() && options_.collision) {
      ui_.Fail(collisionPath_ + ": " + collision_.leftOut);
      return false;
    }
    if (collision_.bytes.empty()) {
      ui_.Warn("no collision file was written: " + collision_.leftOut);
      writesCollision_ = false;
    }
  }
  if (!writesCollision_ && !modelledHulls_.empty()) {
    ui_.Warn("collision nodes were not used, since no collision file is written: " +
             HullNodeNames(modelledHulls_));
  }
  return true;
}

std::optional<ExportJob::TargetLocks> ExportJob::LockTargets() {
  const std::vector<std::string> paths = TargetPaths();
  TargetLocks locks;
  for (const std::string& path : paths) {
    TargetLockResult locked = TargetLock::Acquire(ResolveReplaceTarget(path), !options_.noWait,
                                                  [this, &path] { ui_.Waiting(path); });
    if (locked.outcome == TargetLock::Outcome::Busy) {
      ui_.Fail(path + " is being written by another export (--no-wait)");
      return std::nullopt;
    }
    if (locked.outcome == TargetLock::Outcome::Failed) {
      ui_.Fail(path + ": " + locked.reason);
      return std::nullopt;
    }
    locks.held.push_back(std::move(*locked.lock));
    // Looked at again under the lock: another export may have made it meanwhile.
    if (RefuseTarget(path)) return std::nullopt;
  }
  return locks;
}

// With --update, the parts of the collision file already there that the
// export does not make stay in it.
bool ExportJob::KeepOtherCollisionParts() {
  if (!writesCollision_ || !options_.update) return true;
  StepResult<std::vector<std::uint8_t>> update =
      UpdateCollisionFile(collisionPath_, collision_.bytes, collision_.partIds);
  if (!update.ok()) {
    ui_.Fail(collisionPath_ + ": " + update.error);
    return false;
  }
  collision_.bytes = std::move(*update.value);
  return true;
}

// Runs the driver once per level, each building on the image the one
// before left in memory; gives the .cmp's image, or nothing after the
// driver said why.
std::optional<std::vector<std::uint8_t>> ExportJob::BuildLevels() {
  const std::size_t geometryMeshes = CountGeometryMeshes(model_.get());
  LevelExports runs(options_, settings_, std::move(model_), splits_, ui_, std::move(givenLevels_));
  for (int run = 0; run < runs.Count(); ++run) {
    PlannedLevelUi ui({runs.Mode(run), options_.outputPath, runs.Settings(run), geometryMeshes,
                       runs.Extras(extras_)},
                      ui_);
    CmpExporterPlugIn plugIn(ui, std::nullopt, &runs.Step(run));
    // The plug-in destroys the model on the exits after capture; the pointer
    // releases it on the others.
    plugIn.Execute(runs.TakeModel(run).get());
    if (!ui.Succeeded()) return std::nullopt;
    summaries_.push_back(LevelSummary(runs, run));
  }
  return runs.TakeImage();
}

// An unsimplified export writes the captured model as it is; the others
// count the geometry as their step left it. Every line counts the
// hardpoints the file holds: level 0 writes them (all parts' from a node
// tree), and an export of level 1 or 2 alone writes none.
std::string ExportJob::LevelSummary(const LevelExports& runs, int run) const {
  const int level = runs.Settings(run).LodLevel;
  const int parts = settings_.GroupCount;
  const std::size_t hardpoints = runs.Settings(0).LodLevel == 0 ? totals_.hardpoints : 0;
  if (!options_.simplify && !options_.autoLod) {
    // A level the node tree brings: its own geometry, the model's extent.
    ModelTotals given = run > 0 ? TotalModel(runs.Exported(run)) : totals_;
    given.extent = totals_.extent;
    given.hardpoints = hardpoints;
    return ExportSummary(options_.outputPath, given, parts, level);
  }
  ModelTotals simplified = TotalModel(runs.Exported(run));
  simplified.hardpoints = hardpoints;
  // Parts' meshes lie in their parts' frames; the model's extent is the one
  // taken as they were formed.
  if (!extras_.nodeParts.empty()) simplified.extent = totals_.extent;
  return SimplifiedExportSummary(options_.outputPath, simplified, parts, level, runs.Report(run));
}

// The files of the export in the order they are put in place: the .cmp
// first, as the locks are taken. Empty after the UI was told why.
std::vector<ExportFile> ExportJob::FilesOf(std::vector<std::uint8_t> cmp) {
  std::vector<ExportFile> files;
  files.push_back({options_.outputPath, std::move(cmp), CheckUtfBytes});
  if (writesCollision_)
    files.push_back({collisionPath_, std::move(collision_.bytes), CheckCollisionBytes});
  if (WritesMaterialFile(options_)) {
    StepResult<std::vector<std::uint8_t>> library =
        materials_->MaterialFileBytes(*options_.materialsPath, options_.update);
    if (!library.ok()) {
      ui_.Fail(library.error);
      return {};
    }
    files.push_back({*options_.materialsPath, std::move(*library.value), CheckUtfBytes});
  }
  return files;
}

}  // namespace svcmp
