#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "cmp/cmp_assembly.h"
#include "cmp/node_part.h"
#include "plugin/mesh_records.h"
#include "utf/utf_tree.h"

// Writing the parts formed from a node tree: their joints and hardpoints.
namespace svcmp {

// One joint record in the layout of its kind (Fix 176 bytes, Rev and Pris
// 208, Sphere 212), the child named `child`.
void AppendJointRecord(std::vector<std::uint8_t>& out, const PartJoint& joint,
                       std::string_view child);

// The joint lists of every part but the first, one leaf per kind in use
// ("Fix" always, since the plug-in's files have it), under `cons`; each
// leaf found there already is replaced.
void WriteNodePartJoints(UtfTree& tree, UtfNode cons, const std::vector<NodePart>& parts);

// The part's hardpoints under `hardpointsNode`: "Fixed" and "Revolute" as
// the part needs them (both with `bothKinds`, as a single part has them).
void AddNodePartHardpoints(UtfTree& tree, UtfNode hardpointsNode, const NodePart& part,
                           HardpointRows rows, bool bothKinds);

// Each group takes its part's object and file name ("NAME.3db").
void NameGroupsAfterNodeParts(GroupList& groups, const std::vector<NodePart>& parts);

}  // namespace svcmp
