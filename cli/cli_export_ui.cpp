#include "cli/cli_export_ui.h"

#include <cstdio>

#include "cli/tree_printer.h"

namespace svcmp::cli {

void CliExportUi::Warn(const std::string& text) {
  std::fprintf(stderr, "warning: %s\n", text.c_str());
}

void CliExportUi::Fail(const std::string& text) {
  std::fprintf(stderr, "error: %s\n", text.c_str());
}

void CliExportUi::Note(const std::string& text) { std::printf("%s\n", text.c_str()); }

void CliExportUi::Waiting(const std::string& path) {
  std::fprintf(stderr, "waiting for %s to be free\n", path.c_str());
}

void CliExportUi::Written(const std::vector<std::string>& summaries, const UtfTree& tree) {
  for (const std::string& line : summaries) std::printf("%s\n", line.c_str());
  if (!quiet_) PrintUtfTree(tree, stdout);
}

}  // namespace svcmp::cli
