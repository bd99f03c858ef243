#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cstdio>

#include "utf/platform.h"

// The one file of utf/ that includes <windows.h>: the plug-in and cmptool.exe
// lock their targets with LockFileEx.
namespace svcmp::platform {
namespace {

HANDLE AsHandle(LockFileHandle file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

LockFileHandle OpenLockFile(const std::filesystem::path& path, int& error) {
  // A lock file whose deletion is pending refuses every opening until its
  // last handle closes, which takes a moment at most.
  constexpr int kPendingDeletionRetries = 200;
  for (int attempt = 0;; ++attempt) {
    // Deleted when the last handle closes, so the holder's close both lets
    // go and removes it; the waiters' handles keep it until they have looked.
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) return reinterpret_cast<LockFileHandle>(file);
    const DWORD reason = GetLastError();
    const bool pending = reason == ERROR_ACCESS_DENIED &&
                         GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (!pending || attempt == kPendingDeletionRetries) {
      error = static_cast<int>(reason);
      return kNoLockFile;
    }
    Sleep(10);
  }
}

LockAttempt TryLock(LockFileHandle file, int& error) {
  OVERLAPPED whole{};
  if (LockFileEx(AsHandle(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                 &whole)) {
    return LockAttempt::Locked;
  }
  const DWORD reason = GetLastError();
  if (reason == ERROR_LOCK_VIOLATION || reason == ERROR_IO_PENDING) return LockAttempt::Busy;
  error = static_cast<int>(reason);
  return LockAttempt::Failed;
}

bool IsCurrentLockFile(LockFileHandle file, const std::filesystem::path& /*path*/) {
  FILE_STANDARD_INFO info{};
  return GetFileInformationByHandleEx(AsHandle(file), FileStandardInfo, &info, sizeof info) &&
         !info.DeletePending;
}

void CloseLockFile(LockFileHandle file, const std::filesystem::path& /*path*/, bool /*remove*/) {
  CloseHandle(AsHandle(file));
}

unsigned long CurrentProcessId() { return GetCurrentProcessId(); }

bool ProcessIsRunning(unsigned long processId) {
  const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

void RemoveFileNow(const char* path) { std::remove(path); }

void OnInterrupt(void (* /*cleanUp*/)()) {}

int CreateExclusive(const std::filesystem::path& path) {
  return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}

int OpenForReading(const std::filesystem::path& path) {
  return _wopen(path.c_str(), _O_RDONLY | _O_BINARY);
}

namespace {

unsigned ChunkOf(std::size_t size) {
  return size > 0x40000000u ? 0x40000000u : static_cast<unsigned>(size);
}

}  // namespace

// There is no gathered write: each call writes from the first piece only.
long WriteSome(int fd, const std::span<const std::uint8_t>* pieces, std::size_t /*count*/) {
  return _write(fd, pieces->data(), ChunkOf(pieces->size()));
}

long ReadSome(int fd, std::uint8_t* into, std::size_t size) {
  return _read(fd, into, ChunkOf(size));
}

std::shared_ptr<std::uint8_t[]> FileBuffer(std::size_t size) {
  return std::make_unique_for_overwrite<std::uint8_t[]>(size);
}

std::uint64_t SizeOf(int fd) {
  struct _stat64 status {};
  return _fstat64(fd, &status) == 0 && status.st_size > 0 ? status.st_size : 0;
}

int SyncToDisk(int fd) { return _commit(fd); }

int CloseFile(int fd) { return _close(fd); }

bool UserMayWrite(const std::filesystem::path& path) { return _waccess(path.c_str(), 2) == 0; }

}  // namespace svcmp::platform
