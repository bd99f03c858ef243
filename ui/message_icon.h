#pragma once

namespace svcmp {

// The icon of a message box with one OK button. It lives with the dialogs
// because their presenters show boxes too; the export driver uses the same one.
enum class MessageIcon {
  None,         // a plain box, as for the reader's compression note
  Exclamation,  // input the user can correct
  Error,        // something failed
};

}  // namespace svcmp
