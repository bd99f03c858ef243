#include "inspect/material_names.h"

#include "format/material_node_names.h"
#include "format/name_crc.h"
#include "inspect/node_lookup.h"

namespace svcmp {

void AddMaterialNames(const UtfTree& tree, std::map<std::uint32_t, std::string>& names) {
  UtfNode library = FindChildNoCase(tree, tree.Root(), kNodeMaterialLibrary);
  for (UtfNode material = library ? tree.FirstChild(library) : nullptr; material;
       material = tree.NextSibling(material)) {
    if (tree.Data(material)) continue;  // "Material count", beside the materials
    names.emplace(NameCrc(tree.Name(material)), tree.Name(material));
  }
}

}  // namespace svcmp
