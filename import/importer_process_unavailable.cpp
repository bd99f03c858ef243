#include "import/import_messages.h"
#include "import/importer_process.h"

namespace svcmp {

// Builds without a way to start the importer read only JSON model documents.
std::filesystem::path ImporterProgramBeside() { return {}; }

ImporterRun RunImporter(const std::filesystem::path&, const std::vector<std::string>&,
                        const ImporterLimits&) {
  ImporterRun run;
  run.detail = import_messages::kOnlyDocuments;
  return run;
}

}  // namespace svcmp
