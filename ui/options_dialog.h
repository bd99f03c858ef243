#pragma once

#include "ui/dialog_window.h"
#include "ui/export_settings.h"

namespace svcmp {

// The export options dialog (template 8002, "Level Of Detail, Scale etc.").
// Writes every choice straight into the bound record the moment its control
// changes; however the dialog ends, the caller goes on with the record.
class OptionsDialog final : public DialogPresenter {
 public:
  // Both must outlive the dialog.
  OptionsDialog(DialogWindow& window, ExportSettings& settings);

  // Sets the scale, orientation, level and group count back to their
  // defaults; GroupQuantities keeps whatever it held.
  void OnInitDialog() override;
  // Level and orientation radio buttons, Save and Load Settings, and OK /
  // Cancel, which close only when every shown group has a quantity.
  void OnCommand(int id) override;
  // The scale edit and the group-count edit clamp at once and write back.
  void OnEditChanged(int id) override;
  // The slider drives the scale edit whenever it paints.
  void OnSliderCustomDraw(int id) override;

 private:
  void OnScaleEditChanged();
  void OnGroupCountChanged();
  void SelectLevel(int level);
  void SelectOrientation(int mode);
  void ShowGroupRows(int count);
  bool ReadQuantities();
  void WarnQuantitiesMissing();
  void CloseIfComplete(DialogResult result);
  void SaveSettings();
  void LoadSettings();

  DialogWindow& window_;
  ExportSettings& settings_;
};

}  // namespace svcmp
