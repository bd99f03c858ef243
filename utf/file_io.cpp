#include "utf/file_io.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <random>
#include <system_error>

#include "utf/platform.h"
#include "utf/replace_target.h"
#include "utf/temporary_files.h"
#include "utf/utf_messages.h"

namespace svcmp {
namespace {

using Piece = std::span<const std::uint8_t>;
using platform::CloseFile;
using platform::CreateExclusive;
using platform::FileBuffer;
using platform::OpenForReading;
using platform::ReadSome;
using platform::SizeOf;
using platform::SyncToDisk;
using platform::WriteSome;

SyncCall syncCall = SyncToDisk;

// A size beyond this is not believed for the first buffer (a 32-bit process
// could not hold it); the read then grows the buffer as it goes.
constexpr std::uint64_t kLargestFirstRead = std::numeric_limits<std::size_t>::max() / 4;

std::string Describe(std::string_view what, const std::filesystem::path& path,
                     const std::string& why) {
  return std::string(what) + " " + path.string() + ": " + why;
}

std::string SystemReason(int error) { return std::generic_category().message(error); }

// Creates a file of a fresh name beside `target`; gives its descriptor, or -1
// with errno set.
int CreateTemporaryBeside(const std::filesystem::path& target, std::filesystem::path& created) {
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 64; ++attempt) {
    std::filesystem::path candidate = TemporaryPathBeside(target, random());
    const int fd = CreateExclusive(candidate);
    if (fd >= 0 || errno != EEXIST) {
      created = std::move(candidate);
      return fd;
    }
  }
  return -1;
}

// Writes all of the pieces in order, retrying after interruptions and
// partial writes.
bool WriteAll(int fd, std::span<const Piece> pieces, int& error) {
  std::vector<Piece> left(pieces.begin(), pieces.end());
  std::size_t at = 0;
  for (;;) {
    while (at < left.size() && left[at].empty()) ++at;
    if (at == left.size()) return true;
    const long written = WriteSome(fd, left.data() + at, left.size() - at);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      error = written < 0 ? errno : ENOSPC;
      return false;
    }
    // A write never gives more than the pieces it was handed hold.
    for (auto done = static_cast<std::size_t>(written); done > 0;) {
      const std::size_t taken = std::min(done, left[at].size());
      left[at] = left[at].subspan(taken);
      done -= taken;
      if (left[at].empty()) ++at;
    }
  }
}

}  // namespace

SyncCall SetSyncCall(SyncCall call) {
  const SyncCall previous = syncCall;
  syncCall = call != nullptr ? call : SyncToDisk;
  return previous;
}

FileWriteResult ReplaceFileContents(const std::filesystem::path& path,
                                    std::span<const std::uint8_t> bytes) {
  return ReplaceFileContentsFromPieces(path, std::span<const Piece>(&bytes, 1));
}

FileWriteResult ReplaceFileContentsFromPieces(const std::filesystem::path& path,
                                              std::span<const Piece> pieces) {
  StagedFile staged = StageFileContents(path, pieces);
  if (staged.temporary.empty()) return {false, std::move(staged.reason)};
  return CommitStagedFile(path, staged);
}

StagedFile StageFileContents(const std::filesystem::path& path, std::span<const Piece> pieces) {
  namespace fs = std::filesystem;
  std::error_code ignored;
  // Replace what a link points to, not the link itself.
  const fs::path target = ResolveReplaceTarget(path);

  // A folder, device, FIFO or socket in the way is refused before anything
  // is created beside it; renaming over it would destroy it.
  const fs::file_status old = fs::symlink_status(target, ignored);
  StagedFile staged;
  if (fs::exists(old) && !fs::is_regular_file(old)) {
    staged.reason = Describe(
        utf_messages::kCannotReplace, path,
        std::string(fs::is_directory(old) ? utf_messages::kIsFolder : utf_messages::kNotAFile));
    return staged;
  }

  RemoveStaleTemporaries(target);
  fs::path temporary;
  const int fd = CreateTemporaryBeside(target, temporary);
  if (fd < 0) {
    const int error = errno;
    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    staged.reason =
        std::string(utf_messages::kCannotCreateIn) + folder.string() + ": " + SystemReason(error);
    return staged;
  }
  const int interruptSlot = RemoveOnInterrupt(temporary);
  int error = 0;
  bool ok = WriteAll(fd, pieces, error);
  if (ok && syncCall(fd) != 0) {
    error = errno;
    ok = false;
  }
  if (CloseFile(fd) != 0 && ok) {
    error = errno;
    ok = false;
  }
  if (!ok) {
    fs::remove(temporary, ignored);
    KeepOnInterrupt(interruptSlot);
    staged.reason = Describe(utf_messages::kShortWrite, path, SystemReason(error));
    return staged;
  }

  // Keep the permissions the user gave the file being replaced.
  if (fs::is_regular_file(old)) fs::permissions(temporary, old.permissions(), ignored);
  staged.temporary = std::move(temporary);
  staged.interruptSlot = interruptSlot;
  return staged;
}

FileWriteResult CommitStagedFile(const std::filesystem::path& path, StagedFile& staged) {
  std::error_code renameError;
  std::filesystem::rename(staged.temporary, ResolveReplaceTarget(path), renameError);
  if (renameError) {
    DropStagedFile(staged);
    return {false, Describe(utf_messages::kCannotReplace, path, renameError.message())};
  }
  KeepOnInterrupt(staged.interruptSlot);
  staged = {};
  return {true, {}};
}

void DropStagedFile(StagedFile& staged) {
  if (staged.temporary.empty()) return;
  std::error_code ignored;
  std::filesystem::remove(staged.temporary, ignored);
  KeepOnInterrupt(staged.interruptSlot);
  staged = {};
}

FileReadResult ReadWholeFile(const std::filesystem::path& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    return {std::nullopt,
            Describe(utf_messages::kCannotOpen, path, std::string(utf_messages::kIsFolder))};
  }
  const int fd = OpenForReading(path);
  if (fd < 0) {
    return {std::nullopt, Describe(utf_messages::kCannotOpen, path, SystemReason(errno))};
  }
  // One byte beyond the size the file has now, so that one read usually takes
  // it all; a file that grows meanwhile is read to its end all the same.
  std::size_t capacity =
      static_cast<std::size_t>(std::min<std::uint64_t>(SizeOf(fd), kLargestFirstRead)) + 1;
  std::shared_ptr<std::uint8_t[]> buffer = FileBuffer(capacity);
  std::size_t size = 0;
  int readError = 0;
  for (;;) {
    if (size == capacity) {
      capacity *= 2;
      std::shared_ptr<std::uint8_t[]> larger = FileBuffer(capacity);
      std::memcpy(larger.get(), buffer.get(), size);
      buffer = std::move(larger);
    }
    const long got = ReadSome(fd, buffer.get() + size, capacity - size);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) readError = errno;
    if (got <= 0) break;
    size += static_cast<std::size_t>(got);
  }
  CloseFile(fd);
  if (readError != 0) {
    return {std::nullopt, Describe(utf_messages::kCannotRead, path, SystemReason(readError))};
  }
  return {ByteBlock(std::move(buffer), size), {}};
}

}  // namespace svcmp
