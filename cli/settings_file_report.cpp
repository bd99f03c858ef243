#include "cli/settings_file_report.h"

#include <cstdio>
#include <system_error>

#include "ui/headless_options.h"
#include "ui/settings_file.h"

namespace svcmp::cli {
namespace {

std::string Describe(const ExportSettings& settings) {
  std::string text =
      "scale " + std::to_string(settings.ScaleDivisor) + ", orientation " +
      (settings.OrientationMode == kOrientationBackToFront ? "back-to-front" : "upside-down") +
      ", level of detail " + std::to_string(settings.LodLevel) + ", ";
  if (settings.GroupCount < 2) return text + "one part";
  text += "groups ";
  for (int group = 0; group < settings.GroupCount && group < kMaxGroupCount; ++group) {
    if (group != 0) text += ',';
    text += std::to_string(settings.GroupQuantities[static_cast<std::size_t>(group)]);
  }
  return text;
}

void WarnIfChanged(const std::string& path, const char* what, int stored, int loaded) {
  if (stored == loaded) return;
  std::fprintf(stderr, "warning: %s holds %s %d, which the options dialog turns into %d\n",
               path.c_str(), what, stored, loaded);
}

}  // namespace

bool CheckSettingsFileShape(const std::string& path) {
  std::error_code error;
  const auto status = std::filesystem::status(path, error);
  if (!std::filesystem::exists(status)) return true;
  if (std::filesystem::is_regular_file(status) &&
      std::filesystem::file_size(path, error) == kSettingsFileSize && !error) {
    return true;
  }
  std::fprintf(stderr, "error: %s is not a settings file (a settings file has exactly %zu bytes)\n",
               path.c_str(), kSettingsFileSize);
  return false;
}

void ReportLoadedSettings(const std::string& path, bool quiet) {
  const SettingsReadResult stored = ReadSettingsFile(path);
  ExportSettings loaded;
  if (stored.status != SettingsFileStatus::Ok || !LoadSettingsFile(path, loaded).ok) return;
  WarnIfChanged(path, "the scale", stored.settings.ScaleDivisor, loaded.ScaleDivisor);
  WarnIfChanged(path, "the orientation", stored.settings.OrientationMode, loaded.OrientationMode);
  WarnIfChanged(path, "the level of detail", stored.settings.LodLevel, loaded.LodLevel);
  WarnIfChanged(path, "the group count", stored.settings.GroupCount, loaded.GroupCount);
  if (!quiet) std::fprintf(stderr, "loaded %s: %s\n", path.c_str(), Describe(loaded).c_str());
}

}  // namespace svcmp::cli
