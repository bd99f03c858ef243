#include "utf/replace_target.h"

#include <system_error>

#include "utf/platform.h"

namespace svcmp {
namespace {

// As many links as the kernel follows before it gives up.
constexpr int kMaxLinkHops = 40;

}  // namespace

std::filesystem::path ResolveReplaceTarget(const std::filesystem::path& path) {
  std::filesystem::path current = path;
  std::error_code error;
  for (int hop = 0; hop < kMaxLinkHops && std::filesystem::is_symlink(current, error); ++hop) {
    const std::filesystem::path next = std::filesystem::read_symlink(current, error);
    if (error) break;
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  return current;
}

std::optional<std::string> CheckReplaceTarget(const std::filesystem::path& path) {
  namespace fs = std::filesystem;
  const fs::path target = ResolveReplaceTarget(path);
  std::error_code error;
  const fs::file_status status = fs::symlink_status(target, error);
  const std::string name = path.string();
  if (status.type() == fs::file_type::not_found) return std::nullopt;
  if (error) return name + ": " + error.message();
  switch (status.type()) {
    case fs::file_type::regular:
      break;
    case fs::file_type::directory:
      return name + " is a folder";
    case fs::file_type::symlink:
      return name + " is a chain of more than 40 symbolic links";
    case fs::file_type::fifo:
      return name + " is a FIFO (named pipe), not a file; only regular files are written";
    case fs::file_type::socket:
      return name + " is a socket, not a file; only regular files are written";
    default:
      return name + " is a device, not a file; only regular files are written";
  }
  if (!platform::UserMayWrite(target)) return name + " is write-protected";
  return std::nullopt;
}

}  // namespace svcmp
