#include "materials/gltf_material.h"

#include <gtest/gtest.h>

#include "tests/materials/material_type_table.h"

namespace svcmp {
namespace {

TEST(GltfMaterial, EveryTypeComesBackUnchangedFromItsOwnGltfLook) {
  for (const MaterialRecord& material : testing::EveryMaterialType()) {
    SCOPED_TRACE(material.name);
    EXPECT_EQ(MaterialOfGltf(GltfMaterialOf(material), material), material);
  }
}

TEST(GltfMaterial, SaysColoursOpacityTexturesAndSidesAsGltfDoes) {
  const MaterialRecord glass{"glass",
                             "DcDtEcOcOtTwo",
                             {{"Dc", MaterialColour{0.25f, 0.5f, 0.75f}},
                              {"Ec", MaterialColour{0.125f, 0, 1}},
                              {"Dt_name", std::string("g.tga")},
                              {"Et_name", std::string("e.tga")},
                              {"Oc", 0.3f}}};
  const GltfMaterial gltf = GltfMaterialOf(glass);
  EXPECT_EQ(gltf.name, "glass");
  EXPECT_EQ(gltf.baseColour, (std::array<float, 4>{0.25f, 0.5f, 0.75f, 0.3f}));
  EXPECT_EQ(gltf.emissive, (std::array<float, 3>{0.125f, 0, 1}));
  EXPECT_EQ(gltf.baseTexture, "g.tga");
  EXPECT_EQ(gltf.emissiveTexture, "e.tga");
  EXPECT_TRUE(gltf.blend);
  EXPECT_TRUE(gltf.doubleSided);

  // Only the colour types say blending and sides; a planet's name does not.
  const GltfMaterial air = GltfMaterialOf({"air", "AtmosphereMaterial", {}});
  EXPECT_FALSE(air.blend);
  EXPECT_FALSE(air.doubleSided);
  EXPECT_EQ(air.baseColour, (std::array<float, 4>{1, 1, 1, 1}));
}

// Blending and sides each follow their own part of the type's name.
TEST(GltfMaterial, BlendsAndTwoSidednessFollowTheType) {
  struct Case {
    const char* type;
    bool blend;
    bool doubleSided;
  };
  const Case cases[] = {
      {"DcDt", false, false},      {"DcDtTwo", false, true},   {"DcDtOcOt", true, false},
      {"DcDtOcOtTwo", true, true}, {"DcDtEcTwo", false, true}, {"DcDtBtOcOt", true, false},
      {"Nebula", false, false},    {"DcDtEtTwo", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    const GltfMaterial gltf = GltfMaterialOf({"m", c.type, {}});
    EXPECT_EQ(gltf.blend, c.blend);
    EXPECT_EQ(gltf.doubleSided, c.doubleSided);
  }
}

// An edit in the modelling program: the look changes, and the type that
// says the new look is written; flags and other leaves stay.
TEST(GltfMaterial, AnEditedLookPicksTheTypeThatSaysIt) {
  const MaterialRecord plain{
      "m", "DcDt", {{"Dt_name", std::string("a.tga")}, {"Dt_flags", std::uint32_t{74}}}};
  const MaterialRecord detail{"m",
                              "DcDtBt",
                              {{"Dt_name", std::string("a.tga")},
                               {"Dt_flags", std::uint32_t{74}},
                               {"Bt_name", std::string("b.tga")},
                               {"Bt_flags", std::uint32_t{80}}}};
  struct Case {
    const char* what;
    MaterialRecord original;
    void (*edit)(GltfMaterial&);
    std::string type;
    std::vector<MaterialLeaf> leaves;
  };
  const std::vector<Case> cases = {
      {"emission added",
       plain,
       [](GltfMaterial& g) {
         g.emissive = {0, 0.5f, 0};
       },
       "DcDtEc",
       {{"Dt_name", std::string("a.tga")},
        {"Dt_flags", std::uint32_t{74}},
        {"Ec", MaterialColour{0, 0.5f, 0}}}},
      {"made two-sided", plain, [](GltfMaterial& g) { g.doubleSided = true; }, "DcDtTwo",
       plain.leaves},
      {"made see-through",
       plain,
       [](GltfMaterial& g) {
         g.blend = true;
         g.baseColour[3] = 0.5f;
       },
       "DcDtOcOt",
       {{"Dt_name", std::string("a.tga")}, {"Dt_flags", std::uint32_t{74}}, {"Oc", 0.5f}}},
      {"glow texture added to a detail",
       detail,
       [](GltfMaterial& g) { g.emissiveTexture = "e.tga"; },
       "DcDtBtEt",
       {{"Dt_name", std::string("a.tga")},
        {"Dt_flags", std::uint32_t{74}},
        {"Bt_name", std::string("b.tga")},
        {"Bt_flags", std::uint32_t{80}},
        {"Et_name", std::string("e.tga")},
        {"Et_flags", std::uint32_t{64}}}},
      {"recoloured",
       plain,
       [](GltfMaterial& g) {
         g.baseColour = {0.5f, 0.25f, 0, 1};
       },
       "DcDt",
       {{"Dt_name", std::string("a.tga")},
        {"Dt_flags", std::uint32_t{74}},
        {"Dc", MaterialColour{0.5f, 0.25f, 0}}}},
      {"texture removed", plain, [](GltfMaterial& g) { g.baseTexture.clear(); }, "DcDt", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GltfMaterial gltf = GltfMaterialOf(c.original);
    c.edit(gltf);
    const MaterialRecord written = MaterialOfGltf(gltf, c.original);
    EXPECT_EQ(written.type, c.type);
    EXPECT_EQ(written.leaves, c.leaves);
  }
}

// Colours reach the modelling program clamped to 0 to 1: an atmosphere's
// brighter colour comes back while it is shown unchanged.
TEST(GltfMaterial, ColoursBeyondOneComeBackWhileShownClamped) {
  const MaterialRecord air{"air",
                           "AtmosphereMaterial",
                           {{"Dc", MaterialColour{1.25f, 0.5f, 0.25f}},
                            {"Ec", MaterialColour{1.3f, 1.3f, 0}}}};
  GltfMaterial shown = GltfMaterialOf(air);
  shown.baseColour[0] = 1;
  shown.emissive = {1, 1, 0};
  EXPECT_EQ(MaterialOfGltf(shown, air), air);
  shown.baseColour[1] = 0.75f;
  EXPECT_EQ(MaterialOfGltf(shown, air).leaves[0].value,
            MaterialLeafValue(MaterialColour{1, 0.75f, 0.25f}));
}

// A model made elsewhere has no material beside its glTF look.
TEST(GltfMaterial, ALookWithoutAnOriginalGetsTheReleasedTypeOfIt) {
  GltfMaterial gltf;
  gltf.name = "new";
  gltf.baseColour = {0.5f, 0.5f, 0.5f, 0.25f};
  gltf.emissive = {1, 0, 0};
  gltf.baseTexture = "n.png";
  gltf.blend = true;
  gltf.doubleSided = true;
  const MaterialRecord written = MaterialOfGltf(gltf, std::nullopt);
  const MaterialRecord expected{"new",
                                "DcDtEcOcOtTwo",
                                {{"Dc", MaterialColour{0.5f, 0.5f, 0.5f}},
                                 {"Ec", MaterialColour{1, 0, 0}},
                                 {"Dt_name", std::string("n.png")},
                                 {"Dt_flags", std::uint32_t{64}},
                                 {"Oc", 0.25f}}};
  EXPECT_EQ(written, expected);
  GltfMaterial white;
  white.name = "white";
  EXPECT_EQ(MaterialOfGltf(white, std::nullopt),
            (MaterialRecord{"white", "DcDt", {{"Dc", MaterialColour{1, 1, 1}}}}));
}

}  // namespace
}  // namespace svcmp
