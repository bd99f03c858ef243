#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <limits>
#include <nlohmann/json.hpp>

#include "import/material_extras.h"
#include "inspect/material_records.h"
#include "inspect/surface_library.h"
#include "materials/image_decoding.h"
#include "materials/material_library.h"
#include "materials/material_records.h"
#include "render/png_encoder.h"
#include "render/texture_decoder.h"
#include "tests/cli/cmptool_runner.h"
#include "tests/cmp/cmp_test_fixtures.h"
#include "utf/utf_reader.h"
#include "utf/utf_writer.h"

// cmptool convert gives a glTF each material's look, its textures as PNG
// beside it with the stored bytes kept, and the game's material as extras.
namespace svcmp {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;
using ConvertMaterials = testing::CmptoolTest;

const std::string kShip = "'" SVCMP_EXAMPLES "/sample_ship.json'";
constexpr char kTexture[] = "sample_ship_hull.png";

Json GltfJson(const std::string& bytes, bool binary) {
  if (!binary) return Json::parse(bytes);
  std::uint32_t length = 0;
  std::memcpy(&length, bytes.data() + 12, 4);
  return Json::parse(bytes.substr(20, length));
}

const Json* MaterialNamed(const Json& gltf, const std::string& name) {
  for (const Json& material : gltf["materials"]) {
    if (material.value("name", "") == name) return &material;
  }
  return nullptr;
}

std::vector<std::uint8_t> StoredTexture(const fs::path& model) {
  UtfTree tree;
  EXPECT_TRUE(ReadUtfFile(model, tree, nullptr).ok());
  SurfaceLibrary library;
  AddSurfaces(tree, library);
  const TextureImageBytes* stored = library.FindTexture(kTexture);
  return stored ? stored->bytes : std::vector<std::uint8_t>();
}

void WriteLibrary(const fs::path& path, const std::vector<MaterialRecord>& materials,
                  const std::vector<std::uint8_t>& dds) {
  UtfTree tree;
  AddMaterialRecords(tree, materials);
  AddMaterialLibrary(tree, {}, {{kTexture, dds}});
  ASSERT_TRUE(WriteUtfFile(tree, path).written);
}

std::vector<std::uint8_t> FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Expected {
  std::vector<double> baseColour;
  std::vector<double> emissive;
  bool blend;
  bool doubleSided;
  bool textured;
};

TEST_F(ConvertMaterials, WritesLooksTexturesAndTheGameMaterialFromTheLibraryGiven) {
  ASSERT_EQ(Run("export " + kShip + " -o ship.cmp -q --game-ready --groups 1,2,1").exitStatus, 0);
  const std::vector<std::uint8_t> dds = StoredTexture(folder_ / "ship.cmp");
  ASSERT_GT(dds.size(), 128u);
  const MaterialRecord hull{"sampleship_hull",
                            "DcDtEcOcOtTwo",
                            {{"Dc", MaterialColour{0.25f, 0.5f, 0.75f}},
                             {"Dt_name", std::string(kTexture)},
                             {"Dt_flags", std::uint32_t{74}},
                             {"Ec", MaterialColour{0.125f, 0.375f, 0.625f}},
                             {"Oc", 0.75f}}};
  const MaterialRecord trim{"sampleship_trim",
                            "DcDtBt",
                            {{"Dc", MaterialColour{0.5f, 0.25f, 0.125f}},
                             {"Bt_name", std::string("grime")},
                             {"Bt_flags", std::uint32_t{80}}}};
  WriteLibrary(folder_ / "lib.mat", {hull, trim}, dds);
  const std::map<std::string, std::pair<MaterialRecord, Expected>> expected = {
      {hull.name, {hull, {{0.25, 0.5, 0.75, 0.75}, {0.125, 0.375, 0.625}, true, true, true}}},
      {trim.name, {trim, {{0.5, 0.25, 0.125, 1}, {0, 0, 0}, false, false, false}}},
  };

  for (const bool binary : {false, true}) {
    SCOPED_TRACE(binary ? "glb" : "gltf");
    const fs::path out = folder_ / (binary ? "b" : "t");
    fs::create_directory(out);
    const std::string model = (out / (binary ? "ship.glb" : "ship.gltf")).string();
    const auto convert = Run("convert ship.cmp --materials lib.mat -o '" + model + "'");
    ASSERT_EQ(convert.exitStatus, 0) << convert.err;
    EXPECT_EQ(convert.err, "");
    const Json gltf = GltfJson(FileText(fs::relative(model, folder_).string()), binary);
    for (const auto& [name, want] : expected) {
      SCOPED_TRACE(name);
      const Json* material = MaterialNamed(gltf, name);
      ASSERT_NE(material, nullptr);
      const Json& pbr = (*material)["pbrMetallicRoughness"];
      EXPECT_EQ(pbr["baseColorFactor"].get<std::vector<double>>(), want.second.baseColour);
      EXPECT_EQ((*material)["emissiveFactor"].get<std::vector<double>>(), want.second.emissive);
      EXPECT_EQ(material->value("alphaMode", "OPAQUE"), want.second.blend ? "BLEND" : "OPAQUE");
      EXPECT_EQ(material->value("doubleSided", false), want.second.doubleSided);
      EXPECT_EQ(pbr.contains("baseColorTexture"), want.second.textured);
      EXPECT_EQ(MaterialRecordOfJson((*material)["extras"][kMaterialExtrasKey], name), want.first);
    }
    // One image, the PNG beside the model, with the same pixels as the DDS
    // kept beside it, which holds the library's bytes.
    ASSERT_EQ(gltf["images"].size(), 1u);
    EXPECT_EQ(gltf["images"][0]["uri"], "sample_ship_hull.png.png");
    EXPECT_EQ(FileBytes(out / "sample_ship_hull.png.dds"), dds);
    const std::vector<std::uint8_t> png = FileBytes(out / "sample_ship_hull.png.png");
    const ImageDecodeResult picture = DecodeImage(png);
    const render::DecodedTexture stored = render::DecodeTexture({TextureImageKind::Dds, dds});
    ASSERT_TRUE(picture.image && stored.image);
    ASSERT_EQ(picture.image->width, stored.image->width);
    ASSERT_EQ(picture.image->height, stored.image->height);
    bool same = true;
    for (std::size_t i = 0; i < stored.image->pixels.size(); ++i) {
      const render::Rgb& want = stored.image->pixels[i];
      const std::uint8_t* is = picture.image->pixels.data() + 4 * i;
      same = same && is[0] == want.r && is[1] == want.g && is[2] == want.b;
    }
    EXPECT_TRUE(same);
  }
}

TEST_F(ConvertMaterials, NamesATextureNoLibraryHoldsAndWritesTheRest) {
  ASSERT_EQ(Run("export " + kShip + " -o ship.cmp -q --game-ready --groups 1,2,1").exitStatus, 0);
  const MaterialRecord hull{
      "sampleship_hull",
      "DcDt",
      {{"Dt_name", std::string("nowhere.tga")}, {"Dt_flags", std::uint32_t{64}}}};
  const MaterialRecord broken{
      "sampleship_trim",
      "DcDt",
      {{"Dc", MaterialColour{0.5f, std::numeric_limits<float>::quiet_NaN(), 1}}}};
  UtfTree tree;
  AddMaterialRecords(tree, {hull, broken});
  ASSERT_TRUE(WriteUtfFile(tree, folder_ / "lib.mat").written);
  const auto convert = Run("convert ship.cmp --materials lib.mat -o ship.gltf");
  ASSERT_EQ(convert.exitStatus, 0) << convert.err;
  EXPECT_NE(convert.err.find("warning: ship.cmp: material sampleship_trim has a number that is "
                             "not finite; it is written without its look"),
            std::string::npos)
      << convert.err;
  EXPECT_NE(convert.err.find("warning: ship.cmp: texture nowhere.tga of material "
                             "sampleship_hull is in no texture library read"),
            std::string::npos)
      << convert.err;
  const Json gltf = GltfJson(FileText("ship.gltf"), false);
  const Json* material = MaterialNamed(gltf, "sampleship_hull");
  ASSERT_NE(material, nullptr);
  EXPECT_FALSE((*material)["pbrMetallicRoughness"].contains("baseColorTexture"));
  EXPECT_EQ(MaterialRecordOfJson((*material)["extras"][kMaterialExtrasKey], hull.name), hull);
  // The broken trim material has glTF's default look and no extras.
  const Json* trim = MaterialNamed(gltf, "sampleship_trim");
  ASSERT_NE(trim, nullptr);
  EXPECT_FALSE(trim->contains("extras"));
  EXPECT_EQ((*trim)["pbrMetallicRoughness"]["baseColorFactor"], Json::array({1.0, 1.0, 1.0, 1.0}));
}

std::map<std::string, MaterialRecord> RecordsIn(const fs::path& model) {
  UtfTree tree;
  EXPECT_TRUE(ReadUtfFile(model, tree, nullptr).ok());
  std::map<std::string, MaterialRecord> records;
  for (MaterialRecord& record : ReadMaterialRecords(tree).materials) {
    records.emplace(record.name, std::move(record));
  }
  return records;
}

// convert, then export of what it wrote: the same types and leaves, and the
// texture's own bytes while its picture is unchanged.
TEST_F(ConvertMaterials, ExportOfTheConvertedModelGivesTheSameMaterialsAndTextureBytes) {
  ASSERT_EQ(Run("export " + kShip + " -o ship.cmp -q --game-ready --groups 1,2,1").exitStatus, 0);
  const std::vector<std::uint8_t> dds = StoredTexture(folder_ / "ship.cmp");
  const MaterialLeaf dt{"Dt_name", std::string(kTexture)};
  const MaterialLeaf dtf{"Dt_flags", std::uint32_t{74}};
  const MaterialColour dc{0.25f, 0.5f, 0.75f};
  const MaterialColour ec{0.125f, 0.375f, 0.625f};
  struct Case {
    MaterialRecord hull;
    MaterialRecord trim;
  };
  const std::vector<Case> cases = {
      {{"sampleship_hull", "DcDtEcOcOtTwo", {{"Dc", dc}, dt, dtf, {"Ec", ec}, {"Oc", 0.75f}}},
       {"sampleship_trim",
        "DcDtBt",
        {{"Dc", dc}, {"Bt_name", std::string("grime")}, {"Bt_flags", std::uint32_t{80}}}}},
      {{"sampleship_hull",
        "DcDtEt",
        {dt, dtf, {"Et_name", std::string(kTexture)}, {"Et_flags", std::uint32_t{90}}}},
       {"sampleship_trim", "DcDtOcOt", {{"Dc", dc}}}},
      {{"sampleship_hull",
        "DetailMapMaterial",
        {{"Ac", MaterialColour{1, 1, 1}},
         {"Dc", dc},
         {"Dm_flags", std::uint32_t{64}},
         {"Dm_name", std::string("rock")},
         dtf,
         dt,
         {"flip u", 0.0f},
         {"flip v", 0.0f},
         {"TileRate", 12.0f}}},
       {"sampleship_trim", "Nebula", {{"Ec", ec}}}},
      {{"sampleship_hull", "DcDt", {dt, dtf, {"Ec", ec}}},
       {"sampleship_trim", "DcDtEcTwo", {{"Ec", ec}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hull.type + " " + c.trim.type);
    WriteLibrary(folder_ / "lib.mat", {c.hull, c.trim}, dds);
    const auto convert = Run("convert ship.cmp --materials lib.mat -o model.gltf --force");
    ASSERT_EQ(convert.exitStatus, 0) << convert.err;
    const auto exported =
        Run("export model.gltf -o back.cmp -q --force --game-ready --parts nodes");
    ASSERT_EQ(exported.exitStatus, 0) << exported.err;
    const std::map<std::string, MaterialRecord> back = RecordsIn(folder_ / "back.cmp");
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back.at(c.hull.name), c.hull);
    EXPECT_EQ(back.at(c.trim.name), c.trim);
    EXPECT_EQ(StoredTexture(folder_ / "back.cmp"), dds);
  }

  // An edited picture is the texture now, under the texture's own name.
  const ImageDecodeResult picture = DecodeImage(FileBytes(folder_ / "sample_ship_hull.png.png"));
  ASSERT_TRUE(picture.image);
  render::TextureImage edited{picture.image->width, picture.image->height, {}};
  for (std::size_t i = 0; i < picture.image->pixels.size(); i += 4) {
    edited.pixels.push_back({255, picture.image->pixels[i + 1], picture.image->pixels[i + 2]});
  }
  const std::vector<std::uint8_t> png = render::EncodePng(edited);
  testing::WriteBytes(folder_ / "sample_ship_hull.png.png", png);
  ASSERT_EQ(Run("export model.gltf -o back.cmp -q --force --game-ready --parts nodes").exitStatus,
            0);
  const std::vector<std::uint8_t> reencoded = StoredTexture(folder_ / "back.cmp");
  EXPECT_FALSE(reencoded.empty());
  EXPECT_NE(reencoded, dds);
  EXPECT_EQ(RecordsIn(folder_ / "back.cmp").at("sampleship_hull").Find("Dt_name")->value,
            MaterialLeafValue(std::string(kTexture)));
}

// A model made elsewhere: a two-sided material whose image the file holds
// inside is written as the two-sided type with that image as its texture.
TEST_F(ConvertMaterials, AnImageInsideTheFileIsTheTextureOfATwoSidedMaterial) {
  ASSERT_EQ(Run("export " + kShip + " -o ship.cmp -q --game-ready --groups 1,2,1").exitStatus, 0);
  ASSERT_EQ(Run("convert ship.cmp -o model.gltf").exitStatus, 0);
  Json gltf = Json::parse(FileText("model.gltf"));
  const std::vector<std::uint8_t> png = FileBytes(folder_ / "sample_ship_hull.png.png");
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string base64;
  for (std::size_t i = 0; i < png.size(); i += 3) {
    const std::uint32_t word = png[i] << 16 | (i + 1 < png.size() ? png[i + 1] << 8 : 0) |
                               (i + 2 < png.size() ? png[i + 2] : 0);
    for (std::size_t k = 0; k < 4; ++k) {
      base64 += i + k <= png.size() ? kDigits[(word >> (18 - 6 * k)) & 63] : '=';
    }
  }
  gltf["images"][0]["uri"] = "data:image/png;base64," + base64;
  for (Json& material : gltf["materials"]) {
    material.erase("extras");
    material["doubleSided"] = true;
  }
  fs::remove(folder_ / "sample_ship_hull.png.png");
  testing::WriteBytes(folder_ / "model.gltf", [&] {
    const std::string text = gltf.dump();
    return std::vector<std::uint8_t>(text.begin(), text.end());
  }());
  const auto exported = Run("export model.gltf -o back.cmp --force --game-ready --parts nodes");
  ASSERT_EQ(exported.exitStatus, 0) << exported.err;
  EXPECT_EQ(exported.err.find("texture"), std::string::npos) << exported.err;
  const std::map<std::string, MaterialRecord> back = RecordsIn(folder_ / "back.cmp");
  const MaterialRecord& hull = back.at("sampleship_hull");
  EXPECT_EQ(hull.type, "DcDtTwo");
  ASSERT_NE(hull.Find("Dt_name"), nullptr);
  UtfTree tree;
  ASSERT_TRUE(ReadUtfFile(folder_ / "back.cmp", tree, nullptr).ok());
  SurfaceLibrary library;
  AddSurfaces(tree, library);
  EXPECT_NE(library.FindTexture(std::get<std::string>(hull.Find("Dt_name")->value)), nullptr);
  EXPECT_EQ(back.at("sampleship_trim").type, "DcDtTwo");
}

}  // namespace
}  // namespace svcmp
