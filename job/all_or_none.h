#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "job/step_result.h"

// The files of one export put in place together: each staged beside its
// target and read back first, then renamed over the targets one after the
// other, with the old files kept aside until the last rename is done.
namespace svcmp {

// One file of an export, made in memory.
struct ExportFile {
  std::filesystem::path path;  // as the user named it; links are written through
  std::vector<std::uint8_t> bytes;
  // Judges the bytes as read back from the staged copy: empty when sound,
  // else why not (a sentence that follows the path).
  std::function<std::string(std::span<const std::uint8_t>)> check;
};

// The steps at which a test may make the writing fail.
enum class WriteStep { Stage, ReadBack, Rename };
// Whether `step` fails for the file at `path`; a test's stand-in for a disk
// that fails.
using WriteFault = std::function<bool(WriteStep step, const std::filesystem::path& path)>;
// Sets the fault (none: the real disk only); gives the one it replaces.
WriteFault SetWriteFault(WriteFault fault);

// Puts every file in place, or none: every target is left byte for byte as
// it was (or absent) when any file cannot be staged, read back, judged sound
// or renamed. The caller holds every target's lock. Files are renamed in
// the order given; the error names the file at fault.
StepResult<Done> WriteAllOrNone(std::span<const ExportFile> files);

}  // namespace svcmp
