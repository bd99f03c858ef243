#include "inspect/material_records.h"

#include "format/material_node_names.h"
#include "inspect/leaf_reader.h"
#include "inspect/node_lookup.h"

namespace svcmp {
namespace {

// The leaf's value by the kind its name gives it; false when it is too short.
bool ReadLeaf(std::string_view name, std::span<const std::uint8_t> bytes,
              MaterialLeafValue& value) {
  const LeafReader reader(bytes);
  switch (MaterialLeafKindOf(name)) {
    case MaterialLeafKind::Text:
      value = reader.Text(0, reader.Size());
      return true;
    case MaterialLeafKind::Colour:
      value = reader.Floats<3>(0);
      return reader.Holds(0, 12);
    case MaterialLeafKind::Number:
      value = reader.Float(0);
      return reader.Holds(0, 4);
    case MaterialLeafKind::Flags:
      value = reader.U32(0);
      return reader.Holds(0, 4);
    case MaterialLeafKind::Bytes:
      value = std::vector<std::uint8_t>(bytes.begin(), bytes.end());
      return true;
  }
  return false;
}

}  // namespace

MaterialRecordsResult ReadMaterialRecords(const UtfTree& tree) {
  MaterialRecordsResult result;
  UtfNode library = FindChildNoCase(tree, tree.Root(), kNodeMaterialLibrary);
  for (UtfNode material = library ? tree.FirstChild(library) : nullptr; material;
       material = tree.NextSibling(material)) {
    if (tree.Data(material)) continue;  // a leaf beside the materials
    MaterialRecord& record = result.materials.emplace_back();
    record.name = tree.Name(material);
    for (UtfNode leaf = tree.FirstChild(material); leaf; leaf = tree.NextSibling(leaf)) {
      const std::string& name = tree.Name(leaf);
      const std::span<const std::uint8_t> bytes = LeafBytes(tree, leaf);
      if (SameNameNoCase(name, kNodeType)) {
        record.type = LeafReader(bytes).Text(0, bytes.size());
        continue;
      }
      MaterialLeafValue value;
      if (!ReadLeaf(name, bytes, value)) {
        result.problems.push_back(NodePath(tree, leaf) + " is " + std::to_string(bytes.size()) +
                                  " bytes long, too short for its value; it is left out");
        continue;
      }
      record.leaves.push_back({name, std::move(value)});
    }
  }
  return result;
}

}  // namespace svcmp
