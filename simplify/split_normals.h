#pragma once

#include <cstdint>
#include <vector>

#include "plugin/mesh_records.h"
#include "simplify/mesh_pieces.h"

namespace svcmp {

// Where a mesh splits its normals, as capture made them: vertices that share
// a position and texture coordinates but not their triangles are hard edges
// (a flat-shaded mesh has one vertex per face at every corner). The
// simplifier sees each such split as a border it must keep, so it simplifies
// on the vertices welded across them and the splits are made anew on the
// result.
struct NormalSplits {
  // Per vertex of the mesh, its welded vertex: one for each position and
  // texture coordinates in use, numbered in the order of their first vertex.
  std::vector<std::uint32_t> welded;
  // Per welded vertex, the first vertex of the mesh it stands for, and
  // whether it stands for more than one: whether the surface was split there.
  std::vector<std::uint32_t> first;
  std::vector<bool> split;
  // Faces that meet at a split place at least this far apart (the cosine
  // of the angle between their normals at most this) stay apart.
  double creaseCosine = 1;
  bool any = false;
};

// Faces meeting at more than this angle are split where the mesh was split
// and shows no angle of its own: the one that Blender's auto smooth uses.
inline constexpr double kDefaultCreaseDegrees = 30;

// The splits of `mesh` (its corners index its vertices). The crease angle is
// learnt from the mesh: the least angle at which two of its faces that meet
// along an edge have the edge split, kDefaultCreaseDegrees where no such
// edge is found. A flat-shaded mesh thus keeps every face apart (its
// coplanar faces too), one split only at its sharp edges keeps only those.
NormalSplits FindNormalSplits(const WholeMesh& mesh);

// The mesh welded across its splits: the welded vertices (each its first
// vertex) and the corners renumbered to them. Vertices no corner uses are
// left out, which the simplifier would take for more seams.
WholeMesh WeldNormalSplits(const WholeMesh& mesh, const NormalSplits& splits);

// `corners` (into the welded vertices `vertices`, as a simplification of the
// welded mesh leaves them) made a mesh with its splits again: at a place
// that was split, faces sharing an edge stay joined where they meet at less
// than the crease angle, and each run of joined faces round a corner gets a
// vertex of its own; places that were smooth keep one vertex. The vertices
// come in the order of first use, their normals for capture to make.
WholeMesh RestoreNormalSplits(const std::vector<MeshVertex>& vertices,
                              const std::vector<std::uint32_t>& corners,
                              const NormalSplits& splits);

}  // namespace svcmp
