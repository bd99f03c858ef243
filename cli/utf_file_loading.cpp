#include "cli/utf_file_loading.h"

#include <cstdio>

#include "cli/tree_printer.h"

namespace svcmp::cli {

UtfReadResult LoadUtfFile(const std::string& path, UtfTree& tree) {
  return ReadUtfFile(path, tree, [](const std::string& name) {
    std::fprintf(stderr, "warning: %s: Possible compression being used on this chunk\n",
                 PrintableName(name).c_str());
  });
}

std::string ReadFailure(const std::string& path, const UtfReadResult& result) {
  // An open failure already names the file; the other reasons do not.
  return result.status == UtfReadStatus::CannotOpen ? result.reason : path + ": " + result.reason;
}

}  // namespace svcmp::cli
