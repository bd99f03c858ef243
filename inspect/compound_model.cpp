#include "inspect/compound_model.h"

#include <charconv>

#include "format/cmp_leaf_layout.h"
#include "format/cmp_node_names.h"
#include "format/name_crc.h"
#include "inspect/animation_decoder.h"
#include "inspect/hardpoint_decoder.h"
#include "inspect/joint_decoder.h"
#include "inspect/leaf_reader.h"
#include "inspect/material_names.h"
#include "inspect/mesh_buffer_decoder.h"
#include "inspect/mesh_ref_decoder.h"
#include "inspect/node_lookup.h"
#include "inspect/texture_library.h"
#include "inspect/wire_decoder.h"

namespace svcmp {
namespace {

// Other tools write a part's "Index" as the 32-bit number alone.
constexpr std::size_t kShortIndexLeafSize = 4;
constexpr std::string_view kLevelPrefix = "Level";

class ModelDecoder {
 public:
  ModelDecoder(const UtfTree& tree, CompoundModel& model) : tree_(tree), model_(model) {}

  void Decode() {
    UtfNode top = tree_.Root();
    if (top == nullptr) return;
    DecodeLibraries(FindChildNoCase(tree_, top, kNodeVMeshLibrary));
    AddMaterialNames(tree_, model_.materialNames);
    model_.textures = DecodeTextureLibrary(tree_);
    model_.scripts = DecodeAnimationScripts(tree_, model_.findings);
    UtfNode cmpnd = FindChildNoCase(tree_, top, kNodeCmpnd);
    if (cmpnd == nullptr) {
      // A single model: the top node is its model node.
      Part part;
      part.path = NodePath(tree_, top);
      DecodeModelNode(top, part);
      model_.parts.push_back(std::move(part));
      return;
    }
    model_.compound = true;
    for (UtfNode child = tree_.FirstChild(top); child; child = tree_.NextSibling(child)) {
      if (IsModelNode(child)) model_.modelNodes.push_back(tree_.Name(child));
    }
    for (UtfNode child = tree_.FirstChild(cmpnd); child; child = tree_.NextSibling(child)) {
      const std::string& name = tree_.Name(child);
      if (SameNameNoCase(name, kNodeCons)) {
        DecodeJoints(child);
      } else if (SameNameNoCase(name, kNodeRootPart) ||
                 SameNameNoCase(std::string_view(name).substr(0, kPartPrefix.size()),
                                kPartPrefix)) {
        model_.parts.push_back(DecodePart(top, child));
      }
    }
  }

 private:
  void Report(UtfNode node, std::string_view rule, std::string message) {
    model_.findings.push_back(
        {NodePath(tree_, node), Severity::Error, std::string(rule), std::move(message)});
  }

  bool IsModelNode(UtfNode node) const {
    const std::string_view name = tree_.Name(node);
    return (name.size() >= kModelFileSuffix.size() &&
            SameNameNoCase(name.substr(name.size() - kModelFileSuffix.size()), kModelFileSuffix)) ||
           FindChildNoCase(tree_, node, kNodeMultiLevel) ||
           FindChildNoCase(tree_, node, kNodeVMeshPart);
  }

  void DecodeLibraries(UtfNode library) {
    for (UtfNode entry = library ? tree_.FirstChild(library) : nullptr; entry;
         entry = tree_.NextSibling(entry)) {
      MeshLibraryEntry decoded;
      decoded.name = tree_.Name(entry);
      decoded.id = NameCrc(decoded.name);
      UtfNode data = FindChildNoCase(tree_, entry, kNodeVMeshData);
      decoded.path = NodePath(tree_, data ? data : entry);
      if (data)
        decoded.buffer = DecodeMeshBuffer(LeafBytes(tree_, data), decoded.path, model_.findings);
      model_.libraries.push_back(std::move(decoded));
    }
  }

  std::string TextLeaf(UtfNode parent, std::string_view name) {
    UtfNode leaf = FindChildNoCase(tree_, parent, name);
    if (leaf == nullptr) return {};
    const LeafReader reader(LeafBytes(tree_, leaf));
    return reader.Text(0, reader.Size());
  }

  Part DecodePart(UtfNode top, UtfNode entry) {
    Part part;
    part.path = NodePath(tree_, entry);
    part.fileName = TextLeaf(entry, kNodeFileName);
    part.objectName = TextLeaf(entry, kNodeObjectName);
    if (UtfNode index = FindChildNoCase(tree_, entry, kNodeIndex)) {
      const LeafReader reader(LeafBytes(tree_, index));
      if (reader.Size() == kIndexLeafSize || reader.Size() == kShortIndexLeafSize) {
        part.index = static_cast<std::int32_t>(reader.U32(0));
      } else {
        Report(index, rules::kLeafSize,
               "\"Index\" is " + std::to_string(kShortIndexLeafSize) + " or " +
                   std::to_string(kIndexLeafSize) + " bytes, this one " +
                   std::to_string(reader.Size()));
      }
    }
    if (UtfNode modelNode =
            part.fileName.empty() ? nullptr : FindChildNoCase(tree_, top, part.fileName)) {
      DecodeModelNode(modelNode, part);
    }
    return part;
  }

  void DecodeModelNode(UtfNode modelNode, Part& part) {
    part.modelPath = NodePath(tree_, modelNode);
    if (UtfNode multiLevel = FindChildNoCase(tree_, modelNode, kNodeMultiLevel)) {
      for (UtfNode child = tree_.FirstChild(multiLevel); child; child = tree_.NextSibling(child)) {
        const std::string_view name = tree_.Name(child);
        if (SameNameNoCase(name, kNodeSwitch2)) {
          DecodeSwitch2(child, part);
        } else if (SameNameNoCase(name.substr(0, kLevelPrefix.size()), kLevelPrefix)) {
          Level level;
          const std::string_view digits = name.substr(kLevelPrefix.size());
          std::from_chars(digits.data(), digits.data() + digits.size(), level.number);
          DecodeLevel(child, level);
          part.levels.push_back(std::move(level));
        }
      }
    } else if (FindChildNoCase(tree_, modelNode, kNodeVMeshPart)) {
      Level level;
      DecodeLevel(modelNode, level);
      part.levels.push_back(std::move(level));
    }
    if (UtfNode hardpoints = FindChildNoCase(tree_, modelNode, kNodeHardpoints)) {
      DecodeHardpoints(tree_, hardpoints, part.hardpoints, model_.findings);
    }
    // Found by name: other tools put it anywhere among the model node's children.
    if (UtfNode wireNode = FindChildNoCase(tree_, modelNode, kNodeVMeshWire)) {
      if (UtfNode data = FindChildNoCase(tree_, wireNode, kNodeVWireData)) {
        part.wire = DecodeWire(LeafBytes(tree_, data), NodePath(tree_, data), model_.findings);
      }
    }
  }

  void DecodeSwitch2(UtfNode node, Part& part) {
    const LeafReader reader(LeafBytes(tree_, node));
    if (reader.Size() % 4 != 0) {
      Report(node, rules::kLeafSize,
             "\"Switch2\" is a list of 4-byte floats, this one " + std::to_string(reader.Size()) +
                 " bytes");
    }
    for (std::size_t at = 0; at + 4 <= reader.Size(); at += 4) {
      part.switchDistances.push_back(reader.Float(at));
    }
  }

  void DecodeLevel(UtfNode levelNode, Level& level) {
    level.path = NodePath(tree_, levelNode);
    for (UtfNode meshPart = tree_.FirstChild(levelNode); meshPart;
         meshPart = tree_.NextSibling(meshPart)) {
      if (!SameNameNoCase(tree_.Name(meshPart), kNodeVMeshPart)) continue;
      if (UtfNode refNode = FindChildNoCase(tree_, meshPart, kNodeVMeshRef)) {
        if (auto ref = DecodeMeshRef(LeafBytes(tree_, refNode), NodePath(tree_, refNode),
                                     model_.findings)) {
          level.meshRefs.push_back(*ref);
        }
      }
    }
  }

  // The joint lists in file order; other children of "Cons" are not joints we know.
  void DecodeJoints(UtfNode cons) {
    for (UtfNode list = tree_.FirstChild(cons); list; list = tree_.NextSibling(list)) {
      for (const auto& [name, kind] :
           {std::pair{kNodeFix, JointKind::Fix}, std::pair{kNodeRev, JointKind::Rev},
            std::pair{kNodePris, JointKind::Pris}, std::pair{kNodeSphere, JointKind::Sphere}}) {
        if (!SameNameNoCase(tree_.Name(list), name)) continue;
        const auto bytes = LeafBytes(tree_, list);
        if (bytes.empty()) model_.emptyJointLists.push_back(NodePath(tree_, list));
        DecodeJointList(kind, bytes, NodePath(tree_, list), model_.joints, model_.findings);
      }
    }
  }

  const UtfTree& tree_;
  CompoundModel& model_;
};

}  // namespace

const MeshLibraryEntry* CompoundModel::FindLibrary(std::uint32_t id) const {
  for (const MeshLibraryEntry& entry : libraries) {
    if (entry.id == id) return &entry;
  }
  return nullptr;
}

CompoundModel DecodeCompoundModel(const UtfTree& tree) {
  CompoundModel model;
  ModelDecoder(tree, model).Decode();
  return model;
}

}  // namespace svcmp
