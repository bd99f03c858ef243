#include "job/collision_update.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "inspect/collision_decoder.h"
#include "utf/file_io.h"

namespace svcmp {
namespace {

constexpr char kCannotKeep[] = "--update cannot keep the other parts of the collision file: ";

}  // namespace

std::string BrokenCollisionRule(const CollisionError& error) {
  return "breaks the rule " + error.rule + " at byte " + std::to_string(error.offset) + ": " +
         error.message;
}

StepResult<std::vector<std::uint8_t>> UpdateCollisionFile(
    const std::string& path, std::span<const std::uint8_t> made,
    std::span<const std::uint32_t> exportedIds) {
  using Result = StepResult<std::vector<std::uint8_t>>;
  std::vector<std::uint8_t> bytes(made.begin(), made.end());
  std::error_code ignored;
  if (!std::filesystem::exists(path, ignored)) return Result::Made(std::move(bytes));
  const FileReadResult read = ReadWholeFile(path);
  if (!read.bytes) return Result::Failed(kCannotKeep + read.reason);
  const std::span<const std::uint8_t> existing(read.bytes->data(), read.bytes->size());
  const CollisionDecoding decoded = DecodeCollisionFile(existing);
  if (!decoded.file)
    return Result::Failed(kCannotKeep + ("it " + BrokenCollisionRule(decoded.error)));
  const std::vector<CollisionPart>& parts = decoded.file->parts;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (std::find(exportedIds.begin(), exportedIds.end(), parts[i].id) != exportedIds.end()) {
      continue;
    }
    if (decoded.file->olderLayout) {
      return Result::Failed(std::string(kCannotKeep) +
                            "it is of the older layout, whose parts are not written any more");
    }
    // Parts lie back to back, and every offset inside one counts from within it.
    const std::size_t end = i + 1 < parts.size() ? parts[i + 1].offset : existing.size();
    bytes.insert(bytes.end(), existing.begin() + static_cast<std::ptrdiff_t>(parts[i].offset),
                 existing.begin() + static_cast<std::ptrdiff_t>(end));
  }
  const CollisionDecoding merged = DecodeCollisionFile(bytes);
  if (!merged.file) {
    return Result::Failed("the updated collision file " + BrokenCollisionRule(merged.error));
  }
  return Result::Made(std::move(bytes));
}

}  // namespace svcmp
