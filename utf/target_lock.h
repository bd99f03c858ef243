#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace svcmp {

struct TargetLockResult;

// An advisory lock that lets one export at a time read and replace a file:
// held from reading the old file to renaming the new one over it. It is taken
// on a hidden lock file beside the target (".NAME.lock"), which the holder
// removes as it lets go.
class TargetLock {
 public:
  enum class Outcome { Locked, Busy, Failed };

  // Locks `target` (after ResolveReplaceTarget). When another process holds
  // it: with `wait`, polls until it is free and calls `onWaiting` once after
  // a second; without, gives Busy at once.
  static TargetLockResult Acquire(const std::filesystem::path& target, bool wait,
                                  const std::function<void()>& onWaiting);

  TargetLock(TargetLock&& other) noexcept;
  TargetLock(const TargetLock&) = delete;
  TargetLock& operator=(const TargetLock&) = delete;
  TargetLock& operator=(TargetLock&&) = delete;
  ~TargetLock();

 private:
  TargetLock(std::intptr_t file, std::filesystem::path path, int cleanupSlot);

  std::intptr_t file_;
  std::filesystem::path path_;
  int cleanupSlot_;
};

struct [[nodiscard]] TargetLockResult {
  std::optional<TargetLock> lock;  // set when Locked
  TargetLock::Outcome outcome = TargetLock::Outcome::Failed;
  std::string reason;  // for the user when Failed: names the folder
};

}  // namespace svcmp
