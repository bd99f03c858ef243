#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "ui/export_settings.h"

namespace svcmp {

// The ".ces" settings file: one ExportSettings record, every field a signed
// 32-bit little-endian integer, no signature or version.
//   offset  0  ScaleDivisor
//   offset  4  OrientationMode
//   offset  8  LodLevel
//   offset 12  GroupCount
//   offset 16  GroupQuantities, 18 x 4 bytes
inline constexpr std::size_t kSettingsFileSize = 88;
static_assert(kSettingsFileSize == 4 * 4 + 4 * kMaxGroupCount);

using SettingsImage = std::array<std::uint8_t, kSettingsFileSize>;

// The file image of `settings`: the four single fields and, with two or more
// groups, the first GroupCount quantities; every other byte is 0.
[[nodiscard]] SettingsImage BuildSettingsImage(const ExportSettings& settings);

// Up to 88 bytes of a settings file as the record they hold. Fields past the
// end read as 0, bytes after the 88th are ignored; no value is checked.
[[nodiscard]] ExportSettings ParseSettingsImage(std::span<const std::uint8_t> bytes);

enum class SettingsFileStatus {
  Ok,
  CannotOpen,  // missing, no permission: the dialog passes over it silently
  CannotRead,  // opened but reading failed (a folder, an I/O error)
  CannotWrite,
};

struct [[nodiscard]] SettingsReadResult {
  SettingsFileStatus status = SettingsFileStatus::Ok;
  ExportSettings settings;  // as stored, unclamped; meaningful only when Ok
  std::string reason;       // a sentence for the user when not Ok
};

// Reads up to 88 bytes of `path`; a short file is not an error.
SettingsReadResult ReadSettingsFile(const std::filesystem::path& path);

struct [[nodiscard]] SettingsWriteResult {
  SettingsFileStatus status = SettingsFileStatus::Ok;
  std::string reason;  // a sentence for the user when not Ok
};

// Writes `image` through a temporary file beside `path` renamed over it, so a
// failed save never destroys the settings file that was there.
SettingsWriteResult WriteSettingsFile(const std::filesystem::path& path,
                                      const SettingsImage& image);

}  // namespace svcmp
