#pragma once

#include <span>
#include <string>
#include <vector>

#include "import/scene_document.h"
#include "inspect/compound_model.h"
#include "inspect/level_collision.h"
#include "inspect/level_geometry.h"

namespace svcmp::cli {

// How the export changed coordinates, to be undone: it divided them by the
// divisor and multiplied y and z by the orientation sign.
struct ExportTransform {
  int scaleDivisor = 92;
  int orientationSign = -1;
};

// The parts as a tree of nodes for a model file, back in the modelling
// host's units and orientation, as `export --parts nodes` reads it: one node
// per part, named like it, holding the part's meshes of `geometry` in its own
// frame (named like the part's file; material names where the file has them,
// else material_0xID), placed in its parent's frame by its joint's origin
// and rotation, with the joint's kind and motion as properties ("construct",
// axis, limits, offset). Below it, for furtherLevels[k], a node PART$lod(k+1)
// with that level's meshes, and each hardpoint as an empty node of its name
// with the property "hardpoint" (and "hptype", axis and limits for a
// revolute one), turned by its orientation. With `hulls` (sorted onto
// `geometry`), each collision hull becomes a mesh node PART$hull (then
// PART_2$hull, ...) below its part, a hardpoint's hull HARDPOINT$hull below
// the hardpoint's node, as the export reads modelled hull pieces; the hull
// of a hardpoint the part does not have is left out. With `wires`, a part's
// wire becomes the line mesh node PART$wire below it, over the vertices its
// segments reach; a wire of a library no level uses is left out. Texture
// coordinates that are no finite number become 0 and such normals are made
// again from the triangles, one line in `warnings` per mesh so mended;
// positions that are no finite number stay, for the scene's writer to refuse.
SceneDocument ConvertedScene(const CompoundModel& model, const LevelGeometry& geometry,
                             std::span<const LevelGeometry> furtherLevels,
                             const ExportTransform& transform,
                             const LevelCollision* hulls = nullptr, bool wires = true,
                             std::vector<std::string>* warnings = nullptr);

}  // namespace svcmp::cli
