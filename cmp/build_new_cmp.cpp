#include "cmp/animation_scripts.h"
#include "cmp/cmp_assembly.h"
#include "cmp/cmp_leaf_data.h"
#include "cmp/fix_joints.h"
#include "cmp/node_parts.h"
#include "format/cmp_node_names.h"
#include "format/name_crc.h"

// Every node is added as the last child of its parent, so the order of the
// calls below is the order of the children in the file.
namespace svcmp {
namespace {

void AddPartEntry(UtfTree& tree, UtfNode cmpnd, std::string_view entryName,
                  std::string_view fileName, std::int32_t partIndex, std::string_view objectName) {
  UtfNode part = tree.AddNode(cmpnd, entryName);
  AddLeaf(tree, part, kNodeFileName, StringLeaf(fileName));
  AddLeaf(tree, part, kNodeIndex, IndexLeaf(partIndex));
  AddLeaf(tree, part, kNodeObjectName, StringLeaf(objectName));
}

// "VMeshPart" and "VMeshRef" under the level node.
void AddMeshRef(UtfTree& tree, UtfNode levelNode, ByteBlock record) {
  AddLeaf(tree, tree.AddNode(levelNode, kNodeVMeshPart), kNodeVMeshRef, std::move(record));
}

}  // namespace

void BuildNewCmp(UtfTree& tree, const CmpAssemblyInputs& inputs, const std::string& meshLibraryName,
                 const MeshRecord& firstMesh) {
  const std::size_t level = LevelIndex(inputs.levelOfDetail);
  const std::uint32_t libraryId = NameCrc(meshLibraryName);

  UtfNode root = tree.AddNode(nullptr, kNodeRoot);
  UtfNode library = tree.AddNode(root, kNodeVMeshLibrary);
  UtfNode meshData = tree.AddNode(tree.AddNode(library, meshLibraryName), kNodeVMeshData);
  if (DataBlock buffer = TakeMeshBuffer(inputs)) tree.SetData(meshData, std::move(*buffer));
  UtfNode cmpnd = tree.AddNode(root, kNodeCmpnd);

  if (inputs.groupCount == 1) {
    const std::string modelName = firstMesh.meshName + std::string(kModelFileSuffix);
    AddPartEntry(tree, cmpnd, kNodeRootPart, modelName, 0, kNodeRootPart);
    UtfNode model = tree.AddNode(root, modelName);
    if (level == 0) AddSinglePartHardpoints(tree, inputs, tree.AddNode(model, kNodeHardpoints));
    UtfNode multiLevel = tree.AddNode(model, kNodeMultiLevel);
    UtfNode levelNode = tree.AddNode(multiLevel, kNodeLevels[level]);
    if (level == 2) AddLeaf(tree, multiLevel, kNodeSwitch2, Switch2Leaf(kSwitch2Distances.back()));
    AddMeshRef(tree, levelNode,
               MeshRefLeaf(libraryId, InputSummary(inputs), SinglePartShape(inputs)));
    return;
  }

  UtfNode cons = tree.AddNode(cmpnd, kNodeCons);
  UtfNode fix = tree.AddNode(cons, kNodeFix);
  if (inputs.groupList == nullptr) return;
  GroupList& groups = *inputs.groupList;
  const std::vector<NodePart>& nodeParts = inputs.extras.nodeParts;
  NameGroupsAfterNodeParts(groups, nodeParts);
  for (std::size_t i = 0; i < groups.size(); ++i) {
    MeshGroup& group = groups[i];
    AddPartEntry(tree, cmpnd, PartEntryName(i, group.objectName), group.fileName,
                 static_cast<std::int32_t>(i), PartObjectName(i, group.objectName));
    group.partNode = tree.AddNode(root, group.fileName);
    UtfNode multiLevel = tree.AddNode(group.partNode, kNodeMultiLevel);
    UtfNode levelNode = tree.AddNode(multiLevel, kNodeLevels[level]);
    if (level == 2) AddLeaf(tree, multiLevel, kNodeSwitch2, Switch2Leaf(kSwitch2Distances.back()));
    AddMeshRef(tree, levelNode, MeshRefLeaf(libraryId, group, GroupShape(inputs, group)));
  }
  if (!nodeParts.empty()) {
    WriteNodePartJoints(tree, cons, nodeParts);
  } else if (inputs.extras.fixJoints) {
    if (auto records = JoinFixRecords({}, groups, inputs.extras.warn))
      tree.SetData(fix, std::move(*records));
  }
  if (!inputs.extras.scripts.empty()) WriteAnimationScripts(tree, inputs.extras.scripts);
  if (level == 0) AddGroupHardpoints(tree, inputs, groups);
}

}  // namespace svcmp
