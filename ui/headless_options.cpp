#include "ui/headless_options.h"

#include <cstddef>
#include <string>
#include <utility>

#include "ui/control_ids.h"
#include "ui/dialog_texts.h"
#include "ui/in_memory_dialog_window.h"
#include "ui/options_dialog.h"
#include "ui/settings_file.h"

namespace svcmp {
namespace {

OptionsRunResult Fail(std::string message) { return {false, std::move(message)}; }

// The same rule as the dialog's close check and save.
bool QuantitiesComplete(const ExportSettings& settings) {
  if (settings.GroupCount < 2) return true;
  for (int group = 0; group < settings.GroupCount && group < kMaxGroupCount; ++group) {
    if (settings.GroupQuantities[static_cast<std::size_t>(group)] == 0) return false;
  }
  return true;
}

}  // namespace

OptionsRunResult RunOptionsDialogHeadless(ExportSettings& settings, const OptionsScript& script) {
  if (script.orientationMode && *script.orientationMode != kOrientationUpsideDown &&
      *script.orientationMode != kOrientationBackToFront) {
    return Fail(kOrientationOutOfRange);
  }
  if (script.lodLevel && (*script.lodLevel < 0 || *script.lodLevel > 2)) {
    return Fail(kLevelOutOfRange);
  }

  InMemoryDialogWindow window;
  OptionsDialog dialog(window, settings);
  window.Open(dialog);

  if (script.loadFrom) {
    // The dialog passes over a file it cannot open; a script names the file
    // on purpose, so that is an error here, found before the dialog looks.
    const SettingsReadResult readable = ReadSettingsFile(*script.loadFrom);
    if (readable.status != SettingsFileStatus::Ok) return Fail(readable.reason);
    window.QueueFileAnswer(script.loadFrom->string());
    window.Click(kIdLoadSettings);
  }
  if (script.scaleDivisor) window.TypeText(kIdScaleEdit, std::to_string(*script.scaleDivisor));
  if (script.orientationMode) window.Click(kIdUpsideDown + *script.orientationMode);
  if (script.lodLevel) window.Click(kIdLevel0 + *script.lodLevel);
  if (script.groupCount) window.TypeText(kIdGroupCountEdit, std::to_string(*script.groupCount));
  for (std::size_t i = 0; i < script.groupQuantities.size(); ++i) {
    // Rows past the group count are hidden and take no input.
    if (!window.TypeText(QuantityEditId(static_cast<int>(i)),
                         std::to_string(script.groupQuantities[i]))) {
      return Fail(kTooManyQuantities);
    }
  }

  window.PressEnter();
  if (window.IsOpen()) {
    return Fail(window.Messages().empty() ? std::string(kQuantitiesMissingText)
                                          : window.Messages().back().text);
  }
  if (script.saveTo) return SaveSettingsFile(*script.saveTo, settings);
  return {};
}

OptionsRunResult LoadSettingsFile(const std::filesystem::path& path, ExportSettings& settings) {
  OptionsScript script;
  script.loadFrom = path;
  return RunOptionsDialogHeadless(settings, script);
}

OptionsRunResult SaveSettingsFile(const std::filesystem::path& path,
                                  const ExportSettings& settings) {
  if (!QuantitiesComplete(settings)) return Fail(kQuantitiesMissingText);
  const SettingsWriteResult written = WriteSettingsFile(path, BuildSettingsImage(settings));
  if (written.status != SettingsFileStatus::Ok) return Fail(written.reason);
  return {};
}

}  // namespace svcmp
