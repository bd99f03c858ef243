#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace svcmp {

// The file that replacing `path` writes: `path` itself, or the file its chain
// of symbolic links ends at, whether that file exists yet or not. A valid and
// a dangling link are treated alike: the new file goes where the link points.
std::filesystem::path ResolveReplaceTarget(const std::filesystem::path& path);

// Why `path` must not be replaced, as a sentence for the user that begins
// with the path, or nothing when it may be (or does not exist yet): a folder,
// a device, FIFO or socket (never opened, so nothing can block), or a file
// the user could not write. Follows links as ResolveReplaceTarget does.
std::optional<std::string> CheckReplaceTarget(const std::filesystem::path& path);

}  // namespace svcmp
