#include "cmp/node_parts.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "cmp/cmp_leaf_data.h"
#include "format/cmp_leaf_layout.h"
#include "format/cmp_node_names.h"
#include "utf/little_endian.h"

namespace svcmp {

void AppendJointRecord(std::vector<std::uint8_t>& out, const PartJoint& joint,
                       std::string_view child) {
  LittleEndianWriter record(std::move(out));
  for (const std::string_view name : {std::string_view(joint.parent), child}) {
    record.Text(name);
    record.Zeros(kJointNameSize - name.size());
  }
  record.F32s(joint.origin);
  if (joint.kind != PartJointKind::Fix) record.F32s(joint.offset);
  record.F32s(joint.rotation);
  if (joint.kind == PartJointKind::Sphere) {
    record.F32s(joint.sphereLimits);
  } else if (joint.kind != PartJointKind::Fix) {
    record.F32s(joint.axis);
    record.F32s(std::array<float, 2>{joint.min, joint.max});
  }
  out = record.Take();
}

void WriteNodePartJoints(UtfTree& tree, UtfNode cons, const std::vector<NodePart>& parts) {
  constexpr std::array<std::pair<PartJointKind, std::string_view>, 4> kLists = {
      {{PartJointKind::Fix, kNodeFix},
       {PartJointKind::Rev, kNodeRev},
       {PartJointKind::Pris, kNodePris},
       {PartJointKind::Sphere, kNodeSphere}}};
  for (const auto& [kind, listName] : kLists) {
    std::vector<std::uint8_t> records;
    for (std::size_t i = 1; i < parts.size(); ++i) {
      if (parts[i].joint.kind == kind) AppendJointRecord(records, parts[i].joint, parts[i].name);
    }
    UtfNode list = tree.FindNode(cons, listName);
    if (records.empty() && kind != PartJointKind::Fix) {
      if (list != nullptr) tree.RemoveSubtree(list);
      continue;
    }
    if (list == nullptr) list = tree.AddNode(cons, listName);
    tree.SetData(list, ByteBlock(std::move(records)));
  }
}

void AddNodePartHardpoints(UtfTree& tree, UtfNode hardpointsNode, const NodePart& part,
                           HardpointRows rows, bool bothKinds) {
  UtfNode fixedNode = bothKinds ? tree.AddNode(hardpointsNode, kNodeFixed) : nullptr;
  UtfNode revoluteNode = bothKinds ? tree.AddNode(hardpointsNode, kNodeRevolute) : nullptr;
  for (const PartHardpoint& hardpoint : part.hardpoints) {
    UtfNode& kindNode = hardpoint.revolute ? revoluteNode : fixedNode;
    if (kindNode == nullptr) {
      kindNode = tree.AddNode(hardpointsNode, hardpoint.revolute ? kNodeRevolute : kNodeFixed);
    }
    UtfNode node = tree.AddNode(kindNode, hardpoint.name);
    if (hardpoint.revolute) {
      AddLeaf(tree, node, kNodeAxis, FloatsLeaf(hardpoint.axis));
      AddLeaf(tree, node, kNodeMax, LimitLeaf(std::bit_cast<std::uint32_t>(hardpoint.max)));
      AddLeaf(tree, node, kNodeMin, LimitLeaf(std::bit_cast<std::uint32_t>(hardpoint.min)));
    }
    auto [orientationLeaf, positionLeaf] = FloatsLeafPair(
        rows == HardpointRows::Unit ? UnitRows(hardpoint.orientation) : hardpoint.orientation,
        hardpoint.position);
    AddLeaf(tree, node, kNodeOrientation, std::move(orientationLeaf));
    AddLeaf(tree, node, kNodePosition, std::move(positionLeaf));
  }
}

void NameGroupsAfterNodeParts(GroupList& groups, const std::vector<NodePart>& parts) {
  for (std::size_t i = 0; i < groups.size() && i < parts.size(); ++i) {
    groups[i].objectName = parts[i].name;
    groups[i].fileName = parts[i].name + std::string(kModelFileSuffix);
  }
}

}  // namespace svcmp

namespace svcmp {

void AddSinglePartHardpoints(UtfTree& tree, const CmpAssemblyInputs& inputs,
                             UtfNode hardpointsNode) {
  const std::vector<NodePart>& parts = inputs.extras.nodeParts;
  if (parts.empty()) {
    AddHardpoints(tree, InputMeshes(inputs), hardpointsNode, HardpointRowsOf(inputs));
    return;
  }
  AddNodePartHardpoints(tree, hardpointsNode, parts.front(), HardpointRowsOf(inputs), true);
}

void AddGroupHardpoints(UtfTree& tree, const CmpAssemblyInputs& inputs, GroupList& groups) {
  const std::vector<NodePart>& parts = inputs.extras.nodeParts;
  if (parts.empty()) {
    AddPartHardpoints(tree, InputMeshes(inputs), groups, HardpointRowsOf(inputs));
    return;
  }
  for (std::size_t i = 0; i < groups.size() && i < parts.size(); ++i) {
    groups[i].hardpointsNode = groups[i].fixedNode = groups[i].revoluteNode = nullptr;
    if (parts[i].hardpoints.empty() || groups[i].partNode == nullptr) continue;
    groups[i].hardpointsNode = tree.AddNode(groups[i].partNode, kNodeHardpoints);
    AddNodePartHardpoints(tree, groups[i].hardpointsNode, parts[i], HardpointRowsOf(inputs), false);
  }
}

}  // namespace svcmp
