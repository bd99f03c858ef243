#include "job/planned_level_ui.h"

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <utility>

#include "exporter/export_messages.h"

namespace svcmp {
namespace {

// The counts behind "does not match model", which the message box leaves out.
std::string GroupMismatchDetail(const ExportSettings& settings, std::size_t geometryMeshCount) {
  const auto counted =
      settings.GroupQuantities.begin() + std::clamp(settings.GroupCount, 0, kMaxGroupCount);
  const std::int64_t total =
      std::accumulate(settings.GroupQuantities.begin(), counted, std::int64_t{0});
  return ". The model has " + std::to_string(geometryMeshCount) +
         (geometryMeshCount == 1 ? " geometry mesh" : " geometry meshes") +
         " (hardpoints not counted); the " + std::to_string(settings.GroupCount) +
         " group quantities add up to " + std::to_string(total) + ".";
}

}  // namespace

PlannedLevelUi::PlannedLevelUi(LevelRunPlan plan, ExportJobUi& ui)
    : plan_(std::move(plan)), ui_(ui) {}

void PlannedLevelUi::ShowMessage(const std::string& text, const std::string& caption,
                                 MessageIcon icon) {
  // A message without an icon is a note after which the export goes on; its
  // caption names what it is about. Every other message ends the export, and
  // its caption only repeats what the text says.
  if (icon == MessageIcon::None) {
    ui_.Warn(caption + ": " + text);
    return;
  }
  const std::string detail = text == messages::kGroupMismatch
                                 ? GroupMismatchDetail(plan_.settings, plan_.geometryMeshes)
                                 : "";
  ui_.Fail(text + detail);
}

void PlannedLevelUi::ChooseExportMode(ExportMode& mode) { mode = plan_.mode; }

bool PlannedLevelUi::ChooseCmpPath(ExportMode /*mode*/, std::string& path) {
  path = plan_.path;
  return true;
}

void PlannedLevelUi::EditSettings(ExportSettings& settings) { settings = plan_.settings; }

void PlannedLevelUi::ShowResult(CmpTreeDialog& dialog) {
  dialog.UseExtras(plan_.extras);
  dialog.Initialise();
  succeeded_ =
      dialog.Status() == CmpAssemblyStatus::Written || dialog.Status() == CmpAssemblyStatus::Staged;
  dialog.Close();
}

}  // namespace svcmp
