#include "inspect/material_rules.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "format/material_node_names.h"
#include "inspect/material_names.h"
#include "inspect/node_lookup.h"
#include "inspect/texture_library.h"

namespace svcmp {
namespace {

std::string LowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// A zero-terminated text leaf; the bytes up to the first zero.
std::string TextOf(const UtfTree& tree, UtfNode node) {
  const auto bytes = LeafBytes(tree, node);
  const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  return std::string(bytes.begin(), end);
}

std::string Hex(std::uint32_t id) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", id);
  return text;
}

}  // namespace

void CollectMaterialLibraries(const UtfTree& tree, MaterialLibraries& libraries,
                              Findings& findings) {
  AddMaterialNames(tree, libraries.materials);
  for (const TextureEntry& texture : DecodeTextureLibrary(tree)) {
    libraries.textures.insert(LowerCase(texture.name));
    if (texture.header && !texture.header->sound) {
      findings.push_back({texture.mipsPath, Severity::Error, std::string(rules::kDdsHeader),
                          "the texture's DDS header is not sound: " + texture.header->reason});
    }
  }
}

void CheckMaterialReferences(const UtfTree& tree, const CompoundModel& model,
                             const MaterialLibraries& libraries, Findings& findings) {
  for (const MeshLibraryEntry& entry : model.libraries) {
    if (!entry.buffer) continue;
    std::set<std::uint32_t> reported;
    for (const BufferMesh& mesh : entry.buffer->meshes) {
      if (mesh.materialId == 0 || libraries.materials.count(mesh.materialId) != 0) continue;
      if (!reported.insert(mesh.materialId).second) continue;
      findings.push_back({entry.path, Severity::Warning, std::string(rules::kMissingMaterial),
                          "material id " + Hex(mesh.materialId) +
                              " has no material in the files checked (give the .mat file too)"});
    }
  }
  UtfNode library = FindChildNoCase(tree, tree.Root(), kNodeMaterialLibrary);
  for (UtfNode material = library ? tree.FirstChild(library) : nullptr; material;
       material = tree.NextSibling(material)) {
    UtfNode textureName = FindChildNoCase(tree, material, kNodeDiffuseTextureName);
    if (!textureName) continue;
    const std::string name = TextOf(tree, textureName);
    if (libraries.textures.count(LowerCase(name)) != 0) continue;
    findings.push_back(
        {NodePath(tree, textureName), Severity::Warning, std::string(rules::kMissingTexture),
         "the texture \"" + name + "\" is in no texture library of the files checked"});
  }
}

}  // namespace svcmp
