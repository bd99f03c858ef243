#include "utf/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <random>
#include <system_error>
#ifdef _WIN32
#include <io.h>
#else
#include <sys/mman.h>
#include <sys/uio.h>
#include <unistd.h>
#endif

#include "utf/replace_target.h"
#include "utf/temporary_files.h"
#include "utf/utf_messages.h"

namespace svcmp {
namespace {

using Piece = std::span<const std::uint8_t>;

// The few descriptor calls that differ between the platforms.
#ifdef _WIN32
int CreateExclusive(const std::filesystem::path& path) {
  return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
int OpenForReading(const std::filesystem::path& path) {
  return _wopen(path.c_str(), _O_RDONLY | _O_BINARY);
}
unsigned ChunkOf(std::size_t size) {
  return size > 0x40000000u ? 0x40000000u : static_cast<unsigned>(size);
}
// There is no gathered write: each call writes from the first piece only.
long WriteSome(int fd, const Piece* pieces, std::size_t /*count*/) {
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
#else
int CreateExclusive(const std::filesystem::path& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
int OpenForReading(const std::filesystem::path& path) {
  return open(path.c_str(), O_RDONLY | O_CLOEXEC);
}
long WriteSome(int fd, const Piece* pieces, std::size_t count) {
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
// A buffer for a whole file. A large one asks for huge pages: the kernel then
// clears and maps 2 MB at a time instead of faulting in every 4 KB page,
// which is most of what reading a large file costs.
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
#endif

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
  namespace fs = std::filesystem;
  std::error_code ignored;
  // Replace what a link points to, not the link itself.
  const fs::path target = ResolveReplaceTarget(path);

  // A folder, device, FIFO or socket in the way is refused before anything
  // is created beside it; renaming over it would destroy it.
  const fs::file_status old = fs::symlink_status(target, ignored);
  if (fs::exists(old) && !fs::is_regular_file(old)) {
    return {false, Describe(utf_messages::kCannotReplace, path,
                            std::string(fs::is_directory(old) ? utf_messages::kIsFolder
                                                              : utf_messages::kNotAFile))};
  }

  RemoveStaleTemporaries(target);
  fs::path temporary;
  const int fd = CreateTemporaryBeside(target, temporary);
  if (fd < 0) {
    const int error = errno;
    fs::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    return {false, std::string(utf_messages::kCannotCreateIn) + folder.string() + ": " +
                       SystemReason(error)};
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
    return {false, Describe(utf_messages::kShortWrite, path, SystemReason(error))};
  }

  // Keep the permissions the user gave the file being replaced.
  if (fs::is_regular_file(old)) fs::permissions(temporary, old.permissions(), ignored);

  std::error_code renameError;
  fs::rename(temporary, target, renameError);
  if (renameError) fs::remove(temporary, ignored);
  KeepOnInterrupt(interruptSlot);
  if (renameError) {
    return {false, Describe(utf_messages::kCannotReplace, path, renameError.message())};
  }
  return {true, {}};
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
