#pragma once

#include <cstddef>
#include <string>

#include "cmp/assembly_extras.h"
#include "exporter/export_ui.h"
#include "ui/export_settings.h"

namespace svcmp::cli {

// Answers the export driver's questions from the command line: the mode and
// path come from the options, the settings were resolved before the export,
// messages go to stderr as "error: text" (or "warning: caption: text" for the
// notes after which the export goes on), and the result window prints the
// written tree on stdout. `geometryMeshCount` explains a group mismatch.
class CliExportUi final : public ExportUi {
 public:
  CliExportUi(ExportMode mode, std::string path, ExportSettings settings, bool printTree,
              std::size_t geometryMeshCount, AssemblyExtras extras = {});

  void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;
  void ChooseExportMode(ExportMode& mode) override;
  bool ChooseCmpPath(ExportMode mode, std::string& path) override;
  void EditSettings(ExportSettings& settings) override;
  void ShowResult(CmpTreeDialog& dialog) override;

  // A line printed on stdout before the tree, when the file was written.
  void SetSummary(std::string summary) { summary_ = std::move(summary); }

  // Whether the file was written with the tree the export built, or the tree
  // staged for it (an --auto-lod level before the last).
  bool Succeeded() const { return succeeded_; }

 private:
  ExportMode mode_;
  std::string path_;
  ExportSettings settings_;
  bool printTree_;
  std::size_t geometryMeshCount_;
  AssemblyExtras extras_;
  std::string summary_;
  bool succeeded_ = false;
};

}  // namespace svcmp::cli
