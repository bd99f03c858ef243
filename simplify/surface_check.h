#pragma once

#include <cstddef>

#include "plugin/mesh_records.h"

namespace svcmp {

// Where a simplified level's surface went wrong against the geometry it
// was simplified from. Meshes are taken together, vertices joined where
// their positions agree, so that edges between meshes and texture seams are
// not counted as open.
struct SurfaceDefects {
  // Edges of one triangle alone that do not run along the source's own
  // open border (both ends on it).
  std::size_t newOpenEdges = 0;
  // Faces facing against the source surface at their corners, and the
  // share of the level's surface area they cover.
  std::size_t flippedFaces = 0;
  double flippedAreaShare = 0;

  // No new holes, and turned faces on at most 0.5% of the surface:
  // meshoptimizer leaves a few thin ones where many texture seams meet (a
  // sphere's poles), which no picture shows; whole turned regions (an end
  // cap, a wing) cover far more.
  bool None() const { return newOpenEdges == 0 && flippedAreaShare <= kMaxFlippedAreaShare; }

  static constexpr double kMaxFlippedAreaShare = 0.005;
};

// Compares the geometry meshes of `level` with those of `source`: a face is
// turned inside out when its normal points away from the source's vertex
// normals at its three corners (summed), which simplification keeps in place.
SurfaceDefects FindSurfaceDefects(const MeshList& level, const MeshList& source);

}  // namespace svcmp
