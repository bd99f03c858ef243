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

}  // namespace svcmp::platform
