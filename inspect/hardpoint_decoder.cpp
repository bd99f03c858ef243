#include "inspect/hardpoint_decoder.h"

#include "format/cmp_leaf_layout.h"
#include "format/cmp_node_names.h"
#include "inspect/leaf_reader.h"
#include "inspect/node_lookup.h"

namespace svcmp {
namespace {

// Our export writes a limit as a float and 32 zero bits; most other tools
// write the float alone.
constexpr std::size_t kShortLimitLeafSize = 4;

class HardpointReader {
 public:
  HardpointReader(const UtfTree& tree, UtfNode node, Hardpoint& hardpoint, Findings& findings)
      : tree_(tree), node_(node), hardpoint_(hardpoint), findings_(findings) {}

  // The leaf named `name` if present and of one of the sizes; else nullopt,
  // with an error for a wrong size and a warning when it is missing.
  std::optional<LeafReader> Leaf(std::string_view name, std::size_t size,
                                 std::size_t otherSize = 0) {
    UtfNode leaf = FindChildNoCase(tree_, node_, name);
    if (leaf == nullptr) {
      findings_.push_back({hardpoint_.path, Severity::Warning, std::string(rules::kHardpointLeaf),
                           "the hardpoint has no \"" + std::string(name) + "\""});
      return std::nullopt;
    }
    const LeafReader reader(LeafBytes(tree_, leaf));
    if (reader.Size() != size && (otherSize == 0 || reader.Size() != otherSize)) {
      std::string expected = std::to_string(size);
      if (otherSize != 0) expected += " or " + std::to_string(otherSize);
      findings_.push_back({NodePath(tree_, leaf), Severity::Error, std::string(rules::kLeafSize),
                           "\"" + std::string(name) + "\" is " + expected + " bytes, this one " +
                               std::to_string(reader.Size())});
      return std::nullopt;
    }
    return reader;
  }

 private:
  const UtfTree& tree_;
  UtfNode node_;
  Hardpoint& hardpoint_;
  Findings& findings_;
};

Hardpoint ReadHardpoint(const UtfTree& tree, UtfNode node, HardpointKind kind, Findings& findings) {
  Hardpoint hardpoint;
  hardpoint.kind = kind;
  hardpoint.name = tree.Name(node);
  hardpoint.path = NodePath(tree, node);
  HardpointReader reader(tree, node, hardpoint, findings);
  if (auto leaf = reader.Leaf(kNodePosition, kVectorLeafSize))
    hardpoint.position = leaf->Floats<3>(0);
  if (auto leaf = reader.Leaf(kNodeOrientation, kOrientationLeafSize)) {
    hardpoint.orientation = leaf->Floats<9>(0);
  }
  if (kind == HardpointKind::Revolute) {
    if (auto leaf = reader.Leaf(kNodeAxis, kVectorLeafSize)) hardpoint.axis = leaf->Floats<3>(0);
    if (auto leaf = reader.Leaf(kNodeMin, kLimitLeafSize, kShortLimitLeafSize)) {
      hardpoint.min = leaf->Float(0);
    }
    if (auto leaf = reader.Leaf(kNodeMax, kLimitLeafSize, kShortLimitLeafSize)) {
      hardpoint.max = leaf->Float(0);
    }
  }
  return hardpoint;
}

}  // namespace

void DecodeHardpoints(const UtfTree& tree, UtfNode hardpointsNode,
                      std::vector<Hardpoint>& hardpoints, Findings& findings) {
  for (const auto& [kindName, kind] : {std::pair{kNodeFixed, HardpointKind::Fixed},
                                       std::pair{kNodeRevolute, HardpointKind::Revolute}}) {
    UtfNode kindNode = FindChildNoCase(tree, hardpointsNode, kindName);
    for (UtfNode node = kindNode ? tree.FirstChild(kindNode) : nullptr; node;
         node = tree.NextSibling(node)) {
      hardpoints.push_back(ReadHardpoint(tree, node, kind, findings));
    }
  }
}

}  // namespace svcmp
