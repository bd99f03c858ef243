#pragma once

#include <cstddef>
#include <string>

#include "cmp/assembly_extras.h"
#include "exporter/export_ui.h"
#include "job/export_job_ui.h"
#include "ui/export_mode.h"
#include "ui/export_settings.h"

namespace svcmp {

// The answers the driver's dialogs get in one level's run.
struct LevelRunPlan {
  ExportMode mode = CreateNew;
  std::string path;
  ExportSettings settings;
  std::size_t geometryMeshes = 0;  // of the model, to explain a group mismatch
  AssemblyExtras extras;
};

// Answers the export driver's dialogs from a level's plan and hands its
// messages to the job's UI: a note after which the export goes on (no icon)
// as a warning "caption: text", every other message as the reason the
// export stops. The result window builds the tree with the plan's extras.
class PlannedLevelUi final : public ExportUi {
 public:
  PlannedLevelUi(LevelRunPlan plan, ExportJobUi& ui);

  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
  void ChooseExportMode(ExportMode& mode) override;
  bool ChooseCmpPath(ExportMode mode, std::string& path) override;
  void EditSettings(ExportSettings& settings) override;
  void ShowResult(CmpTreeDialog& dialog) override;

  // Whether the result window wrote the file, or staged its image.
  bool Succeeded() const { return succeeded_; }

 private:
  LevelRunPlan plan_;
  ExportJobUi& ui_;
  bool succeeded_ = false;
};

}  // namespace svcmp
