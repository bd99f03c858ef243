#include "ui/settings_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

#include "ui/dialog_texts.h"
#include "utf/file_io.h"

namespace svcmp {
namespace {

constexpr std::size_t kScaleOffset = 0;
constexpr std::size_t kOrientationOffset = 4;
constexpr std::size_t kLevelOffset = 8;
constexpr std::size_t kGroupCountOffset = 12;
constexpr std::size_t kQuantitiesOffset = 16;

void PutInt32(SettingsImage& image, std::size_t offset, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (std::size_t i = 0; i < 4; ++i) {
    image[offset + i] = static_cast<std::uint8_t>(bits >> (8 * i));
  }
}

std::int32_t GetInt32(const SettingsImage& image, std::size_t offset) {
  std::uint32_t bits = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    bits |= std::uint32_t{image[offset + i]} << (8 * i);
  }
  return static_cast<std::int32_t>(bits);
}

std::string Describe(const char* what, const std::filesystem::path& path, const std::string& why) {
  return std::string(what) + " \"" + path.string() + "\": " + why + ".";
}

}  // namespace

SettingsImage BuildSettingsImage(const ExportSettings& settings) {
  SettingsImage image{};
  PutInt32(image, kScaleOffset, settings.ScaleDivisor);
  PutInt32(image, kOrientationOffset, settings.OrientationMode);
  PutInt32(image, kLevelOffset, settings.LodLevel);
  PutInt32(image, kGroupCountOffset, settings.GroupCount);
  if (settings.GroupCount >= 2) {
    const int counted = std::min(settings.GroupCount, kMaxGroupCount);
    for (int i = 0; i < counted; ++i) {
      PutInt32(image, kQuantitiesOffset + 4 * static_cast<std::size_t>(i),
               settings.GroupQuantities[static_cast<std::size_t>(i)]);
    }
  }
  return image;
}

ExportSettings ParseSettingsImage(std::span<const std::uint8_t> bytes) {
  SettingsImage image{};
  std::copy_n(bytes.begin(), std::min(bytes.size(), image.size()), image.begin());
  ExportSettings settings;
  settings.ScaleDivisor = GetInt32(image, kScaleOffset);
  settings.OrientationMode = GetInt32(image, kOrientationOffset);
  settings.LodLevel = GetInt32(image, kLevelOffset);
  settings.GroupCount = GetInt32(image, kGroupCountOffset);
  for (std::size_t i = 0; i < settings.GroupQuantities.size(); ++i) {
    settings.GroupQuantities[i] = GetInt32(image, kQuantitiesOffset + 4 * i);
  }
  return settings;
}

SettingsReadResult ReadSettingsFile(const std::filesystem::path& path) {
  SettingsReadResult result;
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
      std::fopen(path.string().c_str(), "rb"), &std::fclose);
  if (!file) {
    result.status = SettingsFileStatus::CannotOpen;
    result.reason = Describe(kSettingsCannotOpen, path, std::generic_category().message(errno));
    return result;
  }
  // Only the record's 88 bytes are read, however large the chosen file is.
  SettingsImage image{};
  const std::size_t got = std::fread(image.data(), 1, image.size(), file.get());
  if (got < image.size() && std::ferror(file.get())) {
    result.status = SettingsFileStatus::CannotRead;
    result.reason = Describe(kSettingsCannotRead, path, std::generic_category().message(errno));
    return result;
  }
  result.settings = ParseSettingsImage(std::span(image.data(), got));
  return result;
}

SettingsWriteResult WriteSettingsFile(const std::filesystem::path& path,
                                      const SettingsImage& image) {
  const FileWriteResult written = ReplaceFileContents(path, image);
  if (written.written) return {};
  return {SettingsFileStatus::CannotWrite, Describe(kSettingsCannotWrite, path, written.reason)};
}

}  // namespace svcmp
