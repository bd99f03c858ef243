#include "win32/message_box.h"

#include <string>

namespace svcmp {
namespace {

UINT MessageBoxStyle(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Exclamation:
      return MB_OK | MB_ICONEXCLAMATION;
    case MessageIcon::Error:
      return MB_OK | MB_ICONERROR;
    case MessageIcon::None:
      break;
  }
  return MB_OK;
}

}  // namespace

void ShowMessageBox(HWND owner, std::string_view text, std::string_view caption, MessageIcon icon) {
  const std::string textCopy(text);
  const std::string captionCopy(caption);
  MessageBoxA(owner, textCopy.c_str(), captionCopy.c_str(), MessageBoxStyle(icon));
}

}  // namespace svcmp
