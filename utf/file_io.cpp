#include "utf/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "utf/replace_target.h"
#include "utf/temporary_files.h"
#include "utf/utf_messages.h"

namespace svcmp {
namespace {

// The few descriptor calls that differ between the platforms.
#ifdef _WIN32
int CreateExclusive(const std::filesystem::path& path) {
  return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
long WriteSome(int fd, const std::uint8_t* data, std::size_t size) {
  const unsigned chunk = size > 0x40000000u ? 0x40000000u : static_cast<unsigned>(size);
  return _write(fd, data, chunk);
}
int SyncToDisk(int fd) { return _commit(fd); }
int CloseFile(int fd) { return _close(fd); }
#else
int CreateExclusive(const std::filesystem::path& path) {
  return open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
long WriteSome(int fd, const std::uint8_t* data, std::size_t size) {
  return static_cast<long>(write(fd, data, size));
}
int SyncToDisk(int fd) { return fsync(fd); }
int CloseFile(int fd) { return close(fd); }
#endif

SyncCall syncCall = SyncToDisk;

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

// Writes all of `bytes`, retrying after interruptions and partial writes.
bool WriteAll(int fd, std::span<const std::uint8_t> bytes, int& error) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const long written = WriteSome(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      error = written < 0 ? errno : ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

SyncCall SetSyncCall(SyncCall call) {
  const SyncCall previous = syncCall;
  syncCall = call != nullptr ? call : SyncToDisk;
  return previous;
}

FileWriteResult ReplaceFileContents(const std::filesystem::path& path,
                                    std::span<const std::uint8_t> bytes) {
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
  bool ok = WriteAll(fd, bytes, error);
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
#ifdef _WIN32
  std::FILE* file = _wfopen(path.c_str(), L"rb");
#else
  std::FILE* file = std::fopen(path.c_str(), "rb");
#endif
  if (file == nullptr) {
    return {std::nullopt, Describe(utf_messages::kCannotOpen, path, SystemReason(errno))};
  }
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[65536];
  std::size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  const bool failed = std::ferror(file) != 0;
  const int readError = errno;
  std::fclose(file);
  if (failed) {
    return {std::nullopt, Describe(utf_messages::kCannotRead, path, SystemReason(readError))};
  }
  return {std::move(bytes), {}};
}

}  // namespace svcmp
