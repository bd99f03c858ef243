#include "utf/temporary_files.h"

#include <array>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>

#include "utf/platform.h"

namespace svcmp {
namespace {

constexpr std::string_view kTemporarySuffix = ".tmp";

// ".NAME." for `target`: hidden, and it says whose the file was.
std::string HiddenPrefix(const std::filesystem::path& target) {
  return "." + target.filename().string() + ".";
}

bool AllOf(std::string_view text, bool (*isDigit)(char)) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (!isDigit(c)) return false;
  }
  return true;
}

bool IsDecimal(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDecimal(c) || (c >= 'a' && c <= 'f'); }

// The process id in "PREFIX" "PID.RANDOM.tmp", or 0 when `name` is not one.
unsigned long TemporaryOwner(std::string_view name, std::string_view prefix) {
  if (name.size() <= prefix.size() + kTemporarySuffix.size() || !name.starts_with(prefix) ||
      !name.ends_with(kTemporarySuffix)) {
    return 0;
  }
  name.remove_prefix(prefix.size());
  name.remove_suffix(kTemporarySuffix.size());
  const std::size_t dot = name.find('.');
  if (dot == std::string_view::npos || dot > 10) return 0;
  const std::string_view pid = name.substr(0, dot);
  if (!AllOf(pid, IsDecimal) || !AllOf(name.substr(dot + 1), IsHex)) return 0;
  unsigned long owner = 0;
  const auto [end, error] = std::from_chars(pid.data(), pid.data() + pid.size(), owner);
  return error == std::errc() && end == pid.data() + pid.size() ? owner : 0;
}

// Paths noted for removal on an interrupt. The handler reads them while the
// program may be changing them, so a slot's text is only read while `ready`.
struct NotedPath {
  std::atomic<bool> taken{false};
  std::atomic<bool> ready{false};
  char path[4096] = {};
};
std::array<NotedPath, 8> notedPaths;

void RemoveNotedPaths() {
  for (NotedPath& noted : notedPaths) {
    if (noted.ready.load()) platform::RemoveFileNow(noted.path);
  }
}

}  // namespace

std::filesystem::path TemporaryPathBeside(const std::filesystem::path& target,
                                          std::uint64_t random) {
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, "%lu.%016llx.tmp", platform::CurrentProcessId(),
                static_cast<unsigned long long>(random));
  std::filesystem::path temporary = target;
  temporary.replace_filename(HiddenPrefix(target) + suffix);
  return temporary;
}

std::filesystem::path LockPathBeside(const std::filesystem::path& target) {
  std::filesystem::path lock = target;
  lock.replace_filename(HiddenPrefix(target) + "lock");
  return lock;
}

void RemoveStaleTemporaries(const std::filesystem::path& target) {
  const std::string prefix = HiddenPrefix(target);
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::error_code error;
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
       entry.increment(error)) {
    const unsigned long owner = TemporaryOwner(entry->path().filename().string(), prefix);
    if (owner == 0 || platform::ProcessIsRunning(owner)) continue;
    std::error_code ignored;
    std::filesystem::remove(entry->path(), ignored);
  }
}

int RemoveOnInterrupt(const std::filesystem::path& path) {
  const std::string text = path.string();
  for (std::size_t slot = 0; slot < notedPaths.size(); ++slot) {
    NotedPath& noted = notedPaths[slot];
    if (text.size() >= sizeof noted.path || noted.taken.exchange(true)) continue;
    std::memcpy(noted.path, text.c_str(), text.size() + 1);
    noted.ready.store(true);
    return static_cast<int>(slot);
  }
  return -1;
}

void KeepOnInterrupt(int slot) {
  if (slot < 0 || static_cast<std::size_t>(slot) >= notedPaths.size()) return;
  NotedPath& noted = notedPaths[static_cast<std::size_t>(slot)];
  noted.ready.store(false);
  noted.taken.store(false);
}

void RemoveNotedFilesOnInterrupt() { platform::OnInterrupt(RemoveNotedPaths); }

}  // namespace svcmp
