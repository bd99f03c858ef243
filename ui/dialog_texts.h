#pragma once

namespace svcmp {

// Captions of the dialogs, as the templates carry them.
inline constexpr char kOptionsDialogCaption[] = "Level Of Detail, Scale etc.";
inline constexpr char kFileOptionsDialogCaption[] = "SV CMP File Options";

// Message boxes of the options dialog.
inline constexpr char kQuantitiesMissingText[] = "Not all group quantities entered";
inline constexpr char kWarningCaption[] = "Warning";

// The settings file's common file dialogs.
inline constexpr char kSaveSettingsTitle[] = "Save CMP Exporter Settings";
inline constexpr char kLoadSettingsTitle[] = "Load CMP Exporter Settings";
inline constexpr char kSettingsFilterName[] = "CMP Settings (*.ces)";
inline constexpr char kSettingsFilterPattern[] = "*.ces";
inline constexpr char kAllFilesFilterName[] = "All Files (*.*)";
inline constexpr char kAllFilesFilterPattern[] = "*.*";
inline constexpr char kSettingsExtension[] = "ces";

// What cmptool reports about a settings file (the dialog itself stays silent).
inline constexpr char kSettingsCannotOpen[] = "Cannot open the settings file";
inline constexpr char kSettingsCannotRead[] = "Cannot read the settings file";
inline constexpr char kSettingsCannotWrite[] = "Cannot write the settings file";

// What cmptool reports about options the dialog's controls cannot take.
inline constexpr char kOrientationOutOfRange[] =
    "The orientation must be 0 (Upside Down) or 1 (Back To Front).";
inline constexpr char kLevelOutOfRange[] = "The level of detail must be 0, 1 or 2.";
inline constexpr char kTooManyQuantities[] =
    "More group quantities were given than there are groups.";

}  // namespace svcmp
