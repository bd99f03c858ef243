#pragma once

#include <windows.h>

#include "ui/dialog_window.h"

namespace svcmp {

// A modal dialog from one of the plug-in's templates, created without a
// parent window; its notifications go to a presenter that acts back on it.
class HwndDialogWindow final : public DialogWindow {
 public:
  // Runs the dialog's modal loop; false when the dialog could not be created,
  // in which case the presenter was never called.
  bool RunModal(int templateId, DialogPresenter& presenter);

  std::string GetItemText(int id) const override;
  void SetItemText(int id, std::string_view text) override;
  void ShowItem(int id, bool visible) override;
  void CheckRadioButton(int firstId, int lastId, int checkId) override;

  void SetSliderRange(int id, int minimum, int maximum) override;
  void SetSliderTickFrequency(int id, int frequency) override;
  void SetSliderLineSize(int id, int size) override;
  void SetSliderPageSize(int id, int size) override;
  void SetSliderPosition(int id, int position) override;
  int GetSliderPosition(int id) const override;

  void SetSpinBuddy(int spinId, int buddyId) override;
  void SetSpinRange(int id, int minimum, int maximum) override;
  void SetSpinPosition(int id, int position) override;

  void ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon) override;
  std::optional<std::string> AskFileName(const FileDialogRequest& request) override;

  void Centre() override;
  void EndDialog(DialogResult result) override;

 private:
  static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT SendItem(int id, UINT message, WPARAM wParam, LPARAM lParam) const;

  HWND hwnd_ = nullptr;
  DialogPresenter* presenter_ = nullptr;
};

// Centres a top-level window on the work area of its monitor.
void CentreWindow(HWND hwnd);

// Registers the common controls the templates use (tree-view, trackbar,
// up-down); harmless to repeat.
void InitialiseCommonControls();

}  // namespace svcmp
