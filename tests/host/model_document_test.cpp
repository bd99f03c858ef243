#include "host/model_document.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "host/base64.h"

namespace svcmp {
namespace {

TEST(ModelDocument, LoadsTheDocumentedExample) {
  const ModelDocumentResult result = ParseModelDocument(R"({
    "materials": ["hull_metal", "glass"],
    "note": "unknown keys are ignored",
    "meshes": [
      {"name": "hull", "material": 0, "colour": "red",
       "vertices": [[92, 46, -23, 0.0, 1.0], [0, 0, 0, 0.5, 0.5], [10, 0, 0, 1, 0]],
       "triangles": [[0, 1, 2]]},
      {"name": "Hp_Fixed_HpMount01", "material": -1,
       "vertices": [[1, 2, 3, 0, 0]], "triangles": []},
      {"name": "far", "vertices": [], "triangles": [[65535, 7, 0]]}
    ]})");
  ASSERT_TRUE(result.model) << result.error;
  EXPECT_EQ(result.error, "");
  const msModel& model = *result.model;
  ASSERT_EQ(model.materials.size(), 2u);
  EXPECT_EQ(model.materials[1].name, "glass");
  ASSERT_EQ(model.meshes.size(), 3u);
  EXPECT_EQ(model.meshes[0].name, "hull");
  EXPECT_EQ(model.meshes[0].materialIndex, 0);
  EXPECT_EQ(model.meshes[0].vertices[0].position[2], -23.0f);
  EXPECT_EQ(model.meshes[0].vertices[1].texCoords[0], 0.5f);
  EXPECT_EQ(model.meshes[0].triangles[0].indices[2], 2u);
  EXPECT_EQ(model.meshes[1].materialIndex, -1);
  EXPECT_EQ(model.meshes[2].materialIndex, -1);  // the default
  // Indices outside the mesh are kept for the exporter to judge.
  EXPECT_EQ(model.meshes[2].triangles[0].indices[0], 65535u);
}

TEST(ModelDocument, MaterialsMayCarryColourOpacityAndTexture) {
  const ModelDocumentResult result = ParseModelDocument(R"({
    "materials": ["plain",
                  {"name": "hull", "diffuse": [0.5, 0, 1], "opacity": 0.25, "texture": "tex/hull.png"},
                  {"name": "decal", "texture": "decal.png", "textureData": "iVBORw=="},
                  {"name": "bare"}],
    "meshes": []})");
  ASSERT_TRUE(result.model) << result.error;
  const auto& materials = result.model->materials;
  ASSERT_EQ(materials.size(), 4u);
  EXPECT_FALSE(materials[0].HasLook());
  EXPECT_EQ(materials[1].name, "hull");
  EXPECT_EQ(materials[1].diffuse, (std::array<float, 3>{0.5f, 0.0f, 1.0f}));
  EXPECT_EQ(materials[1].opacity, 0.25f);
  EXPECT_EQ(materials[1].diffuseTexture, "tex/hull.png");
  EXPECT_TRUE(materials[1].embeddedTexture.empty());
  EXPECT_EQ(materials[2].embeddedTexture, (std::vector<std::uint8_t>{0x89, 'P', 'N', 'G'}));
  EXPECT_FALSE(materials[2].opacity);
  EXPECT_FALSE(materials[3].HasLook());
}

TEST(Base64, EncodesAndDecodesEveryPaddingAndRefusesBrokenText) {
  const struct {
    std::vector<std::uint8_t> bytes;
    const char* text;
  } cases[] = {{{}, ""},
               {{'f'}, "Zg=="},
               {{'f', 'o'}, "Zm8="},
               {{'f', 'o', 'o'}, "Zm9v"},
               {{0xFB, 0xFF, 0xBF, 0x00}, "+/+/AA=="}};
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeBase64(c.bytes), c.text);
    EXPECT_EQ(DecodeBase64(c.text), c.bytes) << c.text;
  }
  for (const char* broken : {"Zg=", "Z===", "Zg==Zg==", "Zm9v!A==", "Zm 9v"}) {
    EXPECT_FALSE(DecodeBase64(broken)) << broken;
  }
}

TEST(ModelDocument, RoundsNumbersToTheNearestFloatOnce) {
  // 1.00000005960464477539062500000001 lies just above the midpoint between
  // 1 and the next float: rounded straight from the text it goes up, but the
  // nearest double is the midpoint itself, which would round to even (down).
  // So does the whole number 2^53 + 2^29 + 1, whose nearest double is the
  // midpoint of 2^53 and the float after it.
  const ModelDocumentResult result = ParseModelDocument(
      R"({"meshes": [{"name": "m", "vertices": [[1.00000005960464477539062500000001, 0.1, 16777217, 1e-50, -0],
          [9007199791611905, 16777219, -123456789012345678, 1234567890123456789012, -5]],
          "triangles": []}]})");
  ASSERT_TRUE(result.model) << result.error;
  const msVertex& vertex = result.model->meshes[0].vertices[0];
  EXPECT_EQ(std::bit_cast<std::uint32_t>(vertex.position[0]), 0x3F800001u);
  EXPECT_EQ(vertex.position[1], 0.1f);
  EXPECT_EQ(vertex.position[2], 16777216.0f);
  EXPECT_EQ(vertex.texCoords[0], 0.0f);
  const msVertex& whole = result.model->meshes[0].vertices[1];
  EXPECT_EQ(whole.position[0], 0x1.000002p53f);
  EXPECT_EQ(whole.position[1], 16777220.0f);
  EXPECT_EQ(whole.position[2], -123456789012345678.0f);
  EXPECT_EQ(whole.texCoords[0], 1234567890123456789012.0f);
  EXPECT_EQ(whole.texCoords[1], -5.0f);
}

TEST(ModelDocument, RefusesDocumentsThatBreakTheRules) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {R"([])", "document: expected an object"},
      {R"({})", "meshes: missing"},
      {R"({"meshes": {}})", "meshes: expected an array"},
      {R"({"materials": "steel", "meshes": []})", "materials: expected an array"},
      {R"({"materials": ["a", 2], "meshes": []})", "materials[1]: expected a string or an object"},
      {R"({"materials": [{"diffuse": [1, 1, 1]}], "meshes": []})", "materials[0].name: missing"},
      {R"({"materials": [{"name": 1}], "meshes": []})", "materials[0].name: expected a string"},
      {R"({"materials": [{"name": "a", "diffuse": [1, 1]}], "meshes": []})",
       "materials[0].diffuse: expected 3 numbers from 0 to 1"},
      {R"({"materials": [{"name": "a", "diffuse": [1, 1.5, 0]}], "meshes": []})",
       "materials[0].diffuse: expected 3 numbers from 0 to 1"},
      {R"({"materials": [{"name": "a", "opacity": -0.1}], "meshes": []})",
       "materials[0].opacity: expected a number from 0 to 1"},
      {R"({"materials": [{"name": "a", "opacity": "1"}], "meshes": []})",
       "materials[0].opacity: expected a number from 0 to 1"},
      {R"({"materials": [{"name": "a", "texture": ""}], "meshes": []})",
       "materials[0].texture: expected a file name"},
      {R"({"materials": [{"name": "a", "textureData": "Zg=="}], "meshes": []})",
       "materials[0].texture: missing"},
      {R"({"materials": [{"name": "a", "texture": "a.png", "textureData": "Zg="}], "meshes": []})",
       "materials[0].textureData: expected base64 text"},
      {R"({"meshes": [7]})", "meshes[0]: expected an object"},
      {R"({"meshes": [{"vertices": [], "triangles": []}]})", "meshes[0].name: missing"},
      {R"({"meshes": [{"name": 5, "vertices": [], "triangles": []}]})",
       "meshes[0].name: expected a string"},
      {R"({"meshes": [{"name": "m", "material": 1.5, "vertices": [], "triangles": []}]})",
       "meshes[0].material: expected an integer"},
      {R"({"meshes": [{"name": "m", "material": 4294967296, "vertices": [], "triangles": []}]})",
       "meshes[0].material: expected an integer"},
      {R"({"meshes": [{"name": "m", "vertex": [], "triangles": []}]})",
       "meshes[0].vertices: missing"},
      {R"({"meshes": [{"name": "m", "vertices": [], "triangles": {}}]})",
       "meshes[0].triangles: expected an array"},
      {R"({"meshes": [{"name": "m", "vertices": [], "triangles": []},
                      {"name": "n", "vertices": [[0,0,0,0,0], [1,2,3,4]], "triangles": []}]})",
       "meshes[1].vertices[1]: expected 5 numbers"},
      {R"({"meshes": [{"name": "m", "vertices": [[0,0,"0",0,0]], "triangles": []}]})",
       "meshes[0].vertices[0][2]: expected a number within the range of a 32-bit float"},
      {R"({"meshes": [{"name": "m", "vertices": [[0,0,1e39,0,0]], "triangles": []}]})",
       "meshes[0].vertices[0][2]: expected a number within the range of a 32-bit float"},
      {R"({"meshes": [{"name": "m", "vertices": [], "triangles": [[0, 1]]}]})",
       "meshes[0].triangles[0]: expected 3 vertex indices"},
      {R"({"meshes": [{"name": "m", "vertices": [], "triangles": [[0, 1, 65536]]}]})",
       "meshes[0].triangles[0][2]: expected an integer from 0 to 65535"},
      {R"({"meshes": [{"name": "m", "vertices": [], "triangles": [[0, -1, 2]]}]})",
       "meshes[0].triangles[0][1]: expected an integer from 0 to 65535"},
      {R"({"meshes": [{"name": "m", "vertices": [], "triangles": [[0, 1.0, 2]]}]})",
       "meshes[0].triangles[0][1]: expected an integer from 0 to 65535"},
  };
  for (const auto& c : cases) {
    const ModelDocumentResult result = ParseModelDocument(c.text);
    EXPECT_EQ(result.model, nullptr) << c.text;
    EXPECT_EQ(result.error, c.message) << c.text;
  }
}

// cmptool's documents may name vertices past 16 bits; the stand-in host's may not.
TEST(ModelDocument, CmptoolReadsThirtyTwoBitVertexIndices) {
  const char* text =
      R"({"meshes": [{"name": "m", "vertices": [], "triangles": [[0, 70000, 4294967295]]}]})";
  const ModelDocumentResult wide = ParseModelDocument(text, VertexIndexRange::Cmptool32Bit);
  ASSERT_TRUE(wide.model) << wide.error;
  EXPECT_EQ(wide.model->meshes[0].triangles[0].indices[1], 70000u);
  EXPECT_EQ(wide.model->meshes[0].triangles[0].indices[2], 4294967295u);
  EXPECT_EQ(ParseModelDocument(text).error,
            "meshes[0].triangles[0][1]: expected an integer from 0 to 65535");
  EXPECT_EQ(ParseModelDocument(
                R"({"meshes": [{"name": "m", "vertices": [], "triangles": [[0, 1, 4294967296]]}]})",
                VertexIndexRange::Cmptool32Bit)
                .error,
            "meshes[0].triangles[0][2]: expected an integer from 0 to 4294967295");
}

// The reader answers as if it judged the finished document: rules in a fixed
// order whatever the key order, the last of a repeated key, and a syntax
// error anywhere before every rule.
TEST(ModelDocument, RefusesAsIfTheWholeDocumentWereJudgedAtOnce) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {R"({"meshes": [7], "materials": "steel"})", "materials: expected an array"},
      {R"({"meshes": [7], "meshes": []})", ""},
      {R"({"materials": [{"opacity": 2, "name": 1}], "meshes": []})",
       "materials[0].name: expected a string"},
      {R"({"materials": [{"textureData": 5, "name": "a"}], "meshes": []})",
       "materials[0].texture: missing"},
      {R"({"materials": [{"texture": "", "texture": "a.png", "textureData": "QQ=="}], "meshes": []})",
       "materials[0].name: missing"},
      {R"({"meshes": [], "meshes": {}})", "meshes: expected an array"},
      {R"({"materials": [1], "materials": ["a"], "meshes": []})", ""},
      {R"({"meshes": [{"triangles": 1, "vertices": 2, "material": 0.5, "name": 3}]})",
       "meshes[0].name: expected a string"},
      {R"({"meshes": [{"triangles": 1, "vertices": 2, "material": 0.5, "name": "m"}]})",
       "meshes[0].material: expected an integer"},
      {R"({"meshes": [{"triangles": 1, "vertices": [[0]], "name": "m"}]})",
       "meshes[0].vertices[0]: expected 5 numbers"},
      {R"({"meshes": [{"name": 1, "name": "m", "vertices": [], "triangles": []}]})", ""},
      {R"({"meshes": [{"name": "m", "material": "x", "material": 2, "vertices": [], "triangles": []}]})",
       ""},
      {R"({"meshes": [{"name": "m", "vertices": [[0,0,"0",0]], "triangles": []}]})",
       "meshes[0].vertices[0]: expected 5 numbers"},
      {R"({"meshes": [{"name": "m", "vertices": [[0,0,"0",1e39,0]], "triangles": []}]})",
       "meshes[0].vertices[0][2]: expected a number within the range of a 32-bit float"},
      {R"({"meshes": [{"name": "m", "vertices": [[0,0,0,0,1e39,7]], "triangles": []}]})",
       "meshes[0].vertices[0]: expected 5 numbers"},
      {R"({"meshes": [{"name": "m", "vertices": [], "triangles": [[0,1,"2",3]]}]})",
       "meshes[0].triangles[0]: expected 3 vertex indices"},
      {R"({"meshes": [{"name": "m", "vertices": [], "triangles": [[1e0,1,2]]}]})",
       "meshes[0].triangles[0][0]: expected an integer from 0 to 65535"},
      {R"({"meshes": [{"name": "m", "vertices": [], "triangles": [[0,1,99999999999999999999]]}]})",
       "meshes[0].triangles[0][2]: expected an integer from 0 to 65535"},
      {R"({"meshes": [{"vertices": []}, {"name": 1}]})", "meshes[0].name: missing"},
      {R"({"meshes": [7], "x": [1,]})", "parse error at line 1, column 25: expected a value"},
      {R"({"materials": 1, "meshes": [{"name": "m", "vertices": [[0,0,0,0,0] [1]]}]})",
       "parse error at line 1, column 68: expected ',' or ']'"},
      {R"([1, 2)", "parse error at line 1, column 6: expected ',' or ']'"},
      {"{\"meshes\": [{\"name\": \"\xFF\", \"vertices\": [], \"triangles\": []}]}",
       "parse error at line 1, column 23: the text is not valid UTF-8"},
  };
  for (const auto& c : cases) {
    const ModelDocumentResult result = ParseModelDocument(c.text);
    EXPECT_EQ(result.error, c.message) << c.text;
    EXPECT_EQ(result.model == nullptr, *c.message != '\0') << c.text;
  }
}

TEST(ModelDocument, NumbersKeepTheirSignsAndLimits) {
  const ModelDocumentResult result = ParseModelDocument(
      R"({"meshes": [{"name": "m", "vertices": [[-0, -0.0, -1e-50, 3.4028235e38, 16777217.0]],
          "material": -2147483648, "triangles": [[0, -0, 65535]]}]})");
  ASSERT_TRUE(result.model) << result.error;
  const msMesh& mesh = result.model->meshes[0];
  const msVertex& vertex = mesh.vertices[0];
  // The integer -0 is the integer 0; -0.0 and an underflow keep the sign.
  EXPECT_EQ(std::bit_cast<std::uint32_t>(vertex.position[0]), 0x00000000u);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(vertex.position[1]), 0x80000000u);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(vertex.position[2]), 0x80000000u);
  EXPECT_EQ(vertex.texCoords[0], std::numeric_limits<float>::max());
  EXPECT_EQ(vertex.texCoords[1], 16777216.0f);
  EXPECT_EQ(mesh.materialIndex, std::numeric_limits<int>::min());
  EXPECT_EQ(mesh.triangles[0].indices[1], 0);
  EXPECT_EQ(mesh.triangles[0].indices[2], 65535);
}

TEST(ModelDocument, SyntaxErrorsNameLineAndColumn) {
  const ModelDocumentResult broken = ParseModelDocument("{\n  \"meshes\": [,]\n}");
  EXPECT_EQ(broken.model, nullptr);
  EXPECT_NE(broken.error.find("line 2, column 14"), std::string::npos) << broken.error;
  EXPECT_EQ(broken.error.find("json.exception"), std::string::npos) << broken.error;

  EXPECT_NE(ParseModelDocument("").error.find("line 1, column 1"), std::string::npos);
  // Deep nesting is refused by the rules, not by the stack.
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  EXPECT_EQ(ParseModelDocument(deep).error, "document: expected an object");
}

TEST(ModelDocument, LoadsFromAFileAndReportsAMissingOne) {
  const std::string path = ::testing::TempDir() + "model_document_test.json";
  {
    std::ofstream file(path);
    file << R"({"meshes": [{"name": "m", "vertices": [], "triangles": []}]})";
  }
  const ModelDocumentResult loaded = LoadModelDocument(path);
  ASSERT_TRUE(loaded.model) << loaded.error;
  EXPECT_EQ(loaded.model->meshes[0].name, "m");
  std::remove(path.c_str());

  const ModelDocumentResult missing = LoadModelDocument(path);
  EXPECT_EQ(missing.model, nullptr);
  EXPECT_EQ(missing.error, "cannot open the model document " + path);
}

}  // namespace
}  // namespace svcmp
