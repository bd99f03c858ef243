#include "cli/scratch_folder.h"

#include <random>
#include <string>
#include <system_error>
#include <utility>

namespace svcmp::cli {

std::optional<ScratchFolder> ScratchFolder::Create() {
  std::error_code error;
  const std::filesystem::path base = std::filesystem::temp_directory_path(error);
  if (error) return std::nullopt;
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 64; ++attempt) {
    std::filesystem::path candidate = base / ("cmptool-" + std::to_string(random()));
    // Creating a folder fails when it exists, so the folder is ours alone.
    if (std::filesystem::create_directory(candidate, error))
      return ScratchFolder(std::move(candidate));
    if (error) return std::nullopt;
  }
  return std::nullopt;
}

ScratchFolder::ScratchFolder(ScratchFolder&& other) noexcept : path_(std::move(other.path_)) {
  other.path_.clear();
}

ScratchFolder::~ScratchFolder() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace svcmp::cli
