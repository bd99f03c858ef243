#pragma once

#include <cstddef>
#include <vector>

#include "plugin/mesh_records.h"
#include "simplify/mesh_pieces.h"

namespace svcmp {

// How far the simplification had to let go of what it keeps to reach the
// mesh buffer's limit: nothing, the texture seams (and the borders between
// meshes, which each mesh then keeps on its own), or the surface's shape too
// (a sloppy pass that merges nearby vertices).
enum class Relaxation { None, TextureSeams, Sloppy };

// What a simplification did to the geometry meshes.
struct SimplifyReport {
  std::size_t trianglesBefore = 0;
  std::size_t trianglesAfter = 0;
  // The simplifier's deviation from the original surface, as a share of the
  // geometry's extent (0.01: one percent of its size).
  float relativeError = 0;
  Relaxation relaxed = Relaxation::None;
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
//
// The pieces of each of `splits` are simplified as one mesh and come out
// joined again where 16-bit indices address the result. With `mustFit`, when
// the kept seams stop the simplifier above the mesh buffer's 21,845
// triangles, it lets go of them step by step (SimplifyReport::relaxed);
// `from` starts it at a later step.
SimplifyReport SimplifyGeometry(MeshList& meshList, std::size_t targetTriangles,
                                const std::vector<SplitMesh>& splits = {}, bool mustFit = false,
                                Relaxation from = Relaxation::None);

}  // namespace svcmp
