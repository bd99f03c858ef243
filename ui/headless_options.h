#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "ui/export_settings.h"

namespace svcmp {

// What a front end without a screen asks of the options dialog. The real
// dialog plays it in this order: "Load Settings", each option given as the
// user would set it, then closing; the settings are saved last.
struct OptionsScript {
  std::optional<std::filesystem::path> loadFrom;
  std::optional<int> scaleDivisor;     // typed into the scale edit, so clamped to 1..100
  std::optional<int> orientationMode;  // 0 "Upside Down" or 1 "Back To Front"
  std::optional<int> lodLevel;         // 0, 1 or 2
  std::optional<int> groupCount;       // typed into the group-count edit, so clamped to 1..18
  std::vector<int> groupQuantities;    // typed into the rows from group 1 on
  std::optional<std::filesystem::path> saveTo;
};

struct [[nodiscard]] OptionsRunResult {
  bool ok = true;
  std::string message;  // for the user when not ok
};

// Runs the options dialog over an in-memory window with `script` and leaves
// the outcome in `settings`. Unlike the dialog, a settings file that cannot
// be read or written is an error, and so is a dialog that would not close
// (its warning is the message).
OptionsRunResult RunOptionsDialogHeadless(ExportSettings& settings, const OptionsScript& script);

// "Load Settings" alone: the record as the dialog leaves it after loading
// `path` and closing (a scale of 250 becomes 100, a group count of 30 becomes 18).
OptionsRunResult LoadSettingsFile(const std::filesystem::path& path, ExportSettings& settings);

// Saves `settings` with the dialog's check: with two or more groups, every
// counted quantity must be non-zero, or nothing is touched.
OptionsRunResult SaveSettingsFile(const std::filesystem::path& path,
                                  const ExportSettings& settings);

}  // namespace svcmp
