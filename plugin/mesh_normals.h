#pragma once

#include "plugin/mesh_records.h"

namespace svcmp {

// The vector scaled to unit length: the length is taken in double and rounded
// to a float, each component divided by it and rounded to a float. A zero
// vector stays zero.
FaceNormal Normalise(const FaceNormal& vector);

// The unit normal of the triangle (a, b, c) in the right-handed sense of
// (b - a) x (c - a); (0, 0, 0) when the corners are collinear or coincide.
FaceNormal ComputeFaceNormal(const MeshVertex& a, const MeshVertex& b, const MeshVertex& c);

// The normal a vertex gets when no triangle uses it: the placeholder capture
// sets before the normals are known, so the file never holds a NaN.
inline constexpr FaceNormal kUnusedVertexNormal{0.0f, 1.0f, 0.0f};

// Fills the record's face normals and the normal of each vertex: the
// normalised mean of the face normals of the triangles that use it, summed in
// float in ascending triangle order. A triangle that names a vertex outside
// the mesh gets a zero face normal and touches no vertex. O(V + T).
void ComputeMeshNormals(MeshRecord& record);

}  // namespace svcmp
