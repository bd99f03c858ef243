#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "cli/cli_export_ui.h"
#include "cli/commands.h"
#include "cli/export_options.h"
#include "cli/mesh_listing.h"
#include "cli/scratch_folder.h"
#include "exporter/cmp_exporter_plugin.h"
#include "host/model_file.h"
#include "plugin/model_capture.h"

namespace svcmp::cli {
namespace {

int RunExport(const ExportOptions& options) {
  ModelLoadResult loaded = LoadModelFile(options.modelPath);
  if (!loaded.model) {
    std::fprintf(stderr, "error: %s\n", loaded.error.c_str());
    return 1;
  }
  if (options.listOnly) {
    // The meshes exactly as the export captures them: names, materials, kinds.
    const ExportSettings defaults;
    PrintMeshListing(CaptureModel(loaded.model.get(), defaults.ScaleDivisor,
                                  OrientationSignOf(defaults.OrientationMode)),
                     stdout);
    return 0;
  }

  std::error_code ignored;
  if (!options.update && !options.force && std::filesystem::exists(options.outputPath, ignored)) {
    std::fprintf(stderr, "error: %s already exists; add --force to replace it\n",
                 options.outputPath.c_str());
    return 1;
  }

  const std::optional<ExportSettings> settings = ResolveSettings(options);
  if (!settings) return 1;  // ResolveSettings has said why

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
  extras.warn = [](const std::string& text) {
    std::fprintf(stderr, "warning: %s\n", text.c_str());
  };
  CliExportUi ui(options.update ? UpdateExisting : CreateNew, options.outputPath, *settings,
                 !options.quiet, std::move(extras));
  CmpExporterPlugIn plugIn(ui, scratch->Path() / kMeshBufferFile);
  // The plug-in destroys the model on the exits after capture; the pointer
  // releases it on the others.
  plugIn.Execute(loaded.model.get());
  return ui.FileWritten() ? 0 : 1;
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
