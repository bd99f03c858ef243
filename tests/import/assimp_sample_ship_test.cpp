#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "host/model_document_writer.h"
#include "load_through_importer.h"
#include "import/model_file.h"

namespace svcmp {
namespace {

const std::string kShipObj = std::string(SVCMP_EXAMPLES) + "/sample_ship.obj";
const std::string kShipJson = std::string(SVCMP_EXAMPLES) + "/sample_ship.json";

// The bundled ship is what the README's first command exports, in three parts
// (--groups 1,2,1), so its meshes must come out in exactly this order.
TEST(SampleShip, ObjLoadsAsHullWingsEngineAndThreeHardpoints) {
  ModelLoadResult ship = LoadThroughImporter(kShipObj);
  ASSERT_NE(ship.model, nullptr) << ship.error;
  const msModel& model = *ship.model;
  const std::vector<std::string> names = {
      "sampleship_hull",    "sampleship_wing_left",   "sampleship_wing_right", "sampleship_engine",
      "Hp_Fixed_HpMount01", "Hp_Revolute_HpTurret01", "Hp_Fixed_HpEngine01"};
  ASSERT_EQ(model.meshes.size(), names.size());
  ASSERT_EQ(model.materials.size(), 2u);
  EXPECT_EQ(model.materials[0].name, "sampleship_hull");
  EXPECT_EQ(model.materials[1].name, "sampleship_trim");
  for (std::size_t i = 0; i < names.size(); ++i) {
    const msMesh& mesh = model.meshes[i];
    EXPECT_EQ(mesh.name, names[i]);
    EXPECT_EQ(mesh.materialIndex, i == 0 ? 0 : 1) << mesh.name;
    const bool hardpoint = i >= 4;
    if (hardpoint) {
      EXPECT_EQ(mesh.vertices.size(), 3u) << mesh.name;
      EXPECT_EQ(mesh.triangles.size(), 1u) << mesh.name;
    } else {
      // Closed solids with shared corners: far fewer vertices than corners.
      EXPECT_GE(mesh.triangles.size(), 12u) << mesh.name;
      EXPECT_LT(mesh.vertices.size(), mesh.triangles.size()) << mesh.name;
    }
  }
  // Scaled down by the default divisor 92 the ship is a fighter of about 16
  // units from nose to exhaust.
  float front = -1e9f, back = 1e9f;
  for (const msMesh& mesh : model.meshes) {
    for (const msVertex& v : mesh.vertices)
      front = std::max(front, v.position[2]), back = std::min(back, v.position[2]);
  }
  EXPECT_GT((front - back) / 92, 12.0f);
  EXPECT_LT((front - back) / 92, 24.0f);
}

// The JSON document is the same ship as the OBJ, byte for byte as the
// document writer writes it, so either file exports the same .cmp.
TEST(SampleShip, JsonDocumentIsTheObjWrittenAsADocument) {
  ModelLoadResult ship = LoadThroughImporter(kShipObj);
  ASSERT_NE(ship.model, nullptr) << ship.error;
  const ModelDocumentText written = WriteModelDocument(*ship.model);
  ASSERT_EQ(written.error, "");
  std::ifstream file(kShipJson, std::ios::binary);
  std::ostringstream bundled;
  bundled << file.rdbuf();
  EXPECT_EQ(written.text, bundled.str());

  ModelLoadResult document = LoadThroughImporter(kShipJson);
  ASSERT_NE(document.model, nullptr) << document.error;
  EXPECT_EQ(WriteModelDocument(*document.model).text, written.text);
}

}  // namespace
}  // namespace svcmp
