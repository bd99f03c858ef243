#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <new>

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

int CreateExclusive(const std::filesystem::path& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

int OpenForReading(const std::filesystem::path& path) {
  return open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

long WriteSome(int fd, const std::span<const std::uint8_t>* pieces, std::size_t count) {
  iovec batch[64];
  const std::size_t used = std::min(count, std::size(batch));
  for (std::size_t i = 0; i < used; ++i) {
    batch[i] = {const_cast<std::uint8_t*>(pieces[i].data()), pieces[i].size()};
  }
  return static_cast<long>(writev(fd, batch, static_cast<int>(used)));
}

long ReadSome(int fd, std::uint8_t* into, std::size_t size) {
  return static_cast<long>(read(fd, into, size));
}

// A large buffer asks for huge pages: the kernel then clears and maps 2 MB
// at a time instead of faulting in every 4 KB page, which is most of what
// reading a large file costs.
std::shared_ptr<std::uint8_t[]> FileBuffer(std::size_t size) {
  constexpr std::size_t kHugePage = std::size_t{2} << 20;
  if (size < kHugePage) return std::make_unique_for_overwrite<std::uint8_t[]>(size);
  const std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
  void* memory = std::aligned_alloc(kHugePage, rounded);
  if (memory == nullptr) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  madvise(memory, rounded, MADV_HUGEPAGE);  // only advice: without it the buffer works the same
#endif
  return {static_cast<std::uint8_t*>(memory), [](std::uint8_t* bytes) { std::free(bytes); }};
}

std::uint64_t SizeOf(int fd) {
  struct stat status {};
  return fstat(fd, &status) == 0 && status.st_size > 0 ? static_cast<std::uint64_t>(status.st_size)
                                                       : 0;
}

int SyncToDisk(int fd) { return fsync(fd); }

int CloseFile(int fd) { return close(fd); }

bool UserMayWrite(const std::filesystem::path& path) { return access(path.c_str(), W_OK) == 0; }

}  // namespace svcmp::platform
