#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

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

// The file seam's descriptor calls; each failure gives -1 with errno set.
// Creates a new file, failing when one of the name exists.
int CreateExclusive(const std::filesystem::path& path);
int OpenForReading(const std::filesystem::path& path);
// Writes from the `count` pieces in order (Windows: from the first only, as
// it has no gathered write); the bytes written.
long WriteSome(int fd, const std::span<const std::uint8_t>* pieces, std::size_t count);
long ReadSome(int fd, std::uint8_t* into, std::size_t size);
// A buffer for a whole file of `size` bytes.
std::shared_ptr<std::uint8_t[]> FileBuffer(std::size_t size);
// The open file's size; 0 when it cannot be told.
std::uint64_t SizeOf(int fd);
int SyncToDisk(int fd);
int CloseFile(int fd);

// Whether this user may write the file at `path`.
bool UserMayWrite(const std::filesystem::path& path);

}  // namespace svcmp::platform
