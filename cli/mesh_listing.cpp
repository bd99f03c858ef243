#include "cli/mesh_listing.h"

#include <optional>
#include <string>

#include "job/model_totals.h"
#include "job/simplify_step.h"
#include "plugin/export_checks.h"
#include "plugin/model_capture.h"

namespace svcmp::cli {

void PrintMeshListing(const MeshList& meshList, std::FILE* out) {
  std::fprintf(out, "%5s  %-10s %8s %9s  %-20s %s\n", "index", "kind", "vertices", "triangles",
               "material", "name");
  for (std::size_t i = 0; i < meshList.size(); ++i) {
    const MeshRecord& mesh = meshList[i];
    std::fprintf(out, "%5zu  %-10s %8zu %9zu  %-20s %s\n", i,
                 mesh.isHardpoint ? "hardpoint" : "geometry", mesh.vertices.size(),
                 mesh.triangles.size(), mesh.materialName.c_str(), mesh.meshName.c_str());
  }
  std::fprintf(out, "%zu geometry meshes: the --groups quantities must add up to this number\n",
               GeometryMeshCount(meshList));
}

void PrintListingTotals(const MeshList& meshList, int scaleDivisor, std::FILE* out) {
  const ModelTotals totals = TotalModel(meshList);
  std::fprintf(out, "total: %s, %s at --scale %d\n", CountsText(totals).c_str(),
               ExtentText(totals).c_str(), scaleDivisor);
  const std::optional<std::string> problem = CheckExportable(meshList, 1, {});
  if (problem) {
    const std::string advice =
        SimplifyingMakesFit(meshList, problem) ? std::string(" ") + kSimplifyAdvice : "";
    std::fprintf(out, "does not fit the format's limits: %s%s\n", problem->c_str(), advice.c_str());
  } else {
    std::fprintf(out, "fits the format's limits\n");
  }
}

}  // namespace svcmp::cli
