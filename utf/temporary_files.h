#pragma once

#include <cstdint>
#include <filesystem>

// Files that exist only while a target is being replaced: the temporary copy
// ".NAME.PID.RANDOM.tmp" and the lock file ".NAME.lock" beside the target.
// Named after the target and the process, so that a later run can tell a
// left-over copy (its process is gone) and remove it.
namespace svcmp {

// A temporary name beside `target` for this process, told apart by `random`.
std::filesystem::path TemporaryPathBeside(const std::filesystem::path& target,
                                          std::uint64_t random);

// The lock file's name beside `target`.
std::filesystem::path LockPathBeside(const std::filesystem::path& target);

// Removes the temporary copies of `target` whose process no longer runs;
// leaves everything else, and says nothing when a removal fails.
void RemoveStaleTemporaries(const std::filesystem::path& target);

// Notes `path` for removal if the process is interrupted; gives the note's
// slot, or -1 when all slots are taken (a later run then removes the file).
int RemoveOnInterrupt(const std::filesystem::path& path);
// Forgets the note of `slot` (-1 is ignored).
void KeepOnInterrupt(int slot);

// For a program's main: an interrupt (Ctrl-C), a termination request or a
// closed terminal removes the noted files, then ends the process as it would
// have ended. Not available on Windows, where the next run removes them.
void RemoveNotedFilesOnInterrupt();

}  // namespace svcmp
