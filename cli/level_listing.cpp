#include "cli/level_listing.h"

#include "cli/cli_export_ui.h"
#include "job/level_exports.h"
#include "job/model_totals.h"
#include "plugin/export_checks.h"
#include "plugin/model_capture.h"

namespace svcmp::cli {
namespace {

std::size_t CapturedTriangles(msModel* model, int scaleDivisor, int orientationSign) {
  return GeometryTriangleCount(CaptureModel(model, scaleDivisor, orientationSign));
}

}  // namespace

std::string LevelLine(int level, std::size_t triangles,
                      const std::optional<SimplifyReport>& report) {
  return "level " + std::to_string(level) + ": " + Grouped(triangles) +
         (triangles == 1 ? " triangle" : " triangles") + RelativeErrorText(report);
}

void PrintSimplifiedLevels(const ExportOptions& options, const MeshList& captured,
                           const std::vector<SplitMesh>& splits, std::FILE* out) {
  if (!options.simplify && !options.autoLod) return;
  if (!options.simplify && (!splits.empty() || CheckExportable(captured, 1, {}))) return;
  ExportOptions listing = options;
  listing.quiet = true;  // the level lines say what the steps would print
  ExportSettings settings;
  settings.LodLevel = options.lodLevel.value_or(0);
  CliExportUi ui(true);
  LevelExports levels(listing, settings, nullptr, splits, ui);
  for (int run = 0; run < levels.Count(); ++run) {
    MeshList meshes = captured;
    levels.Step(run).Apply(meshes);
    std::fprintf(
        out, "%s\n",
        LevelLine(levels.Settings(run).LodLevel, GeometryTriangleCount(meshes), levels.Report(run))
            .c_str());
  }
}

void PrintNodeTreeLevels(const PartsFromNodes& formed, int scaleDivisor, int orientationSign,
                         std::FILE* out) {
  if (formed.levels.empty()) return;
  std::fprintf(out, "%s\n",
               LevelLine(0, CapturedTriangles(formed.model.get(), scaleDivisor, orientationSign),
                         std::nullopt)
                   .c_str());
  for (std::size_t i = 0; i < formed.levels.size(); ++i) {
    const std::size_t triangles =
        CapturedTriangles(formed.levels[i].model.get(), scaleDivisor, orientationSign);
    std::fprintf(out, "%s\n", LevelLine(static_cast<int>(i) + 1, triangles, std::nullopt).c_str());
  }
}

}  // namespace svcmp::cli
