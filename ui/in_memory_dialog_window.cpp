#include "ui/in_memory_dialog_window.h"

#include <algorithm>

#include "ui/control_ids.h"

namespace svcmp {
namespace {

// Far deeper than any settled exchange between controls (the scale edit and
// the slider need six levels), far shallower than the stack.
constexpr int kMaxNesting = 64;

const DialogItemState kUntouchedItem{};

}  // namespace

template <typename Handler>
void InMemoryDialogWindow::Notify(Handler handler) {
  if (presenter_ == nullptr) return;
  if (nesting_ >= kMaxNesting) {
    loopDetected_ = true;
    return;
  }
  ++nesting_;
  handler(*presenter_);
  --nesting_;
}

void InMemoryDialogWindow::Open(DialogPresenter& presenter) {
  presenter_ = &presenter;
  result_.reset();
  Notify([](DialogPresenter& p) { p.OnInitDialog(); });
}

bool InMemoryDialogWindow::AcceptsInput(int id) const { return IsOpen() && Item(id).visible; }

bool InMemoryDialogWindow::TypeText(int editId, std::string_view text) {
  if (!AcceptsInput(editId)) return false;
  SetItemText(editId, text);
  return true;
}

bool InMemoryDialogWindow::Click(int id) {
  if (!AcceptsInput(id)) return false;
  for (const auto& [first, last] : radioGroups_) {
    if (id >= first && id <= last) CheckRadioButton(first, last, id);
  }
  Notify([id](DialogPresenter& p) { p.OnCommand(id); });
  return true;
}

bool InMemoryDialogWindow::DragSlider(int sliderId, int position) {
  if (!AcceptsInput(sliderId)) return false;
  SetSliderPosition(sliderId, position);
  return true;
}

bool InMemoryDialogWindow::ClickSpin(int spinId, bool up) {
  if (!AcceptsInput(spinId)) return false;
  DialogItemState& spin = items_[spinId];
  // A spin that sets its buddy's number starts from the number shown there.
  int current = spin.spinPosition;
  if (spin.spinBuddy != 0 && !Item(spin.spinBuddy).text.empty()) {
    current = ReadDialogInt(Item(spin.spinBuddy).text);
  }
  const int low = std::min(spin.spinMin, spin.spinMax);
  const int high = std::max(spin.spinMin, spin.spinMax);
  spin.spinPosition = std::clamp(up ? current + 1 : current - 1, low, high);
  if (spin.spinBuddy != 0) SetItemText(spin.spinBuddy, std::to_string(spin.spinPosition));
  return true;
}

bool InMemoryDialogWindow::PressEnter() {
  if (!IsOpen()) return false;
  Notify([](DialogPresenter& p) { p.OnCommand(kIdOk); });
  return true;
}

bool InMemoryDialogWindow::PressEscape() {
  if (!IsOpen()) return false;
  Notify([](DialogPresenter& p) { p.OnCommand(kIdCancel); });
  return true;
}

bool InMemoryDialogWindow::CloseBox() { return PressEscape(); }

void InMemoryDialogWindow::QueueFileAnswer(std::optional<std::string> path) {
  fileAnswers_.push_back(std::move(path));
}

const DialogItemState& InMemoryDialogWindow::Item(int id) const {
  const auto found = items_.find(id);
  return found == items_.end() ? kUntouchedItem : found->second;
}

std::string InMemoryDialogWindow::GetItemText(int id) const { return Item(id).text; }

void InMemoryDialogWindow::SetItemText(int id, std::string_view text) {
  items_[id].text = std::string(text);
  Notify([id](DialogPresenter& p) { p.OnEditChanged(id); });
}

void InMemoryDialogWindow::ShowItem(int id, bool visible) { items_[id].visible = visible; }

void InMemoryDialogWindow::CheckRadioButton(int firstId, int lastId, int checkId) {
  const std::pair<int, int> group{firstId, lastId};
  if (std::find(radioGroups_.begin(), radioGroups_.end(), group) == radioGroups_.end()) {
    radioGroups_.push_back(group);
  }
  for (int id = firstId; id <= lastId; ++id) items_[id].checked = id == checkId;
}

void InMemoryDialogWindow::SetSliderRange(int id, int minimum, int maximum) {
  DialogItemState& slider = items_[id];
  slider.sliderMin = minimum;
  slider.sliderMax = maximum;
  SetSliderPosition(id, slider.sliderPosition);
}

void InMemoryDialogWindow::SetSliderTickFrequency(int id, int frequency) {
  items_[id].tickFrequency = frequency;
}

void InMemoryDialogWindow::SetSliderLineSize(int id, int size) { items_[id].lineSize = size; }

void InMemoryDialogWindow::SetSliderPageSize(int id, int size) { items_[id].pageSize = size; }

void InMemoryDialogWindow::SetSliderPosition(int id, int position) {
  DialogItemState& slider = items_[id];
  const int clamped = std::clamp(position, std::min(slider.sliderMin, slider.sliderMax),
                                 std::max(slider.sliderMin, slider.sliderMax));
  // As a trackbar does, only a moved thumb repaints, and painting is what
  // sends the custom-draw notification.
  if (clamped == slider.sliderPosition) return;
  slider.sliderPosition = clamped;
  Notify([id](DialogPresenter& p) { p.OnSliderCustomDraw(id); });
}

int InMemoryDialogWindow::GetSliderPosition(int id) const { return Item(id).sliderPosition; }

void InMemoryDialogWindow::SetSpinBuddy(int spinId, int buddyId) {
  items_[spinId].spinBuddy = buddyId;
}

void InMemoryDialogWindow::SetSpinRange(int id, int minimum, int maximum) {
  items_[id].spinMin = minimum;
  items_[id].spinMax = maximum;
}

void InMemoryDialogWindow::SetSpinPosition(int id, int position) {
  items_[id].spinPosition = position;
}

void InMemoryDialogWindow::ShowMessage(std::string_view text, std::string_view caption,
                                       MessageIcon icon) {
  messages_.push_back({std::string(text), std::string(caption), icon});
}

std::optional<std::string> InMemoryDialogWindow::AskFileName(const FileDialogRequest& request) {
  fileRequests_.push_back(request);
  if (fileAnswers_.empty()) return std::nullopt;
  std::optional<std::string> answer = std::move(fileAnswers_.front());
  fileAnswers_.pop_front();
  return answer;
}

void InMemoryDialogWindow::Centre() { centred_ = true; }

void InMemoryDialogWindow::EndDialog(DialogResult result) { result_ = result; }

}  // namespace svcmp
