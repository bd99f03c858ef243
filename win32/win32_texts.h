#pragma once

// The texts of the ".cmp" file dialogs, spelled once; the settings file's
// dialogs and the shared "All Files" filter are in ui/dialog_texts.h.
namespace svcmp::win32_texts {

inline constexpr char kExportCmpTitle[] = "Export SV CMP";
inline constexpr char kUpdateCmpTitle[] = "Update Existing SV CMP File";
inline constexpr char kCmpFilterName[] = "CMP Files (*.cmp)";
inline constexpr char kCmpFilterPattern[] = "*.cmp";
inline constexpr char kCmpExtension[] = "cmp";

}  // namespace svcmp::win32_texts
