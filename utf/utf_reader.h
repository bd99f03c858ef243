#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>

#include "utf/utf_tree.h"

namespace svcmp {

enum class UtfReadStatus {
  Read,        // the tree was loaded
  CannotOpen,  // the file could not be opened or read
  NotUtf,      // too short for a header, wrong signature or wrong version
  Damaged,     // a header field, entry, name or data block points outside the file
};

struct [[nodiscard]] UtfReadResult {
  UtfReadStatus status = UtfReadStatus::Read;
  std::string reason;  // for the user, e.g. "node 12: data runs past the end of the file"
  bool ok() const { return status == UtfReadStatus::Read; }
};

// Called once for each leaf whose stored and unpacked sizes differ, with the
// leaf's name; the leaf is loaded with its stored bytes all the same.
using CompressionWarning = std::function<void(const std::string& nodeName)>;

// Loads a UTF file's node tree into `tree` (after any top-level nodes it
// holds), registering nodes in pre-order of the file's tree. Never reads
// outside data[0, size); on any failure the tree is left as it was.
UtfReadResult ReadUtfBytes(std::span<const std::uint8_t> bytes, UtfTree& tree,
                           const CompressionWarning& onCompression);

// ReadUtfBytes whose leaves are views into `image` instead of copies; they
// keep the image alive, so the tree needs nothing else to stay valid.
UtfReadResult ReadUtfImage(const ByteBlock& image, UtfTree& tree,
                           const CompressionWarning& onCompression);

// ReadUtfImage over the whole content of the file at `path`, read once; the
// tree does not depend on the file afterwards.
UtfReadResult ReadUtfFile(const std::filesystem::path& path, UtfTree& tree,
                          const CompressionWarning& onCompression);

}  // namespace svcmp
