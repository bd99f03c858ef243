#pragma once

#include <cstddef>

#include "plugin/mesh_records.h"

namespace svcmp {

// What a simplification did to the geometry meshes.
struct SimplifyReport {
  std::size_t trianglesBefore = 0;
  std::size_t trianglesAfter = 0;
  // The simplifier's deviation from the original surface, as a share of the
  // geometry's extent (0.01: one percent of its size).
  float relativeError = 0;
};

// The mesh buffer holds 65,535 indices, 21,845 triangles; simplifying "to fit"
// aims a little lower, so that the seams the simplifier must keep cannot push
// the model back over.
inline constexpr std::size_t kFitTriangleTarget = 20000;

// Whether this build can simplify: the Windows cross build has no
// meshoptimizer, and there SimplifyGeometry changes nothing.
bool SimplifierAvailable();

// Simplifies the geometry meshes together, so that the triangles go where the
// error is smallest, down to about `targetTriangles` in all. Texture seams and
// the edges where meshes meet stay closed; hardpoint meshes are never touched.
// A mesh that names a vertex it lacks is left as it is (the export's checks
// refuse it), and so is one that would lose all its triangles. A changed mesh
// keeps only the vertices its triangles use and gets bounds and normals as
// capture makes them.
SimplifyReport SimplifyGeometry(MeshList& meshList, std::size_t targetTriangles);

}  // namespace svcmp
