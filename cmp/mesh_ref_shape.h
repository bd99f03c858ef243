#pragma once

#include <cstddef>

#include "cmp/bounding_sphere.h"
#include "plugin/mesh_records.h"

namespace svcmp {

// The box and sphere that a mesh reference ("VMeshRef") carries.
struct MeshRefShape {
  Bounds box;
  BoundingSphere sphere;
};

// The plug-in's shape: the box as given (for one part it always holds the
// origin), no sphere.
inline MeshRefShape PlainMeshRefShape(const Bounds& box) { return {box, {}}; }

// The box of exactly the vertices of geometry meshes [startMesh, startMesh +
// meshCount), counted among geometry meshes only as the mesh buffer does, and
// their smallest enclosing sphere. Counts past the end are cut short; no
// vertices give the zero shape.
MeshRefShape ExactMeshRefShape(const MeshList& meshList, std::size_t startMesh,
                               std::size_t meshCount);

}  // namespace svcmp
