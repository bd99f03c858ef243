#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "utf/utf_tree.h"

namespace svcmp {

// The UTF file image of `tree`: header, node table in pre-order from the first
// top-level node, name table in registry order, packed data area.
std::vector<std::uint8_t> WriteUtfBytes(const UtfTree& tree);

struct [[nodiscard]] UtfImageResult {
  std::optional<std::vector<std::uint8_t>> bytes;  // nullopt when the tree cannot be stored
  std::string reason;                              // for the user, when it cannot
};

// WriteUtfBytes for a tree that fits the format's 32-bit offsets; refuses
// one that does not rather than give an image whose offsets wrapped.
UtfImageResult MakeUtfImage(const UtfTree& tree);

struct [[nodiscard]] UtfWriteResult {
  bool written = false;
  std::string reason;  // for the user, when not written
};

// Writes the tree to `path` safely: to a temporary file beside it, then
// renamed over it, so a failure never destroys the file that was there. The
// data blocks go to the file straight from the tree, without a whole image.
UtfWriteResult WriteUtfFile(const UtfTree& tree, const std::filesystem::path& path);

}  // namespace svcmp
