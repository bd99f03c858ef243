#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/message_icon.h"

namespace svcmp {

// How a modal dialog ended; the values of the platform's IDOK and IDCANCEL.
enum class DialogResult : int { Ok = 1, Cancel = 2 };

enum class FileDialogKind { Save, Open };

struct FileFilter {
  std::string name;     // "CMP Settings (*.ces)"
  std::string pattern;  // "*.ces"
};

// OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST: the flags of
// every file dialog this exporter shows.
inline constexpr std::uint32_t kFileDialogFlags = 0x806;

// One common file dialog: no owner window, no initial folder, an empty
// 256-character name buffer and the first filter preselected.
struct FileDialogRequest {
  FileDialogKind kind = FileDialogKind::Open;
  std::string title;
  std::vector<FileFilter> filters;
  std::string defaultExtension;  // appended when the user types a name without one
  std::uint32_t flags = kFileDialogFlags;
};

// The logic of one dialog. The window calls it for the platform's
// notifications; a handler may act on the window again, and re-entrantly.
class DialogPresenter {
 public:
  virtual ~DialogPresenter() = default;

  // Once, after the window and its controls exist and before it is shown.
  virtual void OnInitDialog() = 0;
  // A button or radio button was clicked, or the OK (1) / Cancel (2) command.
  virtual void OnCommand(int id) = 0;
  // An edit's text changed, by the user or by SetItemText (EN_CHANGE).
  virtual void OnEditChanged(int id) { static_cast<void>(id); }
  // A trackbar is painting (NM_CUSTOMDRAW); it paints itself the default way.
  virtual void OnSliderCustomDraw(int id) { static_cast<void>(id); }
};

// What a presenter can do with its dialog. The Windows build implements it
// over an HWND, tests and cmptool in memory (InMemoryDialogWindow).
class DialogWindow {
 public:
  virtual ~DialogWindow() = default;

  virtual std::string GetItemText(int id) const = 0;
  // Setting an edit's text notifies OnEditChanged before it returns, even when
  // the text stays the same, as the platform's WM_SETTEXT does.
  virtual void SetItemText(int id, std::string_view text) = 0;
  virtual void ShowItem(int id, bool visible) = 0;
  // Checks `checkId` and unchecks the other radio buttons firstId..lastId.
  virtual void CheckRadioButton(int firstId, int lastId, int checkId) = 0;

  virtual void SetSliderRange(int id, int minimum, int maximum) = 0;
  virtual void SetSliderTickFrequency(int id, int frequency) = 0;
  virtual void SetSliderLineSize(int id, int size) = 0;
  virtual void SetSliderPageSize(int id, int size) = 0;
  // Clamps to the range; a changed position repaints the slider, which sends
  // OnSliderCustomDraw. An unchanged position paints nothing.
  virtual void SetSliderPosition(int id, int position) = 0;
  virtual int GetSliderPosition(int id) const = 0;

  virtual void SetSpinBuddy(int spinId, int buddyId) = 0;
  virtual void SetSpinRange(int id, int minimum, int maximum) = 0;
  // Only the spin's own position: the buddy's text is left as it is.
  virtual void SetSpinPosition(int id, int position) = 0;

  // A message box owned by this dialog, with one OK button.
  virtual void ShowMessage(std::string_view text, std::string_view caption, MessageIcon icon) = 0;
  // The chosen path, or nothing when the user cancelled or the dialog failed.
  virtual std::optional<std::string> AskFileName(const FileDialogRequest& request) = 0;

  virtual void Centre() = 0;
  // Ends the modal loop once the running handler has returned.
  virtual void EndDialog(DialogResult result) = 0;
};

// An edit's text read as a signed integer, like the platform's GetDlgItemInt:
// blanks around an optional '-' and digits; anything else reads as 0, and a
// number beyond the 32-bit range reads as the nearest bound.
[[nodiscard]] std::int32_t ReadDialogInt(std::string_view text);

}  // namespace svcmp
