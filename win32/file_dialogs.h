#pragma once

#include <optional>
#include <string>

#include "ui/dialog_window.h"

namespace svcmp {

// Shows the common open or save dialog with no owner window, the short
// 76-byte structure and 256-byte name and title buffers. The chosen path, or
// nothing when the user cancelled or the dialog failed.
std::optional<std::string> AskForFileName(const FileDialogRequest& request);

}  // namespace svcmp
