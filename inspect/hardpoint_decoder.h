#pragma once

#include <vector>

#include "inspect/compound_model.h"

namespace svcmp {

// Appends the hardpoints under a "Hardpoints" node ("Fixed" and "Revolute",
// folders or empty leaves) to `hardpoints`. Leaves of the wrong size are
// left unset with an error finding; missing ones give a warning.
void DecodeHardpoints(const UtfTree& tree, UtfNode hardpointsNode,
                      std::vector<Hardpoint>& hardpoints, Findings& findings);

}  // namespace svcmp
