#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "utf/byte_block.h"

namespace svcmp {

struct [[nodiscard]] FileWriteResult {
  bool written = false;
  std::string reason;  // for the user, when not written: "cannot create ...", "short write ..."
};

// Writes `bytes` to a temporary file in the target's folder and renames it
// over `path`; on failure the temporary file is removed and the target is
// untouched.
FileWriteResult ReplaceFileContents(const std::filesystem::path& path,
                                    std::span<const std::uint8_t> bytes);

// ReplaceFileContents with the pieces written one after the other, straight
// from where they are (gathered writes), so the file is never assembled in
// memory.
FileWriteResult ReplaceFileContentsFromPieces(
    const std::filesystem::path& path, std::span<const std::span<const std::uint8_t>> pieces);

// A file written in full beside its target, synced, with the target's
// permissions, waiting to be renamed over it; `temporary` is empty (and
// `reason` says why) when it could not be written. An interrupt removes it.
struct [[nodiscard]] StagedFile {
  std::filesystem::path temporary;
  int interruptSlot = -1;
  std::string reason;
};

// The first half of ReplaceFileContentsFromPieces: the same refusals and
// messages; the target is untouched.
StagedFile StageFileContents(const std::filesystem::path& path,
                             std::span<const std::span<const std::uint8_t>> pieces);

// The second half: renames the staged file over `path` (through its links);
// on failure removes the staged file and leaves the target as it was.
FileWriteResult CommitStagedFile(const std::filesystem::path& path, StagedFile& staged);

// Removes a staged file that will not be put in place (none: nothing).
void DropStagedFile(StagedFile& staged);

// The call that flushes the temporary file to disk before the rename: gives 0,
// or -1 with errno set. Tests swap it to play a disk that fails; null puts the
// system's call back. Gives the call it replaces.
using SyncCall = int (*)(int fd);
SyncCall SetSyncCall(SyncCall call);

struct [[nodiscard]] FileReadResult {
  std::optional<ByteBlock> bytes;  // nullopt when it could not be read
  std::string reason;
};

// The whole content of a file, read into one buffer of the file's size; the
// block owns it, so it stays valid whatever happens to the file later.
FileReadResult ReadWholeFile(const std::filesystem::path& path);

}  // namespace svcmp
