#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ui/dialog_window.h"

namespace svcmp {

// Everything a control of the in-memory window remembers. Controls come into
// being visible and empty the first time anything touches them.
struct DialogItemState {
  std::string text;
  bool visible = true;
  bool checked = false;
  int sliderMin = 0;
  int sliderMax = 100;
  int sliderPosition = 0;
  int tickFrequency = 1;
  int lineSize = 1;
  int pageSize = 0;
  int spinBuddy = 0;  // 0: none
  int spinMin = 0;
  int spinMax = 100;
  int spinPosition = 0;
};

struct ShownMessage {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::None;
};

// A dialog window without a screen: it keeps each control's state, records
// message boxes and file dialogs, answers file dialogs from a script and plays
// the user's input into the presenter. Tests and cmptool drive dialogs with it.
class InMemoryDialogWindow final : public DialogWindow {
 public:
  // Runs the presenter's initialisation; the window sends it every
  // notification from then on. The presenter must outlive the window's use.
  void Open(DialogPresenter& presenter);

  // The user's input. Each returns false, and does nothing, before Open,
  // after the dialog has ended, or when the control is hidden.
  bool TypeText(int editId, std::string_view text);
  // A button; a radio button of a group the dialog declared through
  // CheckRadioButton is checked first, as an automatic radio button is.
  bool Click(int id);
  bool DragSlider(int sliderId, int position);
  // One click on a spin's arrow: steps its buddy's number within the range.
  bool ClickSpin(int spinId, bool up);
  bool PressEnter();   // the OK command
  bool PressEscape();  // the Cancel command
  bool CloseBox();     // the Cancel command

  // The answer of the next file dialog; nullopt plays Cancel. With no answer
  // queued, a file dialog is cancelled.
  void QueueFileAnswer(std::optional<std::string> path);

  [[nodiscard]] const DialogItemState& Item(int id) const;
  [[nodiscard]] const std::vector<ShownMessage>& Messages() const { return messages_; }
  [[nodiscard]] const std::vector<FileDialogRequest>& FileRequests() const { return fileRequests_; }
  [[nodiscard]] bool IsOpen() const { return presenter_ != nullptr && !result_; }
  [[nodiscard]] std::optional<DialogResult> Result() const { return result_; }
  [[nodiscard]] bool IsCentred() const { return centred_; }
  // True when a chain of notifications nested so deep that the window cut it
  // off: a presenter that never settles. Tests check it stays false.
  [[nodiscard]] bool LoopDetected() const { return loopDetected_; }

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
  template <typename Handler>
  void Notify(Handler handler);
  bool AcceptsInput(int id) const;

  DialogPresenter* presenter_ = nullptr;
  std::map<int, DialogItemState> items_;
  std::vector<std::pair<int, int>> radioGroups_;
  std::deque<std::optional<std::string>> fileAnswers_;
  std::vector<ShownMessage> messages_;
  std::vector<FileDialogRequest> fileRequests_;
  std::optional<DialogResult> result_;
  bool centred_ = false;
  int nesting_ = 0;
  bool loopDetected_ = false;
};

}  // namespace svcmp
