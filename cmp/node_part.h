#pragma once

#include <array>
#include <string>
#include <vector>

// Parts formed from a model's node tree, as the assembly writes them: every
// value in the file's frame and units already (scaled and re-oriented).
namespace svcmp {

enum class PartJointKind { Fix, Rev, Pris, Sphere };

// How a part hangs on its parent: p_parent = rotation p + origin + offset,
// the rotation row by row.
struct PartJoint {
  PartJointKind kind = PartJointKind::Fix;
  std::string parent;  // the parent part's object name
  std::array<float, 3> origin = {0, 0, 0};
  std::array<float, 3> offset = {0, 0, 0};
  std::array<float, 9> rotation = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  std::array<float, 3> axis = {0, 1, 0};   // Rev, Pris
  float min = 0, max = 0;                  // Rev (radians), Pris (units)
  std::array<float, 6> sphereLimits = {};  // min x, max x, min y, max y, min z, max z
};

struct PartHardpoint {
  std::string name;
  bool revolute = false;
  std::array<float, 3> position = {0, 0, 0};
  std::array<float, 9> orientation = {1, 0, 0, 0, 1, 0, 0, 0, 1};  // row by row
  std::array<float, 3> axis = {0, 1, 0};                           // revolute only
  float min = 0, max = 0;                                          // radians
};

struct NodePart {
  std::string name;  // the object name; the root part's is written as "Root"
  PartJoint joint;   // not written for the root part
  std::vector<PartHardpoint> hardpoints;
};

}  // namespace svcmp
