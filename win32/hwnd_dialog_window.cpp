#include "win32/hwnd_dialog_window.h"

#include <commctrl.h>

#include <cstring>
#include <string>

#include "win32/file_dialogs.h"
#include "win32/message_box.h"
#include "win32/plugin_module.h"

namespace svcmp {
namespace {

bool IsTrackbar(HWND control) {
  char className[64] = {};
  GetClassNameA(control, className, sizeof(className));
  return std::strcmp(className, TRACKBAR_CLASSA) == 0;
}

}  // namespace

bool HwndDialogWindow::RunModal(int templateId, DialogPresenter& presenter) {
  InitialiseCommonControls();
  presenter_ = &presenter;
  const INT_PTR result = DialogBoxParamA(PlugInModule(), MAKEINTRESOURCEA(templateId), nullptr,
                                         DialogProc, reinterpret_cast<LPARAM>(this));
  hwnd_ = nullptr;
  presenter_ = nullptr;
  return result != -1;
}

INT_PTR CALLBACK HwndDialogWindow::DialogProc(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* window = reinterpret_cast<HwndDialogWindow*>(lParam);
    // Stored before the presenter runs: its first SetItemText comes straight
    // back here as EN_CHANGE.
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, lParam);
    window->hwnd_ = hwnd;
    window->presenter_->OnInitDialog();
    return TRUE;  // the standard focus on the first tab stop
  }
  auto* window = reinterpret_cast<HwndDialogWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (window == nullptr || window->presenter_ == nullptr) return FALSE;

  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (code == EN_CHANGE) {
        window->presenter_->OnEditChanged(id);
        return TRUE;
      }
      // Clicks, and IDOK / IDCANCEL from Enter, Escape and the close box,
      // arrive with code 0.
      if (code == BN_CLICKED) {
        window->presenter_->OnCommand(id);
        return TRUE;
      }
      return FALSE;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == static_cast<UINT>(NM_CUSTOMDRAW) && IsTrackbar(header->hwndFrom)) {
        window->presenter_->OnSliderCustomDraw(static_cast<int>(header->idFrom));
        // The trackbar paints itself the default way.
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, CDRF_DODEFAULT);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

LRESULT HwndDialogWindow::SendItem(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
  return SendDlgItemMessageA(hwnd_, id, message, wParam, lParam);
}

std::string HwndDialogWindow::GetItemText(int id) const {
  const HWND item = GetDlgItem(hwnd_, id);
  const int length = GetWindowTextLengthA(item);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const int copied = GetWindowTextA(item, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

void HwndDialogWindow::SetItemText(int id, std::string_view text) {
  const std::string copy(text);
  SetDlgItemTextA(hwnd_, id, copy.c_str());
}

void HwndDialogWindow::ShowItem(int id, bool visible) {
  ShowWindow(GetDlgItem(hwnd_, id), visible ? SW_SHOW : SW_HIDE);
}

void HwndDialogWindow::CheckRadioButton(int firstId, int lastId, int checkId) {
  ::CheckRadioButton(hwnd_, firstId, lastId, checkId);
}

void HwndDialogWindow::SetSliderRange(int id, int minimum, int maximum) {
  SendItem(id, TBM_SETRANGE, TRUE, MAKELPARAM(minimum, maximum));
}

void HwndDialogWindow::SetSliderTickFrequency(int id, int frequency) {
  SendItem(id, TBM_SETTICFREQ, static_cast<WPARAM>(frequency), 0);
}

void HwndDialogWindow::SetSliderLineSize(int id, int size) {
  SendItem(id, TBM_SETLINESIZE, 0, size);
}

void HwndDialogWindow::SetSliderPageSize(int id, int size) {
  SendItem(id, TBM_SETPAGESIZE, 0, size);
}

void HwndDialogWindow::SetSliderPosition(int id, int position) {
  SendItem(id, TBM_SETPOS, TRUE, position);
}

int HwndDialogWindow::GetSliderPosition(int id) const {
  return static_cast<int>(SendItem(id, TBM_GETPOS, 0, 0));
}

void HwndDialogWindow::SetSpinBuddy(int spinId, int buddyId) {
  SendItem(spinId, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(hwnd_, buddyId)), 0);
}

void HwndDialogWindow::SetSpinRange(int id, int minimum, int maximum) {
  SendItem(id, UDM_SETRANGE32, static_cast<WPARAM>(minimum), maximum);
}

void HwndDialogWindow::SetSpinPosition(int id, int position) {
  // A spin that sets buddy integers writes its new position into its edit;
  // the dialogs' edits keep what the user typed (the quantity edits start
  // empty), so the edit's text is put back when the spin changed it.
  const auto buddy = reinterpret_cast<HWND>(SendItem(id, UDM_GETBUDDY, 0, 0));
  const std::string before = buddy ? GetItemText(GetDlgCtrlID(buddy)) : std::string();
  SendItem(id, UDM_SETPOS32, 0, position);
  if (buddy && GetItemText(GetDlgCtrlID(buddy)) != before) {
    SetWindowTextA(buddy, before.c_str());
  }
}

void HwndDialogWindow::ShowMessage(std::string_view text, std::string_view caption,
                                   MessageIcon icon) {
  ShowMessageBox(hwnd_, text, caption, icon);
}

std::optional<std::string> HwndDialogWindow::AskFileName(const FileDialogRequest& request) {
  return AskForFileName(request);
}

void HwndDialogWindow::Centre() { CentreWindow(hwnd_); }

void HwndDialogWindow::EndDialog(DialogResult result) {
  ::EndDialog(hwnd_, static_cast<INT_PTR>(result));
}

void CentreWindow(HWND hwnd) {
  RECT window{};
  GetWindowRect(hwnd, &window);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoA(MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& area = monitor.rcWork;
  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  const int x = area.left + ((area.right - area.left) - width) / 2;
  const int y = area.top + ((area.bottom - area.top) - height) / 2;
  SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void InitialiseCommonControls() {
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof(controls);
  controls.dwICC = ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS;
  InitCommonControlsEx(&controls);
}

}  // namespace svcmp
