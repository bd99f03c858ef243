#pragma once

#include "exporter/export_ui.h"

namespace svcmp {

// The export's questions and answers as Windows dialogs: the plug-in's own
// templates for the file options, the options and the result window, the
// common file dialogs for the path, and message boxes without an owner.
class Win32ExportUi final : public ExportUi {
 public:
  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
  void ChooseExportMode(ExportMode& mode) override;
  bool ChooseCmpPath(ExportMode mode, std::string& path) override;
  void EditSettings(ExportSettings& settings) override;
  void ShowResult(CmpTreeDialog& dialog) override;
};

}  // namespace svcmp
