#include "utf/target_lock.h"

#include <chrono>
#include <system_error>
#include <thread>
#include <utility>

#include "utf/platform.h"
#include "utf/temporary_files.h"
#include "utf/utf_messages.h"

namespace svcmp {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPollInterval = std::chrono::milliseconds(10);
constexpr auto kTellAfter = std::chrono::seconds(1);

std::string Reason(const std::filesystem::path& lockPath, int error) {
  std::filesystem::path folder = lockPath.parent_path();
  if (folder.empty()) folder = ".";
  return std::string(utf_messages::kCannotCreateIn) + folder.string() + ": " +
         std::system_category().message(error);
}

}  // namespace

TargetLockResult TargetLock::Acquire(const std::filesystem::path& target, bool wait,
                                     const std::function<void()>& onWaiting) {
  const std::filesystem::path lockPath = LockPathBeside(target);
  const Clock::time_point start = Clock::now();
  bool told = false;
  const auto waitOnce = [&] {
    if (!told && onWaiting && Clock::now() - start >= kTellAfter) {
      told = true;
      onWaiting();
    }
    std::this_thread::sleep_for(kPollInterval);
  };

  for (;;) {
    int error = 0;
    const platform::LockFileHandle file = platform::OpenLockFile(lockPath, error);
    if (file == platform::kNoLockFile)
      return {std::nullopt, Outcome::Failed, Reason(lockPath, error)};
    platform::LockAttempt attempt;
    while ((attempt = platform::TryLock(file, error)) == platform::LockAttempt::Busy && wait) {
      waitOnce();
    }
    if (attempt != platform::LockAttempt::Locked) {
      platform::CloseLockFile(file, lockPath, false);
      if (attempt == platform::LockAttempt::Busy) return {std::nullopt, Outcome::Busy, {}};
      return {std::nullopt, Outcome::Failed, Reason(lockPath, error)};
    }
    // The holder we waited for removed this file as it let go; a newer
    // holder may already lock the one that now has the name.
    if (!platform::IsCurrentLockFile(file, lockPath)) {
      platform::CloseLockFile(file, lockPath, false);
      continue;
    }
    return {TargetLock(file, lockPath, RemoveOnInterrupt(lockPath)), Outcome::Locked, {}};
  }
}

TargetLock::TargetLock(std::intptr_t file, std::filesystem::path path, int cleanupSlot)
    : file_(file), path_(std::move(path)), cleanupSlot_(cleanupSlot) {}

TargetLock::TargetLock(TargetLock&& other) noexcept
    : file_(std::exchange(other.file_, platform::kNoLockFile)),
      path_(std::move(other.path_)),
      cleanupSlot_(std::exchange(other.cleanupSlot_, -1)) {}

TargetLock::~TargetLock() {
  if (file_ == platform::kNoLockFile) return;
  // Forgotten first: once the file is closed, its name may be another run's lock.
  KeepOnInterrupt(cleanupSlot_);
  platform::CloseLockFile(file_, path_, true);
}

}  // namespace svcmp
