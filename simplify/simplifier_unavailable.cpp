#include "plugin/model_capture.h"
#include "simplify/mesh_simplifier.h"

namespace svcmp {

// Builds without meshoptimizer keep every triangle.
bool SimplifierAvailable() { return false; }

SimplifyReport SimplifyGeometry(MeshList& meshList, std::size_t /*targetTriangles*/,
                                const std::vector<SplitMesh>& /*splits*/, bool /*mustFit*/,
                                Relaxation /*from*/) {
  SimplifyReport report;
  report.trianglesBefore = report.trianglesAfter = GeometryTriangleCount(meshList);
  return report;
}

}  // namespace svcmp
