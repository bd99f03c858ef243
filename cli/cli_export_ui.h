#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

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

  // Makes the line printed on stdout before the tree (with or without it),
  // once the file was written; it is made then, so that it can count the
  // geometry as simplified.
  void SetSummary(std::function<std::string()> summary) { summary_ = std::move(summary); }
  // Where a staged --auto-lod level keeps its line until the file is
  // written; the run that writes it prints the held lines before its own.
  void HoldSummariesIn(std::vector<std::string>& held) { held_ = &held; }

  // Whether the file was written with the tree the export built, or the tree
  // staged for it (an --auto-lod level before the last).
  bool Succeeded() const { return succeeded_; }

 private:
  void PrintSummary();

  ExportMode mode_;
  std::string path_;
  ExportSettings settings_;
  bool printTree_;
  std::size_t geometryMeshCount_;
  AssemblyExtras extras_;
  std::function<std::string()> summary_;
  std::vector<std::string>* held_ = nullptr;
  bool succeeded_ = false;
};

}  // namespace svcmp::cli
