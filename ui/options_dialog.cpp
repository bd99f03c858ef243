#include "ui/options_dialog.h"

#include <cstddef>
#include <string>

#include "ui/control_ids.h"
#include "ui/dialog_texts.h"
#include "ui/settings_file.h"

namespace svcmp {
namespace {

constexpr int kScaleMin = 1;
constexpr int kScaleMax = 100;
constexpr int kDefaultScale = 92;
constexpr int kQuantitySpinMax = 100;

FileDialogRequest SettingsFileDialog(FileDialogKind kind) {
  return {kind,
          kind == FileDialogKind::Save ? kSaveSettingsTitle : kLoadSettingsTitle,
          {{kSettingsFilterName, kSettingsFilterPattern},
           {kAllFilesFilterName, kAllFilesFilterPattern}},
          kSettingsExtension,
          kFileDialogFlags};
}

std::size_t Index(int group) { return static_cast<std::size_t>(group); }

}  // namespace

OptionsDialog::OptionsDialog(DialogWindow& window, ExportSettings& settings)
    : window_(window), settings_(settings) {}

void OptionsDialog::OnInitDialog() {
  window_.Centre();

  // The slider starts at 0, not 1: the slider handler maps 0 to 1 itself.
  window_.SetSliderRange(kIdScaleSlider, 0, kScaleMax);
  window_.SetSliderTickFrequency(kIdScaleSlider, 10);
  window_.SetSliderLineSize(kIdScaleSlider, 1);
  window_.SetSliderPageSize(kIdScaleSlider, 1);

  settings_.ScaleDivisor = kDefaultScale;
  window_.SetItemText(kIdScaleEdit, std::to_string(kDefaultScale));
  window_.SetSliderPosition(kIdScaleSlider, kDefaultScale);

  // The spin takes its position from the edit's text (it sets buddy ints).
  window_.SetSpinBuddy(kIdScaleSpin, kIdScaleEdit);
  window_.SetSpinRange(kIdScaleSpin, kScaleMin, kScaleMax);

  for (int group = 0; group < kMaxGroupCount; ++group) {
    window_.SetSpinBuddy(QuantitySpinId(group), QuantityEditId(group));
    window_.SetSpinRange(QuantitySpinId(group), 1, kQuantitySpinMax);
    window_.SetSpinPosition(QuantitySpinId(group), 1);
  }

  settings_.GroupCount = 1;
  window_.SetItemText(kIdGroupCountEdit, "1");
  ShowGroupRows(0);

  window_.SetSpinBuddy(kIdGroupCountSpin, kIdGroupCountEdit);
  window_.SetSpinRange(kIdGroupCountSpin, 1, kMaxGroupCount);
  window_.SetSpinPosition(kIdGroupCountSpin, 1);

  SelectLevel(0);
  SelectOrientation(kOrientationUpsideDown);
}

void OptionsDialog::OnCommand(int id) {
  switch (id) {
    case kIdLevel0:
      SelectLevel(0);
      break;
    case kIdLevel1:
      SelectLevel(1);
      break;
    case kIdLevel2:
      SelectLevel(2);
      break;
    case kIdUpsideDown:
      SelectOrientation(kOrientationUpsideDown);
      break;
    case kIdBackToFront:
      SelectOrientation(kOrientationBackToFront);
      break;
    case kIdSaveSettings:
      SaveSettings();
      break;
    case kIdLoadSettings:
      LoadSettings();
      break;
    case kIdOk:
      CloseIfComplete(DialogResult::Ok);
      break;
    case kIdCancel:
      CloseIfComplete(DialogResult::Cancel);
      break;
    default:
      break;
  }
}

void OptionsDialog::OnEditChanged(int id) {
  if (id == kIdScaleEdit) OnScaleEditChanged();
  if (id == kIdGroupCountEdit) OnGroupCountChanged();
}

void OptionsDialog::OnSliderCustomDraw(int id) {
  if (id != kIdScaleSlider) return;
  // Rewriting the edit re-enters the edit handler, which turns position 0
  // into 1 and moves the slider there; an unchanged position paints nothing
  // more, so the exchange ends.
  const int position = window_.GetSliderPosition(kIdScaleSlider);
  settings_.ScaleDivisor = position;
  window_.SetItemText(kIdScaleEdit, std::to_string(position));
}

void OptionsDialog::OnScaleEditChanged() {
  int value = ReadDialogInt(window_.GetItemText(kIdScaleEdit));
  // Writing the bound back re-enters this handler, which then finds it in range.
  if (value < kScaleMin) {
    value = kScaleMin;
    window_.SetItemText(kIdScaleEdit, std::to_string(value));
  } else if (value > kScaleMax) {
    value = kScaleMax;
    window_.SetItemText(kIdScaleEdit, std::to_string(value));
  }
  settings_.ScaleDivisor = value;
  window_.SetSliderPosition(kIdScaleSlider, value);
}

void OptionsDialog::OnGroupCountChanged() {
  int count = ReadDialogInt(window_.GetItemText(kIdGroupCountEdit));
  if (count < 1) {
    count = 1;
    window_.SetItemText(kIdGroupCountEdit, std::to_string(count));
  } else if (count > kMaxGroupCount) {
    count = kMaxGroupCount;
    window_.SetItemText(kIdGroupCountEdit, std::to_string(count));
  }
  settings_.GroupCount = count;
  // A single group needs no quantities, so it shows no rows at all.
  ShowGroupRows(count >= 2 ? count : 0);
}

void OptionsDialog::SelectLevel(int level) {
  window_.CheckRadioButton(kIdLevel0, kIdLevel2, kIdLevel0 + level);
  settings_.LodLevel = level;
  window_.ShowItem(kIdLevel0Label, level == 0);
  window_.ShowItem(kIdLevel1Label, level == 1);
  window_.ShowItem(kIdLevel2Label, level == 2);
}

void OptionsDialog::SelectOrientation(int mode) {
  window_.CheckRadioButton(kIdUpsideDown, kIdBackToFront, kIdUpsideDown + mode);
  settings_.OrientationMode = mode;
}

void OptionsDialog::ShowGroupRows(int count) {
  // Hidden edits keep their text; only the close check and saving read them.
  for (int group = 0; group < kMaxGroupCount; ++group) {
    const bool shown = group < count;
    window_.ShowItem(GroupLabelId(group), shown);
    window_.ShowItem(QuantityEditId(group), shown);
    window_.ShowItem(QuantitySpinId(group), shown);
  }
}

// Fills GroupQuantities from the shown rows when there are two or more groups
// (the rest become 0); false when a counted quantity is 0.
bool OptionsDialog::ReadQuantities() {
  if (settings_.GroupCount < 2) return true;
  bool complete = true;
  for (int group = 0; group < kMaxGroupCount; ++group) {
    auto& quantity = settings_.GroupQuantities[Index(group)];
    if (group < settings_.GroupCount) {
      quantity = ReadDialogInt(window_.GetItemText(QuantityEditId(group)));
      complete = complete && quantity != 0;
    } else {
      quantity = 0;
    }
  }
  return complete;
}

void OptionsDialog::WarnQuantitiesMissing() {
  window_.ShowMessage(kQuantitiesMissingText, kWarningCaption, MessageIcon::Exclamation);
}

void OptionsDialog::CloseIfComplete(DialogResult result) {
  if (!ReadQuantities()) {
    WarnQuantitiesMissing();
    return;
  }
  window_.EndDialog(result);
}

void OptionsDialog::SaveSettings() {
  const auto path = window_.AskFileName(SettingsFileDialog(FileDialogKind::Save));
  if (!path) return;
  // The check comes before the file is opened, so a refused save touches nothing.
  if (!ReadQuantities()) {
    WarnQuantitiesMissing();
    return;
  }
  // The dialog reports no failed save; cmptool saves through the same
  // function and reports its result.
  static_cast<void>(WriteSettingsFile(*path, BuildSettingsImage(settings_)));
}

void OptionsDialog::LoadSettings() {
  const auto path = window_.AskFileName(SettingsFileDialog(FileDialogKind::Open));
  if (!path) return;
  const SettingsReadResult read = ReadSettingsFile(*path);
  if (read.status != SettingsFileStatus::Ok) return;
  const ExportSettings& stored = read.settings;

  // Each value goes through the same control as the user's own input, so the
  // handlers clamp it exactly as they clamp typing.
  settings_.ScaleDivisor = stored.ScaleDivisor;
  window_.SetItemText(kIdScaleEdit, std::to_string(stored.ScaleDivisor));

  // A value the radio buttons cannot show becomes the one they do show, so
  // what the user sees is what gets exported.
  SelectOrientation(stored.OrientationMode == kOrientationBackToFront ? kOrientationBackToFront
                                                                      : kOrientationUpsideDown);
  SelectLevel(stored.LodLevel == 1 || stored.LodLevel == 2 ? stored.LodLevel : 0);

  settings_.GroupCount = stored.GroupCount;
  window_.SetItemText(kIdGroupCountEdit, std::to_string(stored.GroupCount));
  const int count = settings_.GroupCount;
  for (int group = 0; group < kMaxGroupCount; ++group) {
    const bool filled = count >= 2 && group < count;
    window_.SetItemText(QuantityEditId(group),
                        filled ? std::to_string(stored.GroupQuantities[Index(group)]) : "0");
  }
}

}  // namespace svcmp
