#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace svcmp::wine {

// Drives the plug-in's windows from a second thread while the export runs
// on the UI thread, as a user would. Every wait has a deadline; a missed one
// ends the whole process with a message, so a scenario never hangs.
class Driver {
 public:
  explicit Driver(DWORD uiThread) : uiThread_(uiThread) {}

  // The visible top-level dialog of the UI thread with this caption (and,
  // when `owner` is given, this owner), once it processes messages.
  HWND WaitForDialog(const std::string& caption, HWND owner = nullptr) const;
  // A message box: its caption, and the text that must be in it.
  HWND WaitForMessageBox(const std::string& caption, const std::string& text,
                         HWND owner = nullptr) const;
  void WaitGone(HWND window) const;
  // Fails if a dialog with this caption shows up within `milliseconds`.
  void ExpectNoDialog(const std::string& caption, int milliseconds) const;

  void Click(HWND dialog, int id) const;        // a posted BM_CLICK
  void Command(HWND dialog, int id) const;      // a posted WM_COMMAND, as Enter and Escape give
  void CloseBox(HWND dialog) const;             // the close box
  void SetText(HWND dialog, int id, const std::string& text) const;
  std::string Text(HWND dialog, int id) const;
  bool IsChecked(HWND dialog, int id) const;
  bool IsVisible(HWND dialog, int id) const;
  int SliderPosition(HWND dialog, int id) const;
  void SetSliderPosition(HWND dialog, int id, int position) const;

  // Types `path` into a common file dialog and confirms it.
  void AnswerFileDialog(const std::string& title, const std::string& path) const;
  void CancelFileDialog(const std::string& title) const;

  // Every item of a tree-view as "depth:label", in display order, and
  // whether any item is expanded.
  std::vector<std::string> TreeItems(HWND dialog, int id, bool& anyExpanded) const;

  // Saves the window as it is on screen to a BMP file.
  void Screenshot(HWND window, const std::string& path) const;

 private:
  DWORD uiThread_;
};

// Ends the process with a failure message (from any thread).
[[noreturn]] void Fail(const std::string& message);
void Check(bool condition, const std::string& message);

}  // namespace svcmp::wine
