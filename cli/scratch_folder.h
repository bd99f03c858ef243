#pragma once

#include <filesystem>
#include <optional>

namespace svcmp::cli {

// A new, empty folder of this process's own under the system's temporary
// folder, removed with everything in it when the object goes.
class ScratchFolder {
 public:
  // Nothing when no folder could be made.
  static std::optional<ScratchFolder> Create();

  ScratchFolder(ScratchFolder&& other) noexcept;
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ScratchFolder& operator=(ScratchFolder&&) = delete;
  ~ScratchFolder();

  const std::filesystem::path& Path() const { return path_; }

 private:
  explicit ScratchFolder(std::filesystem::path path) : path_(std::move(path)) {}

  std::filesystem::path path_;
};

}  // namespace svcmp::cli
