#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>

#include "utf/platform.h"

namespace svcmp::platform {
namespace {

void (*interruptCleanUp)() = nullptr;

extern "C" void HandleInterrupt(int signalNumber) {
  if (interruptCleanUp != nullptr) interruptCleanUp();
  std::signal(signalNumber, SIG_DFL);
  std::raise(signalNumber);
}

}  // namespace

LockFileHandle OpenLockFile(const std::filesystem::path& path, int& error) {
  // O_NOFOLLOW: a link planted under the lock file's name is not followed.
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
  if (fd < 0) error = errno;
  return fd < 0 ? kNoLockFile : fd;
}

LockAttempt TryLock(LockFileHandle file, int& error) {
  while (flock(static_cast<int>(file), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno == EWOULDBLOCK) return LockAttempt::Busy;
    error = errno;
    return LockAttempt::Failed;
  }
  return LockAttempt::Locked;
}

bool IsCurrentLockFile(LockFileHandle file, const std::filesystem::path& path) {
  struct stat locked {};
  struct stat named {};
  return fstat(static_cast<int>(file), &locked) == 0 && lstat(path.c_str(), &named) == 0 &&
         locked.st_dev == named.st_dev && locked.st_ino == named.st_ino;
}

void CloseLockFile(LockFileHandle file, const std::filesystem::path& path, bool remove) {
  if (remove) unlink(path.c_str());
  close(static_cast<int>(file));
}

unsigned long CurrentProcessId() { return static_cast<unsigned long>(getpid()); }

bool ProcessIsRunning(unsigned long processId) {
  const auto pid = static_cast<pid_t>(processId);
  if (pid <= 0 || static_cast<unsigned long>(pid) != processId) return false;
  // EPERM: it runs, under another user.
  return kill(pid, 0) == 0 || errno == EPERM;
}

void RemoveFileNow(const char* path) { unlink(path); }

void OnInterrupt(void (*cleanUp)()) {
  interruptCleanUp = cleanUp;
  struct sigaction action {};
  action.sa_handler = HandleInterrupt;
  sigemptyset(&action.sa_mask);
  for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
    sigaction(signalNumber, &action, nullptr);
  }
}

}  // namespace svcmp::platform
