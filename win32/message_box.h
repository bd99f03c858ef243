#pragma once

#include <windows.h>

#include <string_view>

#include "ui/message_icon.h"

namespace svcmp {

// A message box with one OK button, owned by `owner` (null: no owner), with
// the icon's exclamation or error sign; returns once the user closed it.
void ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, MessageIcon icon);

}  // namespace svcmp
