#pragma once

#include "ui/dialog_window.h"
#include "ui/export_mode.h"

namespace svcmp {

// The file-options dialog (template 8003, "SV CMP File Options"). Every way of
// closing it makes a choice: OK (button 1, Enter) creates a new file, Cancel
// (button 2, Escape, the close box) updates an existing one.
class FileOptionsDialog final : public DialogPresenter {
 public:
  // Both must outlive the dialog; `mode` keeps its value until a button ends it.
  FileOptionsDialog(DialogWindow& window, ExportMode& mode);

  void OnInitDialog() override;
  void OnCommand(int id) override;

 private:
  DialogWindow& window_;
  ExportMode& mode_;
};

}  // namespace svcmp
