// The files that crashed, hung or exhausted the machine when the import ran
// inside cmptool, read now through the importer program under its limits.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "assimp_test_files.h"
#include "import/model_file.h"
#include "load_through_importer.h"

namespace svcmp {
namespace {

using ImporterProgram = testing::ModelFileTest;
using testing::GltfNode;

// A COLLADA file with one triangle mesh, instanced by the innermost of
// `depth` nested nodes; `indices` is the text of the triangle list.
std::string Collada(int depth, const std::string& indices) {
  std::string nodes;
  for (int i = 0; i < depth; ++i) nodes += "<node id=\"n" + std::to_string(i) + "\">";
  nodes += "<instance_geometry url=\"#g\"/>";
  for (int i = 0; i < depth; ++i) nodes += "</node>";
  return R"(<?xml version="1.0" encoding="utf-8"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
<asset><up_axis>Y_UP</up_axis></asset>
<library_geometries><geometry id="g" name="hull"><mesh>
<source id="p"><float_array id="pa" count="9">0 0 0 1 0 0 0 1 0</float_array>
<technique_common><accessor source="#pa" count="3" stride="3"><param name="X" type="float"/>
<param name="Y" type="float"/><param name="Z" type="float"/></accessor></technique_common></source>
<vertices id="v"><input semantic="POSITION" source="#p"/></vertices>
<triangles count="1"><input semantic="VERTEX" source="#v" offset="0"/><p>)" +
         indices + R"(</p></triangles>
</mesh></geometry></library_geometries>
<library_visual_scenes><visual_scene id="s">)" +
         nodes + R"(</visual_scene></library_visual_scenes>
<scene><instance_visual_scene url="#s"/></scene>
</COLLADA>
)";
}

std::string Refusal(const std::string& path, ProcessLimits limits = {}) {
  ModelLoadResult result = LoadModelFile(path, {SVCMP_IMPORTER, limits});
  EXPECT_EQ(result.model, nullptr);
  EXPECT_EQ(result.error.rfind("\"" + path + "\": ", 0), 0u) << result.error;
  return result.error;
}

TEST_F(ImporterProgram, DeepHierarchiesLoadInNodeOrder) {
  // A chain of 20,000 glTF nodes, each one unit further along z.
  std::vector<GltfNode> chain(20000);
  for (std::size_t i = 0; i < chain.size(); ++i) {
    chain[i].translation = {0, 0, 1};
    if (i + 1 < chain.size()) chain[i].children = {static_cast<int>(i + 1)};
  }
  chain.back().mesh = 0;
  chain.back().name = "tip";
  const std::string gltf =
      Write("chain.gltf",
            testing::MakeGltf({{testing::Triangle({0, 0, 0}, {1, 0, 0}, {0, 1, 0})}}, chain, {0}));
  ModelLoadResult loaded = LoadThroughImporter(gltf);
  ASSERT_NE(loaded.model, nullptr) << loaded.error;
  ASSERT_EQ(loaded.model->meshes.size(), 1u);
  EXPECT_EQ(loaded.model->meshes[0].name, "tip");
  EXPECT_EQ(loaded.model->meshes[0].vertices[0].position[2], 20000.0f);

  ModelLoadResult nested = LoadThroughImporter(Write("nested.dae", Collada(8000, "0 1 2")));
  ASSERT_NE(nested.model, nullptr) << nested.error;
  EXPECT_EQ(nested.model->meshes.size(), 1u);
}

TEST_F(ImporterProgram, UnboundedAllocationStopsAtTheMemoryLimit) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "AddressSanitizer builds start the importer without a memory limit";
#endif
  const std::string path = Write("token.dae", Collada(1, "0 1 x 2"));
  EXPECT_EQ(Refusal(path), "\"" + path + "\": the importer stopped (out of memory at 2048 MB)");
  rusage usage{};
  ASSERT_EQ(getrusage(RUSAGE_CHILDREN, &usage), 0);
  EXPECT_LT(usage.ru_maxrss, 2500L * 1024) << "peak kB of the importer";
}

TEST_F(ImporterProgram, DamagedFilesAndOtherFormatsAreSaidSo) {
  const std::string unsupported =
      "not a supported model format (OBJ, glTF, GLB, FBX, COLLADA, 3DS, Blender)";
  const std::string ply = "ply\nformat ascii 1.0\nelement vertex 3\nend_header\n";
  EXPECT_EQ(Refusal(Write("mesh.ply", ply)),
            "\"" + (folder_ / "mesh.ply").string() + "\": " + unsupported);
  EXPECT_NE(Refusal(Write("mesh.obj", ply)).find(unsupported), std::string::npos);
  EXPECT_NE(Refusal(Write("box.off", "OFF\n3 1 0\n")).find(unsupported), std::string::npos);

  EXPECT_NE(Refusal(Write("cut.gltf", "{\"asset\": {\"vers"))
                .find("the file is damaged: it cannot be read as glTF"),
            std::string::npos);
  EXPECT_NE(Refusal(Write("cut.glb", std::string("glTF\x02\0\0\0\xff", 9)))
                .find("the file is damaged: it cannot be read as GLB"),
            std::string::npos);
  EXPECT_NE(Refusal(Write("ship.blend", "BLENDER-v304REND"))
                .find("a Blender file, which only cmptool export reads (through Blender)"),
            std::string::npos);
  EXPECT_NE(Refusal(Write("wide.gltf", std::string("\xFF\xFE{\0}\0", 6)))
                .find("is in a text encoding the importer cannot read (UTF-16); save it as UTF-8"),
            std::string::npos);
}

TEST_F(ImporterProgram, AnImporterThatCannotStartIsNamed) {
  const std::string path = Write("tri.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
  const ModelLoadResult result = LoadModelFile(path, {"/no/such/svcmp-import", {}});
  EXPECT_EQ(result.error, "\"" + path +
                              "\": the importer cannot be started: /no/such/svcmp-import: No "
                              "such file or directory");
}

}  // namespace
}  // namespace svcmp
