#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "cli/cli_export_ui.h"
#include "cli/commands.h"
#include "cli/export_options.h"
#include "cli/import_warnings.h"
#include "cli/level_exports.h"
#include "cli/material_export.h"
#include "cli/mesh_listing.h"
#include "cli/model_totals.h"
#include "cli/scratch_folder.h"
#include "exporter/cmp_exporter_plugin.h"
#include "import/model_file.h"
#include "plugin/model_capture.h"
#include "simplify/mesh_simplifier.h"

namespace svcmp::cli {
namespace {

int RunExport(const ExportOptions& options) {
  if ((options.simplify || options.autoLod) && !SimplifierAvailable()) {
    std::fprintf(stderr,
                 "error: this cmptool was built without the mesh simplifier; --simplify and "
                 "--auto-lod work with the Linux cmptool\n");
    return 1;
  }
  ModelLoadResult loaded =
      LoadModelFile(options.modelPath, {ImporterProgramBeside(), options.importLimits});
  if (!loaded.model) {
    std::fprintf(stderr, "error: %s\n", loaded.error.c_str());
    return 1;
  }
  const auto warn = [](const std::string& text) {
    std::fprintf(stderr, "warning: %s\n", text.c_str());
  };
  for (const std::string& warning : loaded.warnings) warn(warning);
  // Model files are judged as the export will see them; JSON model documents
  // are exact already and pass as they are.
  const bool modelFile = !IsModelDocumentPath(options.modelPath);
  const auto judge = [&](const MeshList& meshList, const ModelTotals& totals, int divisor) {
    if (!modelFile) return;
    for (const std::string& warning : JudgeImportedModel(meshList, totals, divisor)) {
      warn("\"" + options.modelPath + "\": " + warning);
    }
  };
  if (options.listOnly) {
    // The meshes exactly as the export captures them: names, materials, kinds.
    const ExportSettings defaults;
    const MeshList meshList = CaptureModel(loaded.model.get(), defaults.ScaleDivisor,
                                           OrientationSignOf(defaults.OrientationMode));
    judge(meshList, TotalModel(meshList), defaults.ScaleDivisor);
    PrintMeshListing(meshList, stdout);
    PrintListingTotals(meshList, defaults.ScaleDivisor, stdout);
    return 0;
  }

  const bool separateMaterials = options.materialsPath && !options.materialsPath->empty();
  for (const std::string& target :
       {options.outputPath, separateMaterials ? *options.materialsPath : std::string()}) {
    std::error_code ignored;
    if (!target.empty() && !options.update && !options.force &&
        std::filesystem::exists(target, ignored)) {
      std::fprintf(stderr, "error: %s already exists; add --force to replace it\n", target.c_str());
      return 1;
    }
  }

  const std::optional<ExportSettings> settings = ResolveSettings(options);
  if (!settings) return 1;  // ResolveSettings has said why
  const ModelTotals totals = [&] {
    const MeshList meshList = CaptureModel(loaded.model.get(), settings->ScaleDivisor,
                                           OrientationSignOf(settings->OrientationMode));
    const ModelTotals captured = TotalModel(meshList);
    judge(meshList, captured, settings->ScaleDivisor);
    return captured;
  }();

  // Exports running side by side in one folder, as build pipelines do, must
  // not pass their mesh buffers through the same file.
  std::optional<ScratchFolder> scratch = ScratchFolder::Create();
  if (!scratch) {
    std::fprintf(stderr, "error: cannot make a temporary folder for the mesh buffer\n");
    return 1;
  }

  AssemblyExtras extras;
  extras.exactBounds = options.bounds;
  extras.fixJoints = options.fix;
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
  LevelExports runs(options, *settings, std::move(loaded.model));
  for (int run = 0; run < runs.Count(); ++run) {
    CliExportUi ui(runs.Mode(run), options.outputPath, runs.Settings(run), runs.PrintsTree(run),
                   extras);
    // The summary counts the captured model, which only an unsimplified
    // export writes as it is.
    if (!options.simplify && !options.autoLod) {
      ui.SetSummary(ExportSummary(options.outputPath, totals, settings->GroupCount,
                                  runs.Settings(run).LodLevel));
    }
    CmpExporterPlugIn plugIn(ui, scratch->Path() / kMeshBufferFile, &runs.Step(run));
    // The plug-in destroys the model on the exits after capture; the pointer
    // releases it on the others.
    plugIn.Execute(runs.TakeModel(run).get());
    if (!ui.FileWritten()) return 1;
  }
  if (separateMaterials) {
    const std::string problem =
        materials->WriteMaterialFile(*options.materialsPath, options.update);
    if (!problem.empty()) {
      std::fprintf(stderr, "error: %s\n", problem.c_str());
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
      "Export a model (JSON model document, OBJ, glTF/GLB, FBX, COLLADA, 3DS) to a .cmp file");
  AddExportOptions(*command, *options);
  command->callback([options, &exitStatus] { exitStatus = RunExport(*options); });
}

}  // namespace svcmp::cli
