#include "import/scene_export.h"

#include <fstream>

#include "import/importer_outcome.h"
#include "import/importer_protocol.h"

namespace svcmp {

std::string ExportSceneThroughImporter(const SceneDocument& scene,
                                       const std::filesystem::path& scenePath,
                                       const std::filesystem::path& outputPath,
                                       const ModelImport& import) {
  const std::string path = outputPath.filename().string();
  const SceneDocumentText document = WriteSceneDocument(scene);
  if (!document.error.empty()) return "\"" + path + "\": " + document.error;
  {
    std::ofstream out(scenePath, std::ios::binary);
    out.write(document.text.data(), static_cast<std::streamsize>(document.text.size()));
    if (!out.flush()) return "\"" + scenePath.string() + "\" cannot be written";
  }
  const ProcessRun run = RunLimitedProcess(
      import.importerProgram,
      {importer_protocol::kWriteMode, scenePath.string(), outputPath.string()}, import.limits);
  return ImporterFailure(run, path, import.importerProgram, import.limits);
}

}  // namespace svcmp
