#include "cli/cli_export_ui.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <numeric>
#include <utility>

#include "cli/tree_printer.h"
#include "exporter/export_messages.h"

namespace svcmp::cli {
namespace {

// The counts behind "does not match model", which the message box leaves out.
std::string GroupMismatchDetail(const ExportSettings& settings, std::size_t geometryMeshCount) {
  const auto counted =
      settings.GroupQuantities.begin() + std::clamp(settings.GroupCount, 0, kMaxGroupCount);
  const std::int64_t total =
      std::accumulate(settings.GroupQuantities.begin(), counted, std::int64_t{0});
  return ". The model has " + std::to_string(geometryMeshCount) +
         (geometryMeshCount == 1 ? " geometry mesh" : " geometry meshes") +
         " (hardpoints not counted); the " + std::to_string(settings.GroupCount) +
         " group quantities add up to " + std::to_string(total) + ".";
}

}  // namespace

CliExportUi::CliExportUi(ExportMode mode, std::string path, ExportSettings settings, bool printTree,
                         std::size_t geometryMeshCount, AssemblyExtras extras)
    : mode_(mode),
      path_(std::move(path)),
      settings_(settings),
      printTree_(printTree),
      geometryMeshCount_(geometryMeshCount),
      extras_(std::move(extras)) {}

void CliExportUi::ShowMessage(const std::string& text, const std::string& caption,
                              MessageIcon icon) {
  // A message without an icon is a note after which the export goes on; its
  // caption names what it is about. Every other message ends the export, and
  // its caption only repeats what the text says.
  if (icon == MessageIcon::None) {
    std::fprintf(stderr, "warning: %s: %s\n", caption.c_str(), text.c_str());
    return;
  }
  const std::string detail =
      text == messages::kGroupMismatch ? GroupMismatchDetail(settings_, geometryMeshCount_) : "";
  std::fprintf(stderr, "error: %s%s\n", text.c_str(), detail.c_str());
}

void CliExportUi::ChooseExportMode(ExportMode& mode) { mode = mode_; }

bool CliExportUi::ChooseCmpPath(ExportMode /*mode*/, std::string& path) {
  path = path_;
  return true;
}

void CliExportUi::EditSettings(ExportSettings& settings) { settings = settings_; }

void CliExportUi::PrintSummary() {
  std::string line = summary_();
  if (extras_.stageOnly && held_ != nullptr) {
    held_->push_back(std::move(line));
    return;
  }
  if (held_ != nullptr) {
    for (const std::string& earlier : *held_) std::printf("%s\n", earlier.c_str());
  }
  std::printf("%s\n", line.c_str());
}

void CliExportUi::ShowResult(CmpTreeDialog& dialog) {
  dialog.UseExtras(extras_);
  dialog.Initialise();
  succeeded_ =
      dialog.Status() == CmpAssemblyStatus::Written || dialog.Status() == CmpAssemblyStatus::Staged;
  if (succeeded_ && summary_) PrintSummary();
  if (dialog.HasTree() && printTree_) PrintUtfTree(dialog.Tree(), stdout);
  dialog.Close();
}

}  // namespace svcmp::cli
