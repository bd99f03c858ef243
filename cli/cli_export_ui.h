#pragma once

#include <string>
#include <vector>

#include "job/export_job_ui.h"

namespace svcmp::cli {

// Tells the export job's messages on the command line: "error: text" and
// "warning: text" on stderr, and once every file is in place, one line per
// level on stdout followed by the written tree (unless `quiet`).
class CliExportUi final : public ExportJobUi {
 public:
  explicit CliExportUi(bool quiet) : quiet_(quiet) {}

  void Warn(const std::string& text) override;
  void Fail(const std::string& text) override;
  void Note(const std::string& text) override;
  void Waiting(const std::string& path) override;
  void Written(const std::vector<std::string>& summaries, const UtfTree& tree) override;

 private:
  bool quiet_;
};

}  // namespace svcmp::cli
