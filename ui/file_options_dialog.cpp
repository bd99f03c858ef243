#include "ui/file_options_dialog.h"

#include "ui/control_ids.h"

namespace svcmp {

FileOptionsDialog::FileOptionsDialog(DialogWindow& window, ExportMode& mode)
    : window_(window), mode_(mode) {}

void FileOptionsDialog::OnInitDialog() {}

void FileOptionsDialog::OnCommand(int id) {
  if (id == kIdCreateNew) {
    mode_ = CreateNew;
    window_.EndDialog(DialogResult::Ok);
  } else if (id == kIdUpdateExisting) {
    mode_ = UpdateExisting;
    window_.EndDialog(DialogResult::Cancel);
  }
}

}  // namespace svcmp
