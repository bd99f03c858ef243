#include "win32/result_window.h"

#include <windows.h>
#include <commctrl.h>

#include "ui/control_ids.h"
#include "utf/replace_target.h"
#include "utf/target_lock.h"
#include "win32/hwnd_dialog_window.h"
#include "win32/plugin_module.h"
#include "win32/tree_view_mirror.h"

namespace svcmp {
namespace {

constexpr int kResultTreeView = 8002;

// The assembly reads the old file and renames the new one over it while this
// export holds the file's lock, so that a cmptool run on the same file waits
// for it. Without the lock (a folder that takes no lock file) the write
// itself reports the folder.
void InitialiseLocked(CmpTreeDialog& dialog) {
  const TargetLockResult locked =
      TargetLock::Acquire(ResolveReplaceTarget(dialog.FilePath()), true, nullptr);
  static_cast<void>(dialog.Initialise());
}

void CloseResultWindow(HWND hwnd, CmpTreeDialog& dialog, INT_PTR result) {
  // The items go first, so the control never shows a released tree.
  TreeView_DeleteAllItems(GetDlgItem(hwnd, kResultTreeView));
  dialog.Close();
  EndDialog(hwnd, result);
}

INT_PTR CALLBACK ResultWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CmpTreeDialog*>(lParam);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, lParam);
    CentreWindow(hwnd);
    // The whole assembly runs here, before the window is first shown, so
    // the user sees the tree that was written.
    InitialiseLocked(*dialog);
    if (!dialog->HasTree()) {
      dialog->Close();
      EndDialog(hwnd, IDCANCEL);
      return TRUE;
    }
    MirrorTree(dialog->Tree(), GetDlgItem(hwnd, kResultTreeView));
    return TRUE;
  }
  auto* dialog = reinterpret_cast<CmpTreeDialog*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (dialog == nullptr || message != WM_COMMAND) return FALSE;
  // Enter gives IDOK; "Continue", Escape and the close box give IDCANCEL.
  const int id = LOWORD(wParam);
  if (id != kIdOk && id != kIdCancel) return FALSE;
  CloseResultWindow(hwnd, *dialog, id);
  return TRUE;
}

}  // namespace

void RunResultWindow(CmpTreeDialog& dialog) {
  InitialiseCommonControls();
  const INT_PTR result =
      DialogBoxParamA(PlugInModule(), MAKEINTRESOURCEA(kResultDialogTemplate), nullptr,
                      ResultWindowProc, reinterpret_cast<LPARAM>(&dialog));
  if (result == -1 && dialog.Status() == CmpAssemblyStatus::NotRun) {
    InitialiseLocked(dialog);
    dialog.Close();
  }
}

}  // namespace svcmp
