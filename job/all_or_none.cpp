#include "job/all_or_none.h"

#include <algorithm>
#include <random>
#include <system_error>
#include <utility>

#include "utf/file_io.h"
#include "utf/replace_target.h"
#include "utf/temporary_files.h"

namespace svcmp {
namespace {

namespace fs = std::filesystem;

WriteFault writeFault;

bool Faulty(WriteStep step, const fs::path& path) { return writeFault && writeFault(step, path); }

// A file on its way into place: its staged copy, and the old file kept aside
// while the others are renamed.
struct Placing {
  StagedFile staged;
  fs::path target;
  fs::path kept;  // empty: there was no old file (or it is not kept yet)
};

void DropAll(std::vector<Placing>& placing) {
  for (Placing& file : placing) DropStagedFile(file.staged);
}

// "The file "PATH" WHAT. No file of this export was changed." The path is
// the one the user gave.
std::string Sentence(const fs::path& path, const std::string& what) {
  return "The file \"" + path.string() + "\" " + what + ". No file of this export was changed.";
}

StepResult<Done> StageOne(const ExportFile& file, Placing& placing) {
  const std::span<const std::uint8_t> whole(file.bytes);
  placing.target = ResolveReplaceTarget(file.path);
  if (Faulty(WriteStep::Stage, file.path)) {
    return StepResult<Done>::Failed(Sentence(file.path, "could not be written: the disk refused"));
  }
  placing.staged = StageFileContents(file.path, std::span(&whole, 1));
  if (placing.staged.temporary.empty()) {
    return StepResult<Done>::Failed(
        Sentence(file.path, "could not be written: " + placing.staged.reason));
  }
  // What lies on the disk is judged, not what we meant to write.
  const FileReadResult read = ReadWholeFile(placing.staged.temporary);
  if (!read.bytes || Faulty(WriteStep::ReadBack, file.path)) {
    return StepResult<Done>::Failed(Sentence(
        file.path, "could not be read back: " + (read.bytes ? "the disk refused" : read.reason)));
  }
  if (!std::equal(read.bytes->begin(), read.bytes->end(), whole.begin(), whole.end())) {
    return StepResult<Done>::Failed(Sentence(file.path, "read back differs from what was written"));
  }
  if (file.check) {
    const std::string problem = file.check({read.bytes->data(), read.bytes->size()});
    if (!problem.empty()) return StepResult<Done>::Failed(Sentence(file.path, problem));
  }
  return StepResult<Done>::Made({});
}

// Keeps the old target under a temporary name while the new one goes in:
// a second name for the same file where the disk allows one, else a copy.
bool KeepOld(Placing& file) {
  std::error_code error;
  if (!fs::exists(fs::symlink_status(file.target, error))) return true;
  std::random_device seed;
  std::mt19937_64 random(seed());
  const fs::path kept = TemporaryPathBeside(file.target, random());
  fs::create_hard_link(file.target, kept, error);
  if (error) {
    error.clear();
    fs::copy_file(file.target, kept, error);
    if (error) return false;
  }
  file.kept = kept;
  return true;
}

// Puts the old files of the targets renamed so far back in place; says
// where an old file stays when it cannot be put back.
std::string UndoRenames(std::span<Placing> renamed) {
  std::string trouble;
  std::error_code error;
  for (Placing& file : renamed) {
    if (file.kept.empty()) {
      fs::remove(file.target, error);
    } else {
      fs::rename(file.kept, file.target, error);
    }
    if (error) {
      trouble += "; " + file.target.string() + " could not be put back (" + error.message() +
                 (file.kept.empty() ? ")" : "), its old content is in " + file.kept.string());
    }
  }
  return trouble;
}

void ForgetKept(std::span<Placing> placing) {
  std::error_code ignored;
  for (Placing& file : placing) {
    if (!file.kept.empty()) fs::remove(file.kept, ignored);
  }
}

}  // namespace

WriteFault SetWriteFault(WriteFault fault) {
  WriteFault previous = std::move(writeFault);
  writeFault = std::move(fault);
  return previous;
}

StepResult<Done> WriteAllOrNone(std::span<const ExportFile> files) {
  std::vector<Placing> placing(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    StepResult<Done> staged = StageOne(files[i], placing[i]);
    if (!staged.ok()) {
      DropAll(placing);
      return staged;
    }
  }
  // Nothing has touched a target so far. From here the window in which a
  // crash leaves some targets new and others old is the renames alone.
  for (std::size_t i = 0; i < files.size(); ++i) {
    Placing& file = placing[i];
    const bool kept = KeepOld(file);
    FileWriteResult renamed{false, "the disk refused"};
    if (kept && !Faulty(WriteStep::Rename, files[i].path)) {
      renamed = CommitStagedFile(files[i].path, file.staged);
    }
    if (!renamed.written) {
      const std::string what = kept ? "could not be put in place: " + renamed.reason
                                    : "could not be kept aside while the new one went in";
      const std::string trouble = UndoRenames(std::span(placing).first(i));
      ForgetKept(std::span(placing).subspan(i, 1));
      DropAll(placing);
      if (trouble.empty()) return StepResult<Done>::Failed(Sentence(files[i].path, what));
      return StepResult<Done>::Failed("The file \"" + files[i].path.string() + "\" " + what +
                                      trouble);
    }
  }
  ForgetKept(placing);
  return StepResult<Done>::Made({});
}

}  // namespace svcmp
