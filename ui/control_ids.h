#pragma once

namespace svcmp {

// Dialog templates in the plug-in's resources.
inline constexpr int kResultDialogTemplate = 8001;
inline constexpr int kOptionsDialogTemplate = 8002;
inline constexpr int kFileOptionsDialogTemplate = 8003;

// The platform's OK and Cancel commands (Enter, Escape, the close box).
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// Options dialog (template 8002). "Continue" is the Cancel button, id 2.
inline constexpr int kIdLevel0 = 8003;
inline constexpr int kIdLevel1 = 8004;
inline constexpr int kIdLevel2 = 8005;
inline constexpr int kIdLevel0Label = 8006;  // "xxx.lod0.vms"
inline constexpr int kIdLevel1Label = 8007;
inline constexpr int kIdLevel2Label = 8008;
inline constexpr int kIdUpsideDown = 8009;
inline constexpr int kIdBackToFront = 8010;
inline constexpr int kIdSaveSettings = 8011;
inline constexpr int kIdLoadSettings = 8012;
inline constexpr int kIdGroupCountEdit = 8013;
inline constexpr int kIdGroupCountSpin = 8014;
inline constexpr int kIdFirstQuantityEdit = 8015;  // group n: 8014 + n
inline constexpr int kIdFirstGroupLabel = 8033;    // group n: 8032 + n
inline constexpr int kIdFirstQuantitySpin = 8051;  // group n: 8050 + n
inline constexpr int kIdScaleEdit = 8069;
inline constexpr int kIdScaleSpin = 8070;
inline constexpr int kIdScaleSlider = 8071;

// File-options dialog (template 8003): button 1 "Create New CMP File" is OK,
// button 2 "Add To / Update Existing CMP File" is Cancel.
inline constexpr int kIdCreateNew = kIdOk;
inline constexpr int kIdUpdateExisting = kIdCancel;

// Controls of group row `group` (0-based).
constexpr int QuantityEditId(int group) { return kIdFirstQuantityEdit + group; }
constexpr int GroupLabelId(int group) { return kIdFirstGroupLabel + group; }
constexpr int QuantitySpinId(int group) { return kIdFirstQuantitySpin + group; }

}  // namespace svcmp
