#include "inspect/material_rules.h"

#include <gtest/gtest.h>

#include "format/name_crc.h"
#include "materials/dds_writer.h"
#include "materials/material_library.h"

namespace svcmp {
namespace {

std::vector<std::string> Lines(const Findings& findings) {
  std::vector<std::string> lines;
  for (const Finding& f : findings)
    lines.push_back(f.path + ": " + (f.severity == Severity::Error ? "error" : "warning") + " [" +
                    f.rule + "] " + f.message);
  return lines;
}

TEST(MaterialRules, NameMissingMaterialsAndTexturesAndUnsoundHeaders) {
  const RgbaImage image{4, 4, std::vector<std::uint8_t>(64, 200)};
  UtfTree tree;
  AddMaterialLibrary(tree,
                     {{"hull", {1, 1, 1}, 1, "Hull.PNG", false},
                      {"decal", {1, 1, 1}, 1, "missing.tga", false},
                      {"plain", {1, 0, 0}, 1, "", false}},
                     {{"hull.png", WriteDds(image)}, {"broken.tga", {'D', 'D', 'S', ' ', 1}}});

  CompoundModel model;
  MeshLibraryEntry entry;
  entry.path = "/VMeshLibrary/ship.lod0.vms/VMeshData";
  entry.buffer.emplace();
  for (std::uint32_t id : {NameCrc("hull"), 0u, 0xDEADBEEFu, NameCrc("plain"), 0xDEADBEEFu})
    entry.buffer->meshes.push_back({id});
  model.libraries.push_back(entry);

  MaterialLibraries libraries;
  Findings findings;
  CollectMaterialLibraries(tree, libraries, findings);
  CheckMaterialReferences(tree, model, libraries, findings);
  const std::vector<std::string> expected = {
      "/texture library/broken.tga/MIPS: error [dds-header] the texture's DDS header is not "
      "sound: shorter than a DDS header (128 bytes)",
      "/VMeshLibrary/ship.lod0.vms/VMeshData: warning [missing-material] material id 0xDEADBEEF "
      "has no material in the files checked (give the .mat file too)",
      "/material library/decal/Dt_name: warning [missing-texture] the texture \"missing.tga\" is "
      "in no texture library of the files checked",
  };
  EXPECT_EQ(Lines(findings), expected);
}

}  // namespace
}  // namespace svcmp
