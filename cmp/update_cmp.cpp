#include "cmp/animation_scripts.h"
#include "cmp/cmp_assembly.h"
#include "cmp/cmp_leaf_data.h"
#include "cmp/fix_joints.h"
#include "cmp/node_parts.h"
#include "format/cmp_node_names.h"
#include "format/name_crc.h"

// The update finds each node before it creates it, and creates it as the
// last child of its parent when it is missing. Whole-tree lookups (null
// parent) find a node at any depth; child lookups only among the children.
namespace svcmp {
namespace {

class Merge {
 public:
  Merge(UtfTree& tree, std::size_t level) : tree_(tree), level_(level) {}

  UtfNode FindOrAdd(UtfNode lookupParent, UtfNode createParent, std::string_view name) {
    UtfNode node = tree_.FindNode(lookupParent, name);
    return node ? node : tree_.AddNode(createParent, name);
  }
  UtfNode FindOrAddChild(UtfNode parent, std::string_view name) {
    return FindOrAdd(parent, parent, name);
  }

  void Replace(UtfNode node, ByteBlock bytes) { tree_.SetData(node, std::move(bytes)); }

  // Part headers written by an earlier export at another level stay as they
  // are; an empty block holds nothing to keep (the writer stores it as a leaf
  // without data).
  void ReplaceIfMissingOrLevel0(UtfNode node, ByteBlock bytes) {
    const DataBlock& old = tree_.Data(node);
    if (!old || old->empty() || level_ == 0) Replace(node, std::move(bytes));
  }

  void PartEntry(UtfNode cmpnd, std::string_view entryName, std::string_view fileName,
                 std::int32_t partIndex, std::string_view objectName) {
    UtfNode part = FindOrAddChild(cmpnd, entryName);
    ReplaceIfMissingOrLevel0(FindOrAddChild(part, kNodeFileName), StringLeaf(fileName));
    ReplaceIfMissingOrLevel0(FindOrAddChild(part, kNodeIndex), IndexLeaf(partIndex));
    ReplaceIfMissingOrLevel0(FindOrAddChild(part, kNodeObjectName), StringLeaf(objectName));
  }

  // "MultiLevel", the level node and at level 2 "Switch2"; gives the level node.
  UtfNode Levels(UtfNode model, float switchFarthest) {
    UtfNode multiLevel = FindOrAddChild(model, kNodeMultiLevel);
    UtfNode levelNode = FindOrAddChild(multiLevel, kNodeLevels[level_]);
    if (level_ == 2) Replace(FindOrAddChild(multiLevel, kNodeSwitch2), Switch2Leaf(switchFarthest));
    return levelNode;
  }

  void MeshRef(UtfNode levelNode, ByteBlock record) {
    Replace(FindOrAddChild(FindOrAddChild(levelNode, kNodeVMeshPart), kNodeVMeshRef),
            std::move(record));
  }

  void RemoveHardpoints(UtfNode model) {
    if (UtfNode old = tree_.FindNode(model, kNodeHardpoints)) tree_.RemoveSubtree(old);
  }

 private:
  UtfTree& tree_;
  std::size_t level_;
};

}  // namespace

void UpdateCmp(UtfTree& tree, const CmpAssemblyInputs& inputs, const std::string& meshLibraryName,
               const MeshRecord& firstMesh) {
  const std::size_t level = LevelIndex(inputs.levelOfDetail);
  const std::uint32_t libraryId = NameCrc(meshLibraryName);
  Merge merge(tree, level);

  // Whatever the file's first top-level node is called, it is the root.
  UtfNode root = tree.Root() ? tree.Root() : tree.AddNode(nullptr, kNodeRoot);
  UtfNode library = merge.FindOrAdd(nullptr, root, kNodeVMeshLibrary);
  UtfNode entry = merge.FindOrAdd(nullptr, library, meshLibraryName);
  UtfNode meshData = merge.FindOrAddChild(entry, kNodeVMeshData);
  // The old buffer goes in any case: the references made below point into the new one.
  if (DataBlock buffer = TakeMeshBuffer(inputs)) {
    merge.Replace(meshData, std::move(*buffer));
  } else {
    tree.ClearData(meshData);
  }
  UtfNode cmpnd = merge.FindOrAdd(nullptr, root, kNodeCmpnd);

  if (inputs.groupCount == 1) {
    const std::string modelName = firstMesh.meshName + std::string(kModelFileSuffix);
    merge.PartEntry(cmpnd, kNodeRootPart, modelName, 0, kNodeRootPart);
    UtfNode model = merge.FindOrAddChild(root, modelName);
    if (level == 0) {
      merge.RemoveHardpoints(model);
      AddSinglePartHardpoints(tree, inputs, tree.AddNode(model, kNodeHardpoints));
    }
    UtfNode levelNode = merge.Levels(model, kSwitch2Distances.back());
    merge.MeshRef(levelNode, MeshRefLeaf(libraryId, InputSummary(inputs), SinglePartShape(inputs)));
    return;
  }

  // Joints asked for are kept up to date at every level, since any level may add parts.
  const std::vector<NodePart>& nodeParts = inputs.extras.nodeParts;
  UtfNode cons = nullptr;
  UtfNode fix = nullptr;
  if (level == 0 || inputs.extras.fixJoints || !nodeParts.empty()) {
    cons = merge.FindOrAddChild(cmpnd, kNodeCons);
    fix = merge.FindOrAddChild(cons, kNodeFix);
  }
  if (inputs.groupList == nullptr) return;
  GroupList& groups = *inputs.groupList;
  NameGroupsAfterNodeParts(groups, nodeParts);
  for (std::size_t i = 0; i < groups.size(); ++i) {
    MeshGroup& group = groups[i];
    merge.PartEntry(cmpnd, PartEntryName(i, group.objectName), group.fileName,
                    static_cast<std::int32_t>(i), PartObjectName(i, group.objectName));
    group.partNode = merge.FindOrAddChild(root, group.fileName);
    // Files built up part by part carry this farther last switch distance.
    merge.MeshRef(merge.Levels(group.partNode, kSwitch2UpdatePartsFarthest),
                  MeshRefLeaf(libraryId, group, GroupShape(inputs, group)));
    if (level == 0) merge.RemoveHardpoints(group.partNode);
  }
  if (!nodeParts.empty()) {
    WriteNodePartJoints(tree, cons, nodeParts);
    std::vector<std::string> exported;
    for (std::size_t i = 1; i < nodeParts.size(); ++i) exported.push_back(nodeParts[i].name);
    MergeAnimationScripts(tree, inputs.extras.scripts, exported);
  } else if (inputs.extras.fixJoints) {
    const DataBlock& old = tree.Data(fix);
    const std::span<const std::uint8_t> existing =
        old ? std::span<const std::uint8_t>(*old) : std::span<const std::uint8_t>();
    if (auto records = JoinFixRecords(existing, groups, inputs.extras.warn))
      merge.Replace(fix, std::move(*records));
  }
  if (level == 0) AddGroupHardpoints(tree, inputs, groups);
}

}  // namespace svcmp
