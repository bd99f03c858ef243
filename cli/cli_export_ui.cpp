#include "cli/cli_export_ui.h"

#include <cstdio>
#include <utility>

#include "cli/tree_printer.h"

namespace svcmp::cli {

CliExportUi::CliExportUi(ExportMode mode, std::string path, ExportSettings settings, bool printTree,
                         AssemblyExtras extras)
    : mode_(mode),
      path_(std::move(path)),
      settings_(settings),
      printTree_(printTree),
      extras_(std::move(extras)) {}

void CliExportUi::ShowMessage(const std::string& text, const std::string& caption,
                              MessageIcon /*icon*/) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

void CliExportUi::ChooseExportMode(ExportMode& mode) { mode = mode_; }

bool CliExportUi::ChooseCmpPath(ExportMode /*mode*/, std::string& path) {
  path = path_;
  return true;
}

void CliExportUi::EditSettings(ExportSettings& settings) { settings = settings_; }

void CliExportUi::ShowResult(CmpTreeDialog& dialog) {
  dialog.UseExtras(extras_);
  dialog.Initialise();
  fileWritten_ = dialog.Status() == CmpAssemblyStatus::Written;
  if (fileWritten_ && printTree_ && !summary_.empty()) std::printf("%s\n", summary_.c_str());
  if (dialog.HasTree() && printTree_) PrintUtfTree(dialog.Tree(), stdout);
  dialog.Close();
}

}  // namespace svcmp::cli
