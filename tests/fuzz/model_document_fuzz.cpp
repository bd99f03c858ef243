// Feeds arbitrary text to the model document loader. A document it accepts
// must write back to a document that loads as the same model, and must go
// through capture, the export checks and, when they pass, the mesh buffer
// without reading outside any mesh.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "host/model_document.h"
#include "host/model_document_writer.h"
#include "plugin/export_checks.h"
#include "plugin/mesh_buffer.h"
#include "plugin/model_capture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace svcmp;
  ModelDocumentResult loaded =
      ParseModelDocument(std::string_view(reinterpret_cast<const char*>(data), size));
  if (!loaded.model) {
    if (loaded.error.empty()) std::abort();  // a refusal always says why
    return 0;
  }

  const ModelDocumentText written = WriteModelDocument(*loaded.model);
  if (written.error.empty()) {
    ModelDocumentResult again = ParseModelDocument(written.text);
    if (!again.model || WriteModelDocument(*again.model).text != written.text) std::abort();
  }

  // Two groups split the geometry meshes as evenly as the quantities allow.
  MeshList meshList = CaptureModel(loaded.model.get(), 92, OrientationSignOf(0));
  const auto geometry = static_cast<std::int32_t>(GeometryMeshCount(meshList));
  for (const int groupCount : {1, 2}) {
    std::array<std::int32_t, kMaxGroupCount> quantities{};
    quantities[0] = geometry / 2;
    quantities[1] = geometry - geometry / 2;
    if (CheckExportable(meshList, groupCount, quantities)) continue;
    if (!GroupQuantitiesMatch(meshList, groupCount, quantities)) continue;
    MeshDataSummary summary;
    GroupList groups;
    static_cast<void>(BuildMeshBuffer(meshList, groupCount, quantities, summary, groups));
  }
  return 0;
}
