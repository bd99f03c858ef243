#include "cli/input_files.h"

#include <cstdio>

#include "cli/tree_printer.h"

namespace svcmp::cli {

UtfReadResult LoadUtfFile(const std::string& path, UtfTree& tree) {
  return ReadUtfFile(path, tree, [](const std::string& name) {
    std::fprintf(stderr, "warning: %s: Possible compression being used on this chunk\n",
                 PrintableName(name).c_str());
  });
}

bool ReadUtfFileOrSay(const std::string& path, UtfTree& tree) {
  const UtfReadResult result = LoadUtfFile(path, tree);
  if (result.ok()) return true;
  // An open failure already names the file; the other reasons do not.
  if (result.status == UtfReadStatus::CannotOpen) {
    std::fprintf(stderr, "error: %s\n", result.reason.c_str());
  } else {
    std::fprintf(stderr, "error: %s: %s\n", path.c_str(), result.reason.c_str());
  }
  return false;
}

std::optional<CompoundModel> ReadCompoundModelOrSay(const std::string& path) {
  UtfTree tree;
  if (!ReadUtfFileOrSay(path, tree)) return std::nullopt;
  return DecodeCompoundModel(tree);
}

bool SayDecodingErrors(const std::string& path, const CompoundModel& model) {
  bool clean = true;
  for (const Finding& finding : model.findings) {
    if (finding.severity != Severity::Error) continue;
    std::fprintf(stderr, "error: %s: %s: %s\n", path.c_str(), PrintableName(finding.path).c_str(),
                 finding.message.c_str());
    clean = false;
  }
  return clean;
}

void WarnOfMissingLibraries(const std::string& path, const LevelGeometry& geometry) {
  for (const MissingLibrary& missing : geometry.missing) {
    if (missing.libraryName.empty()) {
      std::fprintf(stderr,
                   "warning: %s: %s names the mesh library 0x%08X, which is not in this file; "
                   "its meshes are left out\n",
                   path.c_str(), PrintableName(missing.refPath).c_str(),
                   static_cast<unsigned>(missing.libraryId));
    } else {
      std::fprintf(stderr,
                   "warning: %s: the mesh library %s that %s names cannot be read; its meshes "
                   "are left out\n",
                   path.c_str(), PrintableName(missing.libraryName).c_str(),
                   PrintableName(missing.refPath).c_str());
    }
  }
}

}  // namespace svcmp::cli
