#pragma once

#include <string>

#include "import/scene_document.h"
#include "inspect/compound_model.h"
#include "inspect/level_geometry.h"

namespace svcmp::cli {

// How the export changed coordinates, to be undone: it divided them by the
// divisor and multiplied y and z by the orientation sign.
struct ExportTransform {
  int scaleDivisor = 92;
  int orientationSign = -1;
};

// The level as a scene for a model file, back in the modelling host's units
// and orientation: one node per part with its joint transform; under it one
// node per mesh record (the first named like the part's file, so that an
// export of the scene names its nodes as before), material names where the
// file has them, else material_0xID, and the hardpoints as empty nodes
// Hp_Fixed_NAME and Hp_Revolute_NAME at their place.
SceneDocument ConvertedScene(const CompoundModel& model, const LevelGeometry& geometry,
                             const ExportTransform& transform);

}  // namespace svcmp::cli
