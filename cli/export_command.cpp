#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "cli/cli_export_ui.h"
#include "cli/collision_export.h"
#include "cli/collision_update.h"
#include "cli/commands.h"
#include "cli/export_options.h"
#include "cli/import_warnings.h"
#include "cli/level_exports.h"
#include "cli/level_listing.h"
#include "cli/material_export.h"
#include "cli/mesh_listing.h"
#include "cli/model_totals.h"
#include "cli/node_parts_listing.h"
#include "exporter/cmp_exporter_plugin.h"
#include "exporter/parts_from_nodes.h"
#include "import/import_messages.h"
#include "import/model_file.h"
#include "import/model_format.h"
#include "plugin/model_capture.h"
#include "simplify/mesh_pieces.h"
#include "simplify/mesh_simplifier.h"
#include "utf/file_io.h"
#include "utf/replace_target.h"
#include "utf/target_lock.h"

namespace svcmp::cli {
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

// Why the export must not write `path` (the .cmp file or the material file),
// said on stderr; false when it may. The .cmp file is checked before the
// model is read, and again under the lock.
bool RefuseTarget(const std::string& path, const ExportOptions& options) {
  if (const auto refusal = CheckReplaceTarget(path)) {
    std::fprintf(stderr, "error: %s\n", refusal->c_str());
    return true;
  }
  std::error_code ignored;
  if (!options.update && !options.force && std::filesystem::exists(path, ignored)) {
    std::fprintf(stderr, "error: %s already exists; add --force to replace it\n", path.c_str());
    return true;
  }
  return false;
}

// Runs of cmptool on one file take turns, so that no update is lost.
std::optional<TargetLock> LockTarget(const ExportOptions& options) {
  const std::string& path = options.outputPath;
  TargetLockResult locked = TargetLock::Acquire(
      ResolveReplaceTarget(path), !options.noWait,
      [&path] { std::fprintf(stderr, "waiting for %s to be free\n", path.c_str()); });
  if (locked.outcome == TargetLock::Outcome::Busy) {
    std::fprintf(stderr, "error: %s is being written by another export (--no-wait)\n",
                 path.c_str());
  } else if (locked.outcome == TargetLock::Outcome::Failed) {
    std::fprintf(stderr, "error: %s: %s\n", path.c_str(), locked.reason.c_str());
  }
  return std::move(locked.lock);
}

// Parts from the node tree, for --parts nodes and for --game-ready when the
// tree has one mesh node at its top: the model and settings are replaced by
// the parts' and the extras get their joints and hardpoints; `hulls` the
// collision pieces the tree models. False when the export must stop; the
// error has been said. `splits` follow the meshes to their places among the
// parts.
bool FormNodeParts(const ExportOptions& options, HostModelPtr& model, ExportSettings& settings,
                   AssemblyExtras& extras, std::vector<SplitMesh>& splits,
                   std::vector<LevelExports::GivenLevel>& levels,
                   std::vector<ModelledHull>& hulls) {
  const bool asked = options.parts.has_value();
  if (!asked && !(options.gameReady && options.groupQuantities.empty() && !model->nodes.empty())) {
    return true;
  }
  // --auto-lod makes every level the tree does not give.
  const int fillToLevel = options.autoLod ? 2 : 0;
  PartsFromNodes formed = FormPartsFromNodes(
      *model, settings.ScaleDivisor, OrientationSignOf(settings.OrientationMode), fillToLevel);
  if (!formed.error.empty()) {
    // A flat list of meshes stays the one part --game-ready always made of it.
    if (!asked && formed.manyRoots) return true;
    std::fprintf(stderr, "error: \"%s\": %s\n", options.modelPath.c_str(), formed.error.c_str());
    return false;
  }
  for (const std::string& warning : formed.warnings) extras.warn(warning);
  model = std::move(formed.model);
  settings.GroupCount = static_cast<int>(formed.parts.size());
  settings.GroupQuantities = {};
  std::copy(formed.meshesPerPart.begin(), formed.meshesPerPart.end(),
            settings.GroupQuantities.begin());
  extras.nodeParts = std::move(formed.parts);
  hulls = std::move(formed.hulls);
  const std::vector<SplitMesh> treeSplits = std::move(splits);
  splits = RearrangedSplits(treeSplits, formed.sourceMeshes);
  if (!formed.levels.empty() && options.lodLevel.value_or(0) != 0) {
    extras.warn("--lod writes one level; the tree's \"$lod\" nodes are left out");
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
    levels.push_back({std::move(level.model), std::move(level.meshesPerPart),
                      RearrangedSplits(treeSplits, level.sourceMeshes),
                      std::move(level.givenParts)});
  }
  return true;
}

// Whether the export writes a collision file: asked for with --collision
// (refused where it cannot be made) or as part of --game-ready (left out
// with a warning there). Nullopt when the export must stop; said on stderr.
std::optional<bool> WantsCollision(const ExportOptions& options) {
  if (!options.collision && !options.gameReady) return false;
  if (!CollisionWriterAvailable()) {
    if (options.collision) {
      std::fprintf(stderr,
                   "error: this cmptool was built without the collision file writer "
                   "(Qhull); --collision needs a build with it\n");
      return std::nullopt;
    }
    std::fprintf(stderr,
                 "warning: this cmptool was built without the collision file writer "
                 "(Qhull); no collision file was written\n");
    return false;
  }
  if (options.lodLevel.value_or(0) != 0) {
    std::fprintf(stderr,
                 "warning: the collision file is made with level 0; level %d leaves it alone\n",
                 *options.lodLevel);
    return false;
  }
  return true;
}

// The names of the tree's collision nodes, for a warning that they were
// not used.
std::string HullNodeNames(const std::vector<ModelledHull>& hulls) {
  std::string names;
  for (const ModelledHull& hull : hulls) names += (names.empty() ? "\"" : ", \"") + hull.node + "\"";
  return names;
}

// With --update, the parts of the collision file already there that the
// export does not make stay in it. False when the export must stop; said
// on stderr.
bool KeepOtherCollisionParts(const std::string& path, CollisionFileBytes& collision) {
  CollisionUpdate update = UpdateCollisionFile(path, collision.bytes, collision.partIds);
  if (!update.error.empty()) {
    std::fprintf(stderr, "error: %s: %s\n", path.c_str(), update.error.c_str());
    return false;
  }
  collision.bytes = std::move(update.bytes);
  return true;
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

// The model the export reads: a .blend file through Blender, any other
// model file through the importer.
ModelLoadResult LoadModel(const ExportOptions& options) {
  const std::string& path = options.modelPath;
  const ModelImport import{ImporterProgramBeside(), options.importLimits};
  if (!IsModelDocumentPath(path) && DetectModelFormat(path).format == ModelFormat::Blend) {
    return LoadBlendFile(path, options.blender, import);
  }
  if (options.blender.collection) {
    return {nullptr, "--blender-collection picks from .blend files; \"" + path + "\" is none", {}};
  }
  return LoadModelFile(path, import);
}

int RunExport(const ExportOptions& options) {
  if (!options.listOnly && RefuseTarget(options.outputPath, options)) return 1;
  const std::optional<bool> wantsCollision =
      options.listOnly ? std::optional<bool>(false) : WantsCollision(options);
  if (!wantsCollision) return 1;
  const std::string collisionPath = CollisionPath(options);
  if (*wantsCollision && RefuseTarget(collisionPath, options)) return 1;
  if ((options.simplify || options.autoLod) && !SimplifierAvailable()) {
    std::fprintf(stderr,
                 "error: this cmptool was built without the mesh simplifier; --simplify and "
                 "--auto-lod work with the Linux cmptool\n");
    return 1;
  }
  ModelLoadResult loaded = LoadModel(options);
  if (!loaded.model) {
    std::fprintf(stderr, "error: %s\n", loaded.error.c_str());
    return 1;
  }
  const auto warn = [](const std::string& text) {
    std::fprintf(stderr, "warning: %s\n", text.c_str());
  };
  for (const std::string& warning : loaded.warnings) warn(warning);
  if (const auto hardpoint = LargeHardpointMesh(*loaded.model)) {
    std::fprintf(stderr,
                 "error: hardpoint mesh \"%s\"%s; hardpoints are never simplified, so reduce it "
                 "in the modelling program\n",
                 hardpoint->c_str(), import_messages::kTooManyVertices);
    return 1;
  }
  // Meshes beyond 16-bit indices reach capture in pieces, which the
  // simplification joins again (or the export refuses).
  std::vector<SplitMesh> splits = SplitLargeMeshes(*loaded.model);
  // Model files are judged as the export will see them; JSON model documents
  // are exact already and pass as they are.
  const bool modelFile = !IsModelDocumentPath(options.modelPath);
  const auto judge = [&](const MeshList& meshList, const ModelTotals& totals, int divisor,
                         HardpointSource hardpoints) {
    if (!modelFile) return;
    for (const std::string& warning : JudgeImportedModel(meshList, totals, divisor, hardpoints)) {
      warn("\"" + options.modelPath + "\": " + warning);
    }
  };
  if (options.listOnly) {
    // The meshes exactly as the export captures them: names, materials, kinds.
    const ExportSettings defaults;
    const MeshList meshList = CaptureModel(loaded.model.get(), defaults.ScaleDivisor,
                                           OrientationSignOf(defaults.OrientationMode));
    judge(meshList, TotalModel(meshList), defaults.ScaleDivisor, HardpointSource::MeshNames);
    PrintMeshListing(meshList, stdout);
    PrintListingTotals(meshList, defaults.ScaleDivisor, stdout);
    PrintSimplifiedLevels(options, meshList, splits, stdout);
    if (loaded.model->nodes.empty()) return 0;
    const PartsFromNodes formed = FormPartsFromNodes(*loaded.model, defaults.ScaleDivisor,
                                                     OrientationSignOf(defaults.OrientationMode));
    // A listing only informs: what --parts nodes would refuse is said, not failed.
    if (!formed.error.empty()) {
      std::printf("--parts nodes cannot form parts: %s\n", formed.error.c_str());
      return 0;
    }
    for (const std::string& warning : formed.warnings) warn(warning);
    std::vector<std::vector<std::int32_t>> meshesByLevel = {formed.meshesPerPart};
    for (const PartsLevel& level : formed.levels) meshesByLevel.push_back(level.meshesPerPart);
    PrintNodePartsListing(formed.parts, meshesByLevel, defaults.ScaleDivisor, stdout);
    PrintNodeTreeLevels(formed, defaults.ScaleDivisor, OrientationSignOf(defaults.OrientationMode),
                        stdout);
    return 0;
  }

  const bool separateMaterials = options.materialsPath && !options.materialsPath->empty();
  if (separateMaterials && RefuseTarget(*options.materialsPath, options)) return 1;

  std::optional<ExportSettings> settings = ResolveSettings(options);
  if (!settings) return 1;  // ResolveSettings has said why
  MeshList capturedMeshes = CaptureModel(loaded.model.get(), settings->ScaleDivisor,
                                         OrientationSignOf(settings->OrientationMode));
  ModelTotals totals = TotalModel(capturedMeshes);

  AssemblyExtras extras;
  extras.exactBounds = options.bounds;
  extras.fixJoints = options.fix;
  extras.unitRotations = options.unitRotations;
  extras.libraryPrefix = LibraryPrefix(options);
  extras.warn = warn;
  std::optional<MaterialExport> materials;
  if (options.materialsPath) {
    materials.emplace(loaded.model->materials, options.modelPath, options.maxTextureSide, warn);
    extras.addLibraries = [&materials, separateMaterials](UtfTree& tree, const MeshList& meshes) {
      materials->Collect(meshes);
      if (!separateMaterials) materials->AddTo(tree);
    };
  }

  std::vector<LevelExports::GivenLevel> givenLevels;
  std::vector<ModelledHull> modelledHulls;
  if (!FormNodeParts(options, loaded.model, *settings, extras, splits, givenLevels,
                     modelledHulls)) {
    return 1;
  }
  judge(capturedMeshes, totals, settings->ScaleDivisor,
        extras.nodeParts.empty() ? HardpointSource::MeshNames : HardpointSource::NodeTree);
  MeshList partMeshes;  // parts from the tree: their geometry, each in its part's frame
  if (!extras.nodeParts.empty()) {
    partMeshes = CaptureModel(loaded.model.get(), settings->ScaleDivisor,
                              OrientationSignOf(settings->OrientationMode));
    // The parts' geometry and hardpoints; the extent stays the whole model's.
    const ModelTotals parts = TotalModel(partMeshes);
    totals.geometryMeshes = parts.geometryMeshes;
    totals.vertices = parts.vertices;
    totals.triangles = parts.triangles;
    totals.hardpoints = 0;
    for (const NodePart& part : extras.nodeParts) totals.hardpoints += part.hardpoints.size();
  }

  bool writesCollision = *wantsCollision;
  CollisionFileBytes collision;
  if (writesCollision) {
    // Made before anything is written, so a model it cannot be made of
    // leaves every file as it was.
    const MeshList& meshes = extras.nodeParts.empty() ? capturedMeshes : partMeshes;
    const std::vector<std::int32_t> meshesPerPart = MeshesPerPart(*settings, meshes);
    collision = MakeCollisionFile(meshes, {meshesPerPart, options.fix, extras.nodeParts,
                                           modelledHulls, options.hullPerPart,
                                           options.maxHullFaces, options.decomposeHulls,
                                           options.maxHullsPerPart});
    for (const std::string& warning : collision.warnings) warn(warning);
    if (collision.nothingToHull && !options.collision) {
      warn("no collision file was written: " + collision.error);
      writesCollision = false;
    } else if (!collision.error.empty()) {
      std::fprintf(stderr, "error: %s: %s\n", collisionPath.c_str(), collision.error.c_str());
      return 1;
    }
  }
  if (!writesCollision && !modelledHulls.empty()) {
    warn("collision nodes were not used, since no collision file is written: " +
         HullNodeNames(modelledHulls));
  }

  capturedMeshes = MeshList();  // each run captures its own; a large model is not held twice
  const std::optional<TargetLock> lock = LockTarget(options);
  if (!lock || RefuseTarget(options.outputPath, options)) return 1;
  if (writesCollision && RefuseTarget(collisionPath, options)) return 1;
  // Read under the lock, so that updates taking turns keep each other's parts.
  if (writesCollision && options.update && !KeepOtherCollisionParts(collisionPath, collision)) {
    return 1;
  }
  const std::size_t geometryMeshes = CountGeometryMeshes(loaded.model.get());
  LevelExports runs(options, *settings, std::move(loaded.model), splits, std::move(givenLevels));
  std::vector<std::string> heldSummaries;  // the staged levels' lines
  for (int run = 0; run < runs.Count(); ++run) {
    CliExportUi ui(runs.Mode(run), options.outputPath, runs.Settings(run), runs.PrintsTree(run),
                   geometryMeshes, runs.Extras(run, extras));
    // An unsimplified export writes the captured model as it is; the
    // others count the geometry as their step left it.
    const int level = runs.Settings(run).LodLevel;
    ui.SetSummary([&runs, &options, &totals, &settings, run, level] {
      if (!options.simplify && !options.autoLod && run > 0) {
        // A level the node tree brings: its own geometry, the model's extent.
        ModelTotals given = TotalModel(runs.Exported(run));
        given.extent = totals.extent;
        return ExportSummary(options.outputPath, given, settings->GroupCount, level);
      }
      if (!options.simplify && !options.autoLod) {
        return ExportSummary(options.outputPath, totals, settings->GroupCount, level);
      }
      return SimplifiedExportSummary(options.outputPath, TotalModel(runs.Exported(run)),
                                     settings->GroupCount, level, runs.Report(run));
    });
    ui.HoldSummariesIn(heldSummaries);
    CmpExporterPlugIn plugIn(ui, std::nullopt, &runs.Step(run));
    // The plug-in destroys the model on the exits after capture; the pointer
    // releases it on the others.
    plugIn.Execute(runs.TakeModel(run).get());
    if (!ui.Succeeded()) return 1;
  }
  if (separateMaterials) {
    const std::string problem =
        materials->WriteMaterialFile(*options.materialsPath, options.update);
    if (!problem.empty()) {
      std::fprintf(stderr, "error: %s\n", problem.c_str());
      return 1;
    }
  }
  if (writesCollision) {
    const FileWriteResult written = ReplaceFileContents(collisionPath, collision.bytes);
    if (!written.written) {
      std::fprintf(stderr, "error: %s\n", written.reason.c_str());
      return 1;
    }
  }
  return 0;
}

}  // namespace

void AddExportCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<ExportOptions>();
  auto* command = app.add_subcommand(
      "export",
      "Export a model (JSON model document, OBJ, glTF/GLB, FBX, COLLADA, 3DS, .blend through "
      "Blender) to a .cmp file");
  AddExportOptions(*command, *options);
  command->callback([options, &exitStatus] { exitStatus = RunExport(*options); });
}

}  // namespace svcmp::cli
