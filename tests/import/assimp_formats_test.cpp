#include <gtest/gtest.h>

#include <assimp/Exporter.hpp>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <filesystem>
#include <string>

#include "assimp_test_files.h"
#include "host/model_document_writer.h"
#include "load_through_importer.h"
#include "import/model_file.h"

namespace svcmp {
namespace {

using AssimpFormats = testing::ModelFileTest;

struct ModelTotals {
  int meshes = 0;
  int vertices = 0;
  int triangles = 0;
};

ModelTotals TotalsOf(msModel& model) {
  ModelTotals totals;
  totals.meshes = msModel_GetMeshCount(&model);
  for (int i = 0; i < totals.meshes; ++i) {
    msMesh* mesh = msModel_GetMeshAt(&model, i);
    totals.vertices += msMesh_GetVertexCount(mesh);
    totals.triangles += msMesh_GetTriangleCount(mesh);
  }
  return totals;
}

// The sample ship converted by assimp's own exporters into the other formats
// a modder's program may write; each must load with every mesh, vertex and
// triangle. FBX is written as text: assimp 5.2 cannot read back the binary
// FBX files its own exporter writes.
TEST_F(AssimpFormats, SampleShipLoadsFromEveryFormat) {
  const std::string source = std::string(SVCMP_EXAMPLES) + "/sample_ship.obj";
  ModelLoadResult original = LoadThroughImporter(source);
  ASSERT_TRUE(original.model) << original.error;
  const ModelTotals expected = TotalsOf(*original.model);

  Assimp::Importer importer;
  const aiScene* scene = importer.ReadFile(source, aiProcess_Triangulate);
  ASSERT_NE(scene, nullptr) << importer.GetErrorString();
  Assimp::Exporter exporter;
  for (const char* format : {"collada", "fbxa", "3ds", "glb2", "gltf2"}) {
    const aiExportFormatDesc* description = nullptr;
    for (std::size_t i = 0; i < exporter.GetExportFormatCount(); ++i) {
      if (std::string(exporter.GetExportFormatDescription(i)->id) == format) {
        description = exporter.GetExportFormatDescription(i);
      }
    }
    ASSERT_NE(description, nullptr) << format;
    const std::string path =
        (folder_ / ("ship." + std::string(description->fileExtension))).string();
    ASSERT_EQ(exporter.Export(scene, format, path), AI_SUCCESS) << exporter.GetErrorString();

    ModelLoadResult converted = LoadThroughImporter(path);
    ASSERT_TRUE(converted.model) << format << ": " << converted.error;
    const ModelTotals totals = TotalsOf(*converted.model);
    EXPECT_EQ(totals.triangles, expected.triangles) << format;
    EXPECT_EQ(totals.meshes, expected.meshes) << format;
    EXPECT_EQ(totals.vertices, expected.vertices) << format;
  }
}

}  // namespace
}  // namespace svcmp
