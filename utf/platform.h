#pragma once

#include <cstdint>
#include <filesystem>

// The operating-system calls behind the target lock and the temporary files,
// one implementation file per platform. Internal to utf/.
namespace svcmp::platform {

// An open lock file; kNoLockFile when there is none.
using LockFileHandle = std::intptr_t;
inline constexpr LockFileHandle kNoLockFile = -1;

enum class LockAttempt { Locked, Busy, Failed };

// Opens (creating when missing) the lock file at `path`, never through a
// symbolic link; kNoLockFile with errno-style `error` set when it cannot.
LockFileHandle OpenLockFile(const std::filesystem::path& path, int& error);

// One attempt at the exclusive lock, without waiting.
LockAttempt TryLock(LockFileHandle file, int& error);

// Whether the locked file is still the one `path` names: a holder removes
// the file before it lets go, so a waiter may lock a file that is gone.
bool IsCurrentLockFile(LockFileHandle file, const std::filesystem::path& path);

// Removes the lock file (when `remove`) and closes it, which lets go of the lock.
void CloseLockFile(LockFileHandle file, const std::filesystem::path& path, bool remove);

unsigned long CurrentProcessId();
// False only when no process of that id runs on this machine.
bool ProcessIsRunning(unsigned long processId);

// Removes the file at `path`; safe to call from a signal handler.
void RemoveFileNow(const char* path);

// Calls `cleanUp` (which must be safe in a signal handler) when an interrupt
// or termination request arrives, and then ends the process as the request
// would have. Does nothing where there are no such signals.
void OnInterrupt(void (*cleanUp)());

}  // namespace svcmp::platform
