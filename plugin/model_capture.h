#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "host/ms_model_lib.h"
#include "plugin/mesh_records.h"
#include "ui/export_settings.h"

namespace svcmp {

// +1 for "Back To Front" (the model is only scaled); -1 for every other mode,
// which turns the model half a turn about X (Y and Z negated, winding kept).
int OrientationSignOf(int orientationMode);

// A hardpoint mesh's name begins with "hp" in any letter case.
bool IsHardpointName(std::string_view meshName);

// The box around the vertices, used or not; all zero when there are none.
// Only a coordinate strictly outside the box so far moves a bound, so of equal
// values (even -0.0 and +0.0) the first one seen stays.
Bounds BoundsOf(const std::vector<MeshVertex>& vertices);

// Reads every host mesh, in host order, into one record each: names, positions
// divided by `scaleDivisor` (1 to 100) and re-oriented by `orientationSign`,
// texture coordinates, triangles, bounds and normals. Never reads a vertex
// through a triangle index outside its mesh.
MeshList CaptureModel(msModel* model, int scaleDivisor, int orientationSign);

// The meshes that go into the mesh buffer: every one that is not a hardpoint.
std::size_t GeometryMeshCount(const MeshList& meshList);

// The triangles of the geometry meshes, the ones the mesh buffer holds.
std::size_t GeometryTriangleCount(const MeshList& meshList);

// With more than one group, whether the first `groupCount` quantities add up
// to the number of geometry meshes; with one group there is nothing to match.
bool GroupQuantitiesMatch(const MeshList& meshList, int groupCount,
                          const std::array<std::int32_t, kMaxGroupCount>& quantities);

}  // namespace svcmp
