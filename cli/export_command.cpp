#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/blender_scene.h"
#include "cli/cli_export_ui.h"
#include "cli/commands.h"
#include "cli/export_options.h"
#include "cli/level_listing.h"
#include "cli/mesh_listing.h"
#include "cli/node_parts_listing.h"
#include "exporter/parts_from_nodes.h"
#include "exporter/scripts_from_animations.h"
#include "import/import_messages.h"
#include "import/model_file.h"
#include "import/model_format.h"
#include "job/export_job.h"
#include "job/import_warnings.h"
#include "job/model_totals.h"
#include "plugin/model_capture.h"
#include "simplify/mesh_pieces.h"
#include "simplify/mesh_simplifier.h"

namespace svcmp::cli {
namespace {

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

void Warn(const std::string& text) { std::fprintf(stderr, "warning: %s\n", text.c_str()); }

// The settings the export would run with (--scale, --orientation, a
// settings file...); a listing writes no settings file and says nothing of
// reading one.
std::optional<ExportSettings> ListingSettings(const ExportOptions& options) {
  ExportOptions listing = options;
  listing.saveSettingsPath.clear();
  listing.quiet = true;
  return ResolveSettings(listing);
}

// The parts, collision pieces, left-out nodes and levels of the node tree.
void PrintNodeTree(const PartsFromNodes& formed, int divisor, int sign) {
  // A listing only informs: what --parts nodes would refuse is said, not failed.
  if (!formed.error.empty()) {
    std::printf("--parts nodes cannot form parts: %s\n", formed.error.c_str());
    return;
  }
  for (const std::string& warning : formed.warnings) Warn(warning);
  std::vector<std::vector<std::int32_t>> meshesByLevel = {formed.meshesPerPart};
  for (const PartsLevel& level : formed.levels) meshesByLevel.push_back(level.meshesPerPart);
  PrintNodePartsListing(formed.parts, meshesByLevel, divisor, stdout);
  PrintNonGeometryNodes(formed, stdout);
  PrintNodeTreeLevels(formed, divisor, sign, stdout);
}

// The meshes exactly as the export captures them (names, materials, kinds),
// the levels it would make of them and the parts of the node tree, with the
// settings the export would use.
int ListModel(const ExportOptions& options, msModel& model, const std::vector<SplitMesh>& splits) {
  const std::optional<ExportSettings> settings = ListingSettings(options);
  if (!settings) return 1;  // ResolveSettings has said why
  const int divisor = settings->ScaleDivisor;
  const int sign = OrientationSignOf(settings->OrientationMode);
  const MeshList meshList = CaptureModel(&model, divisor, sign);
  std::optional<PartsFromNodes> formed;
  if (!model.nodes.empty()) formed = FormPartsFromNodes(model, divisor, sign);
  // Hardpoints the listed parts use are not to be renamed.
  const HardpointSource hardpoints =
      formed && formed->error.empty() ? HardpointSource::NodeTree : HardpointSource::MeshNames;
  if (!IsModelDocumentPath(options.modelPath)) {
    for (const std::string& warning :
         JudgeImportedModel(meshList, TotalModel(meshList), divisor, hardpoints)) {
      Warn("\"" + options.modelPath + "\": " + warning);
    }
  }
  PrintMeshListing(meshList, stdout);
  PrintListingTotals(meshList, divisor, stdout);
  PrintSimplifiedLevels(options, meshList, splits, stdout);
  if (!formed) return 0;
  PrintNodeTree(*formed, divisor, sign);
  return 0;
}

int RunExport(const ExportOptions& options) {
  CliExportUi ui(options.quiet);
  ExportJob job(options, ui);
  if (!options.listOnly && !job.Prepare()) return 1;
  if ((options.simplify || options.autoLod) && !SimplifierAvailable()) {
    ui.Fail(
        "this cmptool was built without the mesh simplifier; --simplify and --auto-lod work "
        "with the Linux cmptool");
    return 1;
  }
  ModelLoadResult loaded = LoadModel(options);
  if (!loaded.model) {
    ui.Fail(loaded.error);
    return 1;
  }
  for (const std::string& warning : loaded.warnings) ui.Warn(warning);
  if (const auto hardpoint = LargeHardpointMesh(*loaded.model)) {
    ui.Fail("hardpoint mesh \"" + *hardpoint + "\"" + import_messages::kTooManyVertices +
            "; hardpoints are never simplified, so reduce it in the modelling program");
    return 1;
  }
  // Meshes beyond 16-bit indices reach capture in pieces, which the
  // simplification joins again (or the export refuses).
  std::vector<SplitMesh> splits = SplitLargeMeshes(*loaded.model);
  if (options.listOnly) return ListModel(options, *loaded.model, splits);
  const std::optional<ExportSettings> settings = ResolveSettings(options);
  if (!settings) return 1;  // ResolveSettings has said why
  return job.Run(std::move(loaded.model), std::move(splits), *settings) ? 0 : 1;
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
