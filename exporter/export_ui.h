#pragma once

#include <string>

#include "cmp/cmp_tree_dialog.h"
#include "plugin/user_message.h"
#include "ui/export_mode.h"
#include "ui/export_settings.h"

namespace svcmp {

// Everything the export driver asks of the user. The Windows plug-in answers
// with real dialogs, cmptool with its command-line options, tests with a script.
class ExportUi {
 public:
  virtual ~ExportUi() = default;

  // A message box with one OK button and no owner window.
  virtual void ShowMessage(const std::string& text, const std::string& caption,
                           MessageIcon icon) = 0;

  // The file-options dialog: stores CreateNew or UpdateExisting in `mode`
  // (left at kNoExportMode only if the dialog could not run).
  virtual void ChooseExportMode(ExportMode& mode) = 0;

  // The save dialog "Export SV CMP" (CreateNew) or the open dialog "Update
  // Existing SV CMP File" (UpdateExisting); false when the user cancelled.
  virtual bool ChooseCmpPath(ExportMode mode, std::string& path) = 0;

  // The options dialog, editing `settings` in place; closing it never cancels.
  virtual void EditSettings(ExportSettings& settings) = 0;

  // The result window: calls dialog.Initialise() before it shows anything,
  // shows dialog.Tree() when dialog.HasTree(), and calls dialog.Close() however
  // it is closed.
  virtual void ShowResult(CmpTreeDialog& dialog) = 0;
};

}  // namespace svcmp
