#include "win32/win32_export_ui.h"

#include "ui/control_ids.h"
#include "ui/dialog_texts.h"
#include "ui/file_options_dialog.h"
#include "ui/options_dialog.h"
#include "win32/file_dialogs.h"
#include "win32/hwnd_dialog_window.h"
#include "win32/message_box.h"
#include "win32/result_window.h"
#include "win32/win32_texts.h"

namespace svcmp {

void Win32ExportUi::ShowMessage(const std::string& text, const std::string& caption,
                                MessageIcon icon) {
  ShowMessageBox(nullptr, text, caption, icon);
}

void Win32ExportUi::ChooseExportMode(ExportMode& mode) {
  HwndDialogWindow window;
  FileOptionsDialog presenter(window, mode);
  // A dialog that cannot be created leaves the mode unchosen, which the
  // driver reports.
  static_cast<void>(window.RunModal(kFileOptionsDialogTemplate, presenter));
}

bool Win32ExportUi::ChooseCmpPath(ExportMode mode, std::string& path) {
  const bool update = mode == UpdateExisting;
  const FileDialogRequest request{
      update ? FileDialogKind::Open : FileDialogKind::Save,
      update ? win32_texts::kUpdateCmpTitle : win32_texts::kExportCmpTitle,
      {{win32_texts::kCmpFilterName, win32_texts::kCmpFilterPattern},
       {kAllFilesFilterName, kAllFilesFilterPattern}},
      win32_texts::kCmpExtension,
      kFileDialogFlags};
  const auto chosen = AskForFileName(request);
  if (!chosen) return false;
  path = *chosen;
  return true;
}

void Win32ExportUi::EditSettings(ExportSettings& settings) {
  HwndDialogWindow window;
  OptionsDialog presenter(window, settings);
  // However the dialog ends, or if it never opens, the export goes on with
  // the record as it stands.
  static_cast<void>(window.RunModal(kOptionsDialogTemplate, presenter));
}

void Win32ExportUi::ShowResult(CmpTreeDialog& dialog) { RunResultWindow(dialog); }

}  // namespace svcmp
