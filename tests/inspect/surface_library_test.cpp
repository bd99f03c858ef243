#include "inspect/surface_library.h"

#include <gtest/gtest.h>

#include "format/name_crc.h"
#include "materials/dds_writer.h"
#include "materials/material_library.h"

namespace svcmp {
namespace {

TEST(SurfaceLibrary, ReadsWhatTheMaterialWriterWritesAndTgaLevels) {
  const RgbaImage image{4, 4, std::vector<std::uint8_t>(64, 200)};
  const std::vector<std::uint8_t> dds = WriteDds(image);
  UtfTree tree;
  AddMaterialLibrary(tree,
                     {{"hull", {0.5f, 0.25f, 1}, 1, "Hull.PNG", false},
                      {"plain", {1, 0, 0}, 1, "", false}},
                     {{"hull.png", dds}});
  // Another tool's texture kept as TGA levels.
  UtfNode decal = tree.AddNode(tree.FindNode(nullptr, "texture library"), "decal.tga");
  tree.SetData(tree.AddNode(decal, "MIP1"), ByteBlock{9});
  tree.SetData(tree.AddNode(decal, "mip0"), ByteBlock{1, 2, 3});
  tree.AddNode(tree.FindNode(nullptr, "texture library"), "empty.dds");

  SurfaceLibrary library;
  library.materials[NameCrc("plain")] = {"plain", std::nullopt, "kept.dds"};
  AddSurfaces(tree, library);

  ASSERT_EQ(library.materials.size(), 2u);
  const MaterialLook& hull = library.materials.at(NameCrc("hull"));
  EXPECT_EQ(hull.name, "hull");
  EXPECT_EQ(hull.diffuse, (std::array<float, 3>{0.5f, 0.25f, 1}));
  EXPECT_EQ(hull.textureName, "Hull.PNG");
  EXPECT_EQ(library.materials.at(NameCrc("plain")).textureName, "kept.dds");  // present first

  const TextureImageBytes* hullTexture = library.FindTexture(hull.textureName);
  ASSERT_NE(hullTexture, nullptr);
  EXPECT_EQ(hullTexture->kind, TextureImageKind::Dds);
  EXPECT_EQ(hullTexture->bytes, dds);
  const TextureImageBytes* decalTexture = library.FindTexture("DECAL.tga");
  ASSERT_NE(decalTexture, nullptr);
  EXPECT_EQ(decalTexture->kind, TextureImageKind::Tga);
  EXPECT_EQ(decalTexture->bytes, (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(library.FindTexture("empty.dds"), nullptr);  // no image at all
}

}  // namespace
}  // namespace svcmp
