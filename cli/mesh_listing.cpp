#include "cli/mesh_listing.h"

#include "plugin/model_capture.h"

namespace svcmp::cli {

void PrintMeshListing(msModel& model, std::FILE* out) {
  constexpr int kNameBufferSize = 200;
  std::fprintf(out, "%5s  %-10s %8s %9s  %-20s %s\n", "index", "kind", "vertices", "triangles",
               "material", "name");
  int geometryMeshes = 0;
  const int meshCount = msModel_GetMeshCount(&model);
  for (int i = 0; i < meshCount; ++i) {
    msMesh* mesh = msModel_GetMeshAt(&model, i);
    char name[kNameBufferSize] = {};
    char material[kNameBufferSize] = {};
    msMesh_GetName(mesh, name, kNameBufferSize - 1);
    msMaterial_GetName(msModel_GetMaterialAt(&model, msMesh_GetMaterialIndex(mesh)), material,
                       kNameBufferSize - 1);
    const bool hardpoint = IsHardpointName(name);
    if (!hardpoint) ++geometryMeshes;
    std::fprintf(out, "%5d  %-10s %8d %9d  %-20s %s\n", i, hardpoint ? "hardpoint" : "geometry",
                 msMesh_GetVertexCount(mesh), msMesh_GetTriangleCount(mesh), material, name);
  }
  std::fprintf(out, "%d geometry meshes: the --groups quantities must add up to this number\n",
               geometryMeshes);
}

}  // namespace svcmp::cli
