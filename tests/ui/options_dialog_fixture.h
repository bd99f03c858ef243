#pragma once

#include <gtest/gtest.h>

#include "ui/control_ids.h"
#include "ui/export_settings.h"
#include "ui/in_memory_dialog_window.h"
#include "ui/options_dialog.h"

namespace svcmp::testing {

// An options dialog opened over an in-memory window, as the driver opens it.
class OptionsDialogFixture : public ::testing::Test {
 protected:
  void SetUp() override { window_.Open(dialog_); }
  void TearDown() override { EXPECT_FALSE(window_.LoopDetected()); }

  // A row counts as shown only when its label, edit and spin all are.
  bool RowShown(int group) const {
    return window_.Item(GroupLabelId(group)).visible &&
           window_.Item(QuantityEditId(group)).visible &&
           window_.Item(QuantitySpinId(group)).visible;
  }
  bool RowHidden(int group) const {
    return !window_.Item(GroupLabelId(group)).visible &&
           !window_.Item(QuantityEditId(group)).visible &&
           !window_.Item(QuantitySpinId(group)).visible;
  }
  // True when exactly rows 1..count are shown and the others fully hidden.
  bool ShowsRows(int count) const {
    for (int group = 0; group < kMaxGroupCount; ++group) {
      if (group < count ? !RowShown(group) : !RowHidden(group)) return false;
    }
    return true;
  }
  std::string Text(int id) const { return window_.GetItemText(id); }
  int Slider() const { return window_.GetSliderPosition(kIdScaleSlider); }

  ExportSettings settings_;
  InMemoryDialogWindow window_;
  OptionsDialog dialog_{window_, settings_};
};

}  // namespace svcmp::testing
