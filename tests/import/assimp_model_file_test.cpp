#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

#include "assimp_test_files.h"
#include "host/model_document.h"
#include "host/model_document_writer.h"
#include "import/model_file.h"
#include "load_through_importer.h"

namespace svcmp {
namespace {

class ModelFile : public testing::ModelFileTest {};

std::string ReadText(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Bit for bit: names, materials, every float's bits and every index.
void ExpectSameModel(const msModel& a, const msModel& b) {
  ASSERT_EQ(a.materials.size(), b.materials.size());
  for (std::size_t i = 0; i < a.materials.size(); ++i) {
    const msMaterial& x = a.materials[i];
    const msMaterial& y = b.materials[i];
    EXPECT_EQ(x.name, y.name);
    EXPECT_EQ(x.diffuse, y.diffuse) << x.name;
    EXPECT_EQ(x.opacity, y.opacity) << x.name;
    EXPECT_EQ(x.diffuseTexture, y.diffuseTexture) << x.name;
    EXPECT_EQ(x.embeddedTexture, y.embeddedTexture) << x.name;
  }
  ASSERT_EQ(a.meshes.size(), b.meshes.size());
  for (std::size_t m = 0; m < a.meshes.size(); ++m) {
    const msMesh& x = a.meshes[m];
    const msMesh& y = b.meshes[m];
    EXPECT_EQ(x.name, y.name);
    EXPECT_EQ(x.materialIndex, y.materialIndex) << x.name;
    ASSERT_EQ(x.vertices.size(), y.vertices.size()) << x.name;
    for (std::size_t v = 0; v < x.vertices.size(); ++v) {
      for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(std::bit_cast<std::uint32_t>(x.vertices[v].position[k]),
                  std::bit_cast<std::uint32_t>(y.vertices[v].position[k]))
            << x.name << " vertex " << v;
      }
      for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(std::bit_cast<std::uint32_t>(x.vertices[v].texCoords[k]),
                  std::bit_cast<std::uint32_t>(y.vertices[v].texCoords[k]))
            << x.name << " vertex " << v;
      }
    }
    ASSERT_EQ(x.triangles.size(), y.triangles.size()) << x.name;
    for (std::size_t t = 0; t < x.triangles.size(); ++t) {
      for (int k = 0; k < 3; ++k) EXPECT_EQ(x.triangles[t].indices[k], y.triangles[t].indices[k]);
    }
  }
}

// Floats that a careless writer loses: the shortest decimal of a float is not
// always the shortest of the double it widens to, and -0, denormals and the
// extremes must survive too.
HostModelPtr TrickyModel() {
  HostModelPtr model = MakeHostModel();
  model->materials = {{"metal \"polished\""}, {"gl\\ass/\xC3\xA9t\xC3\xA9"}};
  model->materials.push_back({"lamp",
                              {{0.1f, 1.0f / 3.0f, 1.0f}},
                              0.0f,
                              "tex\\lamp \"1\".png",
                              {0x89, 'P', 'N', 'G', 0, 255, 7}});
  model->materials.push_back({"tinted", {{0.0f, 0.5f, 1e-45f}}, std::nullopt, "", {}});
  msMesh mesh;
  mesh.name = "hull\tone";
  mesh.materialIndex = 1;
  const float values[] = {0.1f,        -0.0f,     1e-45f,      3.4028235e38f,   16777217.0f,
                          1.0f / 3.0f, -123.456f, 8.589973e9f, 1.17549435e-38f, 0.3f};
  for (std::size_t i = 0; i + 5 <= std::size(values); ++i) {
    msVertex v;
    for (int k = 0; k < 3; ++k) v.position[k] = values[i + k];
    v.texCoords[0] = values[i + 3];
    v.texCoords[1] = values[i + 4];
    mesh.vertices.push_back(v);
  }
  mesh.triangles.push_back({{0, 1, 65535}});
  model->meshes.push_back(mesh);
  msMesh empty;
  empty.name = "Hp_Fixed_HpMount01";
  model->meshes.push_back(empty);
  return model;
}

TEST_F(ModelFile, DocumentTextReadsBackBitForBit) {
  HostModelPtr model = TrickyModel();
  const ModelDocumentText document = WriteModelDocument(*model);
  ASSERT_EQ(document.error, "");
  ModelDocumentResult loaded = ParseModelDocument(document.text);
  ASSERT_NE(loaded.model, nullptr) << loaded.error << "\n" << document.text;
  ExpectSameModel(*model, *loaded.model);

  // And an empty model is still a valid document.
  ModelDocumentResult empty = ParseModelDocument(WriteModelDocument(*MakeHostModel()).text);
  ASSERT_NE(empty.model, nullptr) << empty.error;
  EXPECT_TRUE(empty.model->meshes.empty());
}

TEST_F(ModelFile, DocumentRefusesWhatJsonCannotHold) {
  HostModelPtr model = TrickyModel();
  model->meshes[0].vertices[1].texCoords[0] = std::numeric_limits<float>::quiet_NaN();
  ModelDocumentText document = WriteModelDocument(*model);
  EXPECT_EQ(document.text, "");
  EXPECT_NE(document.error.find("\"hull\tone\" has a coordinate that is not a finite number"),
            std::string::npos);

  model = TrickyModel();
  model->materials[3].opacity = 1.5f;
  document = WriteModelDocument(*model);
  EXPECT_EQ(document.text, "");
  EXPECT_NE(document.error.find("material 3 has a colour or opacity outside 0 to 1"),
            std::string::npos)
      << document.error;
}

// Names that are not UTF-8 are carried as Windows-1252 and read back as the
// model file's bytes; UTF-8 names are written as before.
TEST_F(ModelFile, NamesInWindows1252ReadBackByteForByte) {
  HostModelPtr model = TrickyModel();
  model->meshes[1].name = "Hp_Fixed_Terraind\xE4k";
  model->materials[0].name = "M\xFCll";
  model->materials[3].diffuseTexture = "TEST\x80.PNG";
  const ModelDocumentText document = WriteModelDocument(*model);
  ASSERT_EQ(document.error, "");
  EXPECT_NE(document.text.find(
                "\"name\": \"Hp_Fixed_Terraind\xC3\xA4k\", \"nameEncoding\": \"windows-1252\",\n"),
            std::string::npos)
      << document.text;
  EXPECT_NE(document.text.find("{\"name\": \"M\xC3\xBCll\", \"nameEncoding\": \"windows-1252\"}"),
            std::string::npos)
      << document.text;
  EXPECT_NE(document.text.find("\"TEST\xE2\x82\xAC.PNG\", \"textureEncoding\": \"windows-1252\""),
            std::string::npos)
      << document.text;
  ModelDocumentResult loaded = ParseModelDocument(document.text);
  ASSERT_NE(loaded.model, nullptr) << loaded.error << "\n" << document.text;
  ExpectSameModel(*model, *loaded.model);
}

TEST_F(ModelFile, SaveReplacesTheFileOnlyWhenTheWholeDocumentIsWritten) {
  const std::string path = Write("ship.json", "my own notes");
  HostModelPtr model = TrickyModel();
  model->meshes[0].vertices[0].position[0] = std::numeric_limits<float>::infinity();
  EXPECT_NE(SaveModelDocument(*model, path), "");
  EXPECT_EQ(ReadText(path), "my own notes");

  model = TrickyModel();
  ASSERT_EQ(SaveModelDocument(*model, path), "");
  ModelLoadResult loaded = LoadThroughImporter(path);
  ASSERT_NE(loaded.model, nullptr) << loaded.error;
  ExpectSameModel(*model, *loaded.model);
  EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));

  const std::string unwritable = (folder_ / "no_such_folder" / "ship.json").string();
  const std::string message = SaveModelDocument(*model, unwritable);
  EXPECT_NE(message.find("\"" + unwritable + "\": cannot be written"), std::string::npos)
      << message;
}

TEST_F(ModelFile, ChoosesTheLoaderByExtensionAndNamesTheFileInMessages) {
  const std::string document = WriteModelDocument(*TrickyModel()).text;
  ModelLoadResult upper = LoadThroughImporter(Write("SHIP.JSON", document));
  ASSERT_NE(upper.model, nullptr) << upper.error;
  EXPECT_EQ(upper.model->meshes.size(), 2u);

  const std::string broken = Write("broken.json", "{\"meshes\": [{\"name\": 5}]}");
  ModelLoadResult refused = LoadThroughImporter(broken);
  EXPECT_EQ(refused.model, nullptr);
  EXPECT_NE(refused.error.find("\"" + broken + "\": "), std::string::npos) << refused.error;

  // A document under another extension is not a document: assimp refuses it.
  const std::string disguised = Write("ship.model", document);
  ModelLoadResult other = LoadThroughImporter(disguised);
  EXPECT_EQ(other.model, nullptr);
  EXPECT_NE(other.error.find(disguised), std::string::npos) << other.error;

  ModelLoadResult obj =
      LoadThroughImporter(Write("tri.obj", "o tri\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));
  ASSERT_NE(obj.model, nullptr) << obj.error;
  EXPECT_EQ(obj.model->meshes.at(0).name, "tri");
}

}  // namespace
}  // namespace svcmp
