#include "host/model_document.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "host/base64.h"
#include "host/model_document_writer.h"

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

// Names the model file held as Windows-1252 bytes come back as those bytes;
// the same text without the key stays the UTF-8 that documents always meant.
TEST(ModelDocument, NamesMarkedWindows1252ReadAsTheModelFilesBytes) {
  const ModelDocumentResult result = ParseModelDocument(R"({
    "materials": [{"name": "Terraind\u00e4k", "nameEncoding": "windows-1252",
                   "texture": "\u20ac.PNG", "textureEncoding": "windows-1252"},
                  "Terraind\u00e4k"],
    "meshes": [{"name": "\u00c6gir", "nameEncoding": "windows-1252", "vertices": [],
                "triangles": []}]})");
  ASSERT_TRUE(result.model) << result.error;
  EXPECT_EQ(result.model->materials[0].name, "Terraind\xE4k");
  EXPECT_EQ(result.model->materials[0].diffuseTexture, "\x80.PNG");
  EXPECT_EQ(result.model->materials[1].name, "Terraind\xC3\xA4k");
  EXPECT_EQ(result.model->meshes[0].name, "\xC6gir");
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
      {R"({"meshes": [{"name": "m", "nameEncoding": "latin-9", "vertices": [], "triangles": []}]})",
       "meshes[0].nameEncoding: expected \"windows-1252\""},
      {R"({"meshes": [{"name": "\u65e5", "nameEncoding": "windows-1252", "vertices": [],
                       "triangles": []}]})",
       "meshes[0].name: has a character that Windows-1252 has not"},
      {R"({"materials": [{"name": "a", "nameEncoding": 1252}], "meshes": []})",
       "materials[0].nameEncoding: expected \"windows-1252\""},
      {R"({"materials": [{"name": "a", "texture": "\u0100.png", "textureEncoding": "windows-1252"}],
           "meshes": []})",
       "materials[0].texture: has a character that Windows-1252 has not"},
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

constexpr char kTreeDocument[] = R"({"meshes": [
    {"name": "hull", "vertices": [], "triangles": []},
    {"name": "turret", "vertices": [], "triangles": []}],
  "nodes": [
    {"name": "ship", "parent": -1, "translation": [0, 0, 0], "rotation": [0, 0, 0, 1],
     "scale": [1, 1, 1], "meshes": [0], "properties": {}},
    {"name": "pivot", "parent": 0, "translation": [1.5, -2, 3], "unknown": 1},
    {"name": "turret", "parent": 1, "rotation": [0, 0.70710677, 0, 0.70710677], "scale": [2, 2, 2],
     "meshes": [1], "properties": {"construct": "rev", "axis_rotation": [0, 1, 0], "min": -90,
     "max": 90.5, "hardpoint": true, "hull": false, "construct": "pris", "empty": []}}]})";

TEST(ModelDocument, NodesKeepTheTreeTransformsMeshesAndProperties) {
  const ModelDocumentResult result = ParseModelDocument(kTreeDocument);
  ASSERT_TRUE(result.model) << result.error;
  const std::vector<msNode>& nodes = result.model->nodes;
  ASSERT_EQ(nodes.size(), 3u);
  EXPECT_EQ(nodes[0].name, "ship");
  EXPECT_EQ(nodes[0].meshes, std::vector<int>{0});
  // Absent parts take the identity and the top of the tree.
  EXPECT_EQ(nodes[1].parent, 0);
  EXPECT_EQ(nodes[1].translation, (std::array<float, 3>{1.5f, -2, 3}));
  EXPECT_EQ(nodes[1].rotation, (std::array<float, 4>{0, 0, 0, 1}));
  EXPECT_EQ(nodes[1].scale, (std::array<float, 3>{1, 1, 1}));
  EXPECT_TRUE(nodes[1].meshes.empty());
  EXPECT_TRUE(nodes[1].properties.empty());
  EXPECT_EQ(nodes[2].parent, 1);
  EXPECT_EQ(nodes[2].rotation[1], 0.70710677f);
  // Of a property given twice the last counts, in the place it was given.
  const std::vector<msNodeProperty>& properties = nodes[2].properties;
  ASSERT_EQ(properties.size(), 7u);
  EXPECT_EQ(properties[0].name, "axis_rotation");
  EXPECT_EQ(properties[0].value, msNodePropertyValue(std::vector<double>{0, 1, 0}));
  EXPECT_EQ(properties[1].value, msNodePropertyValue(-90.0));
  EXPECT_EQ(properties[2].value, msNodePropertyValue(90.5));
  EXPECT_EQ(properties[3].value, msNodePropertyValue(true));
  EXPECT_EQ(properties[4].value, msNodePropertyValue(false));
  EXPECT_EQ(properties[5].name, "construct");
  EXPECT_EQ(properties[5].value, msNodePropertyValue(std::string("pris")));
  EXPECT_EQ(properties[6].value, msNodePropertyValue(std::vector<double>{}));
}

TEST(ModelDocument, NodesRoundTripThroughTheWriterBitForBit) {
  const ModelDocumentResult first = ParseModelDocument(kTreeDocument);
  ASSERT_TRUE(first.model) << first.error;
  first.model->nodes[1].properties.push_back({"odd", -0.0});
  first.model->nodes[1].properties.push_back({"third", 0.1 + 0.2});
  first.model->nodes[2].name = "T\xFCr";  // a Windows-1252 name comes back as its bytes
  const ModelDocumentText written = WriteModelDocument(*first.model);
  ASSERT_EQ(written.error, "");
  const ModelDocumentResult again = ParseModelDocument(written.text);
  ASSERT_TRUE(again.model) << again.error;
  EXPECT_EQ(WriteModelDocument(*again.model).text, written.text);
  const msNodePropertyValue& odd = again.model->nodes[1].properties[0].value;
  EXPECT_TRUE(std::signbit(std::get<double>(odd)));
  EXPECT_EQ(again.model->nodes[1].properties[1].value, msNodePropertyValue(0.1 + 0.2));
  EXPECT_EQ(again.model->nodes[2].name, "T\xFCr");
  // One node a line, after the meshes.
  EXPECT_NE(written.text.find("\n  ],\n  \"nodes\": [\n    {\"name\": \"ship\", \"parent\": -1, "
                              "\"translation\": [0, 0, 0], \"rotation\": [0, 0, 0, 1], "
                              "\"scale\": [1, 1, 1], \"meshes\": [0], \"properties\": {}},\n"),
            std::string::npos)
      << written.text;

  // Without a tree the document is what it always was.
  first.model->nodes.clear();
  EXPECT_EQ(WriteModelDocument(*first.model).text.find("nodes"), std::string::npos);
  first.model->nodes.push_back({"bad", -1, {0, NAN, 0}});
  EXPECT_EQ(WriteModelDocument(*first.model).error,
            "node \"bad\" has a coordinate that is not a finite number, which a JSON document "
            "cannot hold");
  first.model->nodes[0] = {"bad"};
  first.model->nodes[0].properties.push_back({"p", std::vector<double>{1, INFINITY}});
  EXPECT_EQ(WriteModelDocument(*first.model).error,
            "node \"bad\" has a property that is not a finite number, which a JSON document "
            "cannot hold");
}

TEST(ModelDocument, RefusesNodesThatBreakTheRules) {
  const struct {
    const char* nodes;
    const char* message;
  } cases[] = {
      {R"({})", "nodes: expected an array"},
      {R"([1])", "nodes[0]: expected an object"},
      {R"([{"parent": -1}])", "nodes[0].name: missing"},
      {R"([{"name": 1}])", "nodes[0].name: expected a string"},
      {R"([{"name": "a", "parent": 0}])",
       "nodes[0].parent: expected -1 or the index of an earlier node"},
      {R"([{"name": "a"}, {"name": "b", "parent": 2}])",
       "nodes[1].parent: expected -1 or the index of an earlier node"},
      {R"([{"name": "a", "parent": -2}])",
       "nodes[0].parent: expected -1 or the index of an earlier node"},
      {R"([{"name": "a", "translation": [1, 2]}])", "nodes[0].translation: expected 3 numbers"},
      {R"([{"name": "a", "rotation": [0, 0, 1]}])", "nodes[0].rotation: expected 4 numbers"},
      {R"([{"name": "a", "scale": [1, 1, 1e39]}])", "nodes[0].scale: expected 3 numbers"},
      {R"([{"name": "a", "meshes": [0.5]}])", "nodes[0].meshes[0]: expected the index of a mesh"},
      {R"([{"name": "a", "meshes": [-1]}])", "nodes[0].meshes[0]: expected the index of a mesh"},
      {R"([{"name": "a", "meshes": [0, 2]}])", "nodes[0].meshes[1]: expected the index of a mesh"},
      {R"([{"name": "a", "meshes": [1]}, {"name": "b", "meshes": [0, 1]}])",
       "nodes[1].meshes[1]: mesh 1 is held by node 0 already"},
      {R"([{"name": "a", "properties": []}])", "nodes[0].properties: expected an object"},
      {R"([{"name": "a", "properties": {"x": null}}])",
       "nodes[0].properties.x: expected a string, a number, true, false or a list of numbers"},
      {R"([{"name": "a", "properties": {"ok": 1, "x": {"y": 1}}}])",
       "nodes[0].properties.x: expected a string, a number, true, false or a list of numbers"},
      {R"([{"name": "a", "properties": {"x": [1, "2", 3]}}])",
       "nodes[0].properties.x: expected a string, a number, true, false or a list of numbers"},
      {R"([{"name": "a", "properties": {"x": 1e999}}])",
       "nodes[0].properties.x: expected a string, a number, true, false or a list of numbers"},
      {R"([{"name": "a", "meshes": [5], "parent": "x"}])",
       "nodes[0].parent: expected -1 or the index of an earlier node"},
  };
  for (const auto& c : cases) {
    const std::string text = std::string(R"({"meshes": [{"name": "m", "vertices": [], "triangles": []},
        {"name": "n", "vertices": [], "triangles": []}], "nodes": )") + c.nodes + "}";
    const ModelDocumentResult result = ParseModelDocument(text);
    EXPECT_EQ(result.model, nullptr) << c.nodes;
    EXPECT_EQ(result.error, c.message) << c.nodes;
  }
  // The meshes' rules come first, whatever the key order.
  EXPECT_EQ(ParseModelDocument(R"({"nodes": 1, "meshes": 2})").error, "meshes: expected an array");
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

namespace svcmp {
namespace {

constexpr char kAnimatedDocument[] = R"({"meshes": [
    {"name": "hull", "vertices": [], "triangles": []},
    {"name": "door", "vertices": [], "triangles": []}],
  "nodes": [{"name": "ship", "meshes": [0]}, {"name": "door", "parent": 0, "meshes": [1]}],
  "animations": [
    {"name": "open door", "channels": [
      {"node": 1, "path": "translation", "times": [0, 1.5], "values": [0, 0, 0, 0, 0.1, 2.5]},
      {"node": 1, "path": "rotation", "interpolation": "step", "times": [0.25],
       "values": [0, 0.70710677, 0, 0.70710677]}]},
    {"name": "Sc_wobble", "channels": [
      {"node": 0, "path": "scale", "interpolation": "cubicspline", "times": [0],
       "values": [0, 0, 0, 1, 2, 3, 0, 0, 0]}]}]})";

TEST(ModelDocument, AnimationsKeepTheirChannelsAndRoundTripBitForBit) {
  const ModelDocumentResult result = ParseModelDocument(kAnimatedDocument);
  ASSERT_TRUE(result.model) << result.error;
  const std::vector<msAnimation>& animations = result.model->animations;
  ASSERT_EQ(animations.size(), 2u);
  EXPECT_EQ(animations[0].name, "open door");
  ASSERT_EQ(animations[0].channels.size(), 2u);
  const msAnimationChannel& move = animations[0].channels[0];
  EXPECT_EQ(move.node, 1);
  EXPECT_EQ(move.path, msAnimationPath::Translation);
  EXPECT_EQ(move.interpolation, msInterpolation::Linear);  // the default
  EXPECT_EQ(move.times, (std::vector<float>{0, 1.5f}));
  EXPECT_EQ(move.values, (std::vector<float>{0, 0, 0, 0, 0.1f, 2.5f}));
  EXPECT_EQ(animations[0].channels[1].path, msAnimationPath::Rotation);
  EXPECT_EQ(animations[0].channels[1].interpolation, msInterpolation::Step);
  EXPECT_EQ(animations[1].channels[0].path, msAnimationPath::Scale);
  EXPECT_EQ(animations[1].channels[0].interpolation, msInterpolation::CubicSpline);
  EXPECT_EQ(animations[1].channels[0].values[4], 2.0f);

  const ModelDocumentText written = WriteModelDocument(*result.model);
  ASSERT_EQ(written.error, "");
  const ModelDocumentResult again = ParseModelDocument(written.text);
  ASSERT_TRUE(again.model) << again.error;
  EXPECT_EQ(WriteModelDocument(*again.model).text, written.text);
  EXPECT_EQ(again.model->animations[0].channels[0].values[4], 0.1f);
  EXPECT_NE(written.text.find("{\"node\": 1, \"path\": \"rotation\", \"interpolation\": \"step\", "
                              "\"times\": [0.25], \"values\": [0, 0.70710677, 0, 0.70710677]}"),
            std::string::npos)
      << written.text;
}

TEST(ModelDocument, RefusesAnimationsThatBreakTheRules) {
  const struct {
    const char* channel;
    const char* message;
  } cases[] = {
      {R"({"path": "scale", "times": [0], "values": [1, 1, 1]})",
       "animations[0].channels[0].node: missing"},
      {R"({"node": 2, "path": "scale", "times": [0], "values": [1, 1, 1]})",
       "animations[0].channels[0].node: expected the index of a node"},
      {R"({"node": 0, "path": "weights", "times": [0], "values": [1, 1, 1]})",
       "animations[0].channels[0].path: expected \"translation\", \"rotation\" or \"scale\""},
      {R"({"node": 0, "path": "scale", "interpolation": "bezier", "times": [0], "values": [1, 1, 1]})",
       "animations[0].channels[0].interpolation: expected \"linear\", \"step\" or \"cubicspline\""},
      {R"({"node": 0, "path": "scale", "times": [0, 0], "values": [1, 1, 1, 1, 1, 1]})",
       "animations[0].channels[0].times[1]: expected a time from 0 up, above the one before"},
      {R"({"node": 0, "path": "scale", "times": [-1], "values": [1, 1, 1]})",
       "animations[0].channels[0].times[0]: expected a time from 0 up, above the one before"},
      {R"({"node": 0, "path": "rotation", "times": [0], "values": [0, 0, 1]})",
       "animations[0].channels[0].values: expected 4 numbers for each of the 1 times, and a time "
       "at least"},
      {R"({"node": 0, "path": "translation", "interpolation": "cubicspline", "times": [0],
           "values": [0, 0, 1]})",
       "animations[0].channels[0].values: expected 9 numbers for each of the 1 times, and a time "
       "at least"},
      {R"({"node": 0, "path": "scale", "times": [0], "values": [1, "1", 1]})",
       "animations[0].channels[0].values[1]: expected a number within the range of a 32-bit float"},
  };
  for (const auto& c : cases) {
    const std::string text = std::string(R"({"meshes": [{"name": "m", "vertices": [], "triangles": []}],
        "nodes": [{"name": "a", "meshes": [0]}, {"name": "b"}],
        "animations": [{"name": "x", "channels": [)") + c.channel + "]}]}";
    const ModelDocumentResult result = ParseModelDocument(text);
    EXPECT_EQ(result.model, nullptr) << c.channel;
    EXPECT_EQ(result.error, c.message) << c.channel;
  }
}

// The look a glTF material has beyond colour, opacity and texture, and the
// game's material a converted model carries, go through the document.
TEST(ModelDocument, MaterialsCarryEmissionBlendingSidesAndTheGameMaterial) {
  msModel model;
  model.materials.resize(2);
  msMaterial& glow = model.materials[0];
  glow.name = "glow";
  glow.emissive = std::array<float, 3>{0.125f, 0.5f, 1};
  glow.emissiveTexture = "glow \"lights\".png";
  glow.blend = true;
  glow.doubleSided = true;
  glow.opacity = 0.75f;
  glow.gameMaterial = R"({"type":"DcDtEcOcOtTwo","leaves":[]})";
  msMaterial& plain = model.materials[1];
  plain.name = "plain";
  plain.doubleSided = true;
  const ModelDocumentText written = WriteModelDocument(model);
  ASSERT_EQ(written.error, "");
  const ModelDocumentResult read = ParseModelDocument(written.text);
  ASSERT_TRUE(read.model) << read.error;
  ASSERT_EQ(read.model->materials.size(), 2u);
  const msMaterial& back = read.model->materials[0];
  EXPECT_EQ(back.emissive, glow.emissive);
  EXPECT_EQ(back.emissiveTexture, glow.emissiveTexture);
  EXPECT_TRUE(back.blend);
  EXPECT_TRUE(back.doubleSided);
  EXPECT_EQ(back.opacity, 0.75f);
  EXPECT_EQ(back.gameMaterial, glow.gameMaterial);
  EXPECT_FALSE(read.model->materials[1].blend);
  EXPECT_TRUE(read.model->materials[1].doubleSided);
  EXPECT_FALSE(read.model->materials[1].emissive);

  const std::pair<const char*, const char*> refused[] = {
      {R"({"materials": [{"name": "a", "blend": 1}], "meshes": []})",
       "materials[0].blend: expected true or false"},
      {R"({"materials": [{"name": "a", "doubleSided": null}], "meshes": []})",
       "materials[0].doubleSided: expected true or false"},
      {R"({"materials": [{"name": "a", "emissive": [0, 2, 0]}], "meshes": []})",
       "materials[0].emissive: expected 3 numbers from 0 to 1"},
      {R"({"materials": [{"name": "a", "game": {}}], "meshes": []})",
       "materials[0].game: expected a string"},
  };
  for (const auto& [text, error] : refused) {
    const ModelDocumentResult result = ParseModelDocument(text);
    EXPECT_FALSE(result.model) << text;
    EXPECT_NE(result.error.find(error), std::string::npos) << result.error;
  }
}

}  // namespace
}  // namespace svcmp
