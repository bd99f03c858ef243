#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <vector>

#include "../import/assimp_test_files.h"
#include "cmptool_runner.h"
#include "format/name_crc.h"
#include "svcmp_version.h"
#include "utf/target_lock.h"
#include "utf/utf_reader.h"
#include "utf/utf_writer.h"

namespace svcmp {
namespace {

namespace fs = std::filesystem;

constexpr char kThreeMeshModel[] = R"({
  "materials": ["hull_metal", "glass"],
  "meshes": [
    {"name": "hull", "material": 0,
     "vertices": [[0, 0, 0, 0, 0], [92, 0, 0, 1, 0], [0, 92, 0, 0, 1]], "triangles": [[0, 1, 2]]},
    {"name": "Hp_Fixed_HpMount01",
     "vertices": [[1, 2, 3, 0, 0], [1, 2, 3, 0, 0], [1, 2, 3, 0, 0]], "triangles": []},
    {"name": "wing", "material": 1,
     "vertices": [[0, 0, 92, 0, 0], [92, 0, 92, 1, 0], [0, 92, 92, 0, 1]], "triangles": [[0, 2, 1]]},
    {"name": "engine", "material": 0,
     "vertices": [[0, 0, -92, 0, 0], [92, 0, -92, 1, 0], [0, 92, -92, 0, 1]], "triangles": [[0, 1, 2]]}
  ]
})";

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::uint32_t Word(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 |
         static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

class ExportCommand : public testing::CmptoolTest {
 protected:
  void SetUp() override {
    CmptoolTest::SetUp();
    WriteText(folder_ / "ship.json", kThreeMeshModel);
  }

  UtfTree ReadCmp(const std::string& name) {
    UtfTree tree;
    EXPECT_TRUE(ReadUtfFile(folder_ / name, tree, nullptr).ok());
    return tree;
  }

  // Nothing but the model document is left in the folder.
  void ExpectNothingWritten() { EXPECT_EQ(Entries(), std::vector<std::string>{"ship.json"}); }
};

TEST_F(ExportCommand, WritesTheFileAndPrintsItsTree) {
  const auto run = Run("export ship.json -o ship.cmp");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  // The summary line, then the tree.
  EXPECT_EQ(run.out.substr(run.out.find('\n') + 1, 2), "\\\n");
  EXPECT_NE(run.out.find("  VMeshLibrary\n    hull.lod0.vms\n      VMeshData  ("),
            std::string::npos);
  EXPECT_FALSE(fs::exists(folder_ / "___temp.vms"));

  UtfTree tree = ReadCmp("ship.cmp");
  const UtfNode ref = tree.FindNode(nullptr, "VMeshRef");
  ASSERT_NE(ref, nullptr);
  const ByteBlock& bytes = *tree.Data(ref);
  ASSERT_EQ(bytes.size(), 60u);
  EXPECT_EQ(Word(bytes, 0), 60u);
  EXPECT_EQ(Word(bytes, 4), NameCrc("hull.lod0.vms"));
  EXPECT_NE(tree.FindNode(nullptr, "HpMount01"), nullptr);
}

TEST_F(ExportCommand, QuietPrintsOnlyTheWroteLine) {
  const auto run = Run("export ship.json -o ship.cmp --quiet");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.out,
            "wrote ship.cmp: 1 part, 3 meshes, 9 vertices, 3 triangles, 1 hardpoint, level 0, "
            "1.0 x 1.0 x 2.0 units\n");
  EXPECT_TRUE(fs::exists(folder_ / "ship.cmp"));
}

TEST_F(ExportCommand, GroupsMakeOnePartEach) {
  const auto run = Run("export ship.json -o ship.cmp --groups 1,2 --lod 2 -q");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  UtfTree tree = ReadCmp("ship.cmp");
  EXPECT_NE(tree.FindNode(nullptr, "hull_lod1.3db"), nullptr);
  EXPECT_NE(tree.FindNode(nullptr, "Part_wing_lod1"), nullptr);
  EXPECT_NE(tree.FindNode(nullptr, "hull.lod2.vms"), nullptr);
  EXPECT_NE(tree.FindNode(nullptr, "Switch2"), nullptr);
}

TEST_F(ExportCommand, BoundsJointsAndUniqueLibrariesOnRequest) {
  ASSERT_EQ(Run("export ship.json -o My_Ship.cmp -q --groups 1,2 --bounds --fix --unique-libraries")
                .exitStatus,
            0);
  UtfTree tree = ReadCmp("My_Ship.cmp");
  EXPECT_NE(tree.FindNode(nullptr, "my_ship.hull.lod0.vms"), nullptr);
  const DataBlock& fix = tree.Data(tree.FindNode(nullptr, "Fix"));
  ASSERT_TRUE(fix);
  EXPECT_EQ(fix->size(), 176u);
  const DataBlock& ref = tree.Data(tree.FindNode(nullptr, "VMeshRef"));
  ASSERT_TRUE(ref);
  EXPECT_EQ(Word(*ref, 4), NameCrc("my_ship.hull.lod0.vms"));
  EXPECT_NE(Word(*ref, 56), 0u);  // a radius

  // An update with its own prefix finds its own library.
  ASSERT_EQ(Run("export ship.json -o My_Ship.cmp -q --update --groups 1,2 --unique-libraries=fleet")
                .exitStatus,
            0);
  tree = ReadCmp("My_Ship.cmp");
  EXPECT_NE(tree.FindNode(nullptr, "fleet.hull.lod0.vms"), nullptr);
}

constexpr char kTexturedModel[] = R"({
  "materials": [{"name": "hull_metal", "diffuse": [0.5, 0.5, 0.5], "texture": "textures\\opaque.png"},
                {"name": "glass", "opacity": 0.5, "texture": "translucent.png"},
                {"name": "lost", "diffuse": [1, 0, 0], "texture": "gone.png"}],
  "meshes": [
    {"name": "hull", "material": 0, "vertices": [[0, 0, 0, 0, 0], [92, 0, 0, 1, 0], [0, 92, 0, 0, 1]], "triangles": [[0, 1, 2]]},
    {"name": "canopy", "material": 1, "vertices": [[0, 0, 9, 0, 0], [92, 0, 9, 1, 0], [0, 92, 9, 0, 1]], "triangles": [[0, 1, 2]]},
    {"name": "fin", "material": 2, "vertices": [[0, 9, 0, 0, 0], [92, 9, 0, 1, 0], [0, 92, 9, 0, 1]], "triangles": [[0, 1, 2]]}
  ]
})";

class ExportMaterials : public ExportCommand {
 protected:
  void SetUp() override {
    ExportCommand::SetUp();
    WriteText(folder_ / "textured.json", kTexturedModel);
    const fs::path data = fs::path(SVCMP_TEST_DATA) / "materials";
    fs::create_directories(folder_ / "textures");
    fs::copy_file(data / "opaque.png", folder_ / "textures" / "opaque.png");
    fs::copy_file(data / "translucent.png", folder_ / "translucent.png");
  }

  std::vector<std::uint8_t> DataOf(const UtfTree& tree, std::initializer_list<const char*> path) {
    UtfNode node = tree.Root();
    for (const char* name : path) node = node ? tree.FindNode(node, name) : nullptr;
    if (!node || !tree.Data(node)) return {};
    return {tree.Data(node)->begin(), tree.Data(node)->end()};
  }
};

std::vector<std::uint8_t> Text(const std::string& text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

TEST_F(ExportMaterials, GameReadyWritesMaterialsAndTexturesAndNamesAMissingOne) {
  const auto run = Run("export textured.json -o Textured.cmp -q --game-ready --groups 2,1");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err,
            "warning: the texture \"gone.png\" of material \"lost\" cannot be read from gone.png; "
            "the material keeps its colour without a texture\n");
  UtfTree tree = ReadCmp("Textured.cmp");
  EXPECT_NE(tree.FindNode(nullptr, "textured.hull.lod0.vms"), nullptr);
  EXPECT_EQ(DataOf(tree, {"material library", "hull_metal", "Type"}), Text("DcDt"));
  EXPECT_EQ(DataOf(tree, {"material library", "hull_metal", "Dt_name"}), Text("opaque.png"));
  EXPECT_EQ(DataOf(tree, {"material library", "glass", "Type"}), Text("DcDtOcOt"));
  EXPECT_EQ(DataOf(tree, {"material library", "glass", "Dt_name"}), Text("translucent.png"));
  EXPECT_EQ(DataOf(tree, {"material library", "lost", "Dt_name"}).size(), 0u);
  EXPECT_EQ(DataOf(tree, {"material library", "lost", "Dc"}).size(), 12u);
  const auto opaque = DataOf(tree, {"texture library", "opaque.png", "MIPS"});
  ASSERT_GT(opaque.size(), 128u);
  EXPECT_EQ(std::string(opaque.begin() + 84, opaque.begin() + 88), "DXT1");
  const auto translucent = DataOf(tree, {"texture library", "translucent.png", "MIPS"});
  ASSERT_GT(translucent.size(), 128u);
  EXPECT_EQ(std::string(translucent.begin() + 84, translucent.begin() + 88), "DXT5");
  EXPECT_EQ(DataOf(tree, {"Cmpnd", "Cons", "Fix"}).size(), 176u);
}

// Texture paths written on Windows in another letter case are found; a
// texture that is missing is told once, however many materials and levels use it.
TEST_F(ExportMaterials, TexturesAreFoundInAnyCaseAndAMissingOneIsToldOnce) {
  WriteText(folder_ / "shouting.json", R"({
  "materials": [{"name": "hull_metal", "texture": "TEXTURES\\Opaque.PNG"},
                {"name": "lost", "texture": "gone.png"}, {"name": "lost_too", "texture": "gone.png"}],
  "meshes": [
    {"name": "hull", "material": 0, "vertices": [[0, 0, 0, 0, 0], [92, 0, 0, 1, 0], [0, 92, 0, 0, 1]], "triangles": [[0, 1, 2]]},
    {"name": "fin", "material": 1, "vertices": [[0, 9, 0, 0, 0], [92, 9, 0, 1, 0], [0, 92, 9, 0, 1]], "triangles": [[0, 1, 2]]},
    {"name": "tail", "material": 2, "vertices": [[0, 9, 0, 0, 0], [92, 9, 0, 1, 0], [0, 92, 9, 0, 1]], "triangles": [[0, 1, 2]]}
  ]
})");
  const auto run = Run("export shouting.json -o ship.cmp -q --game-ready --auto-lod");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  std::size_t told = 0;
  for (std::size_t at = 0; (at = run.err.find("gone.png\" of", at)) != std::string::npos; ++at)
    ++told;
  EXPECT_EQ(told, 1u) << run.err;
  EXPECT_EQ(run.err.find("Opaque"), std::string::npos) << run.err;
  EXPECT_GT(DataOf(ReadCmp("ship.cmp"), {"texture library", "Opaque.PNG", "MIPS"}).size(), 128u);
}

// A model made on Windows names its materials in Windows-1252: the export
// writes the file's bytes, and a name too long to be read is told.
TEST_F(ExportMaterials, NamesKeepTheModelFilesBytesAndLongOnesAreTold) {
  const std::string longName(250, 'x');
  WriteText(folder_ / "windows.mtl", "newmtl M\xFCll\nKd 1 0 0\nnewmtl Terraind\xE4k\nKd 0 1 0\n");
  WriteText(folder_ / "windows.obj",
            "mtllib windows.mtl\no " + longName +
                "\nv 0 0 0\nv 92 0 0\nv 0 92 0\nusemtl M\xFCll\nf 1 2 3\n");
  const auto run = Run("export windows.obj -o windows.cmp -q --game-ready --scale 1");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "warning: \"windows.obj\": mesh \"" + longName.substr(0, 40) +
                         "...\" has a name of 250 bytes; the export keeps its first 199\n");
  const UtfTree tree = ReadCmp("windows.cmp");
  EXPECT_EQ(DataOf(tree, {"material library", "M\xFCll", "Dc"}).size(), 12u);
}

// info lists the file's textures: each one's size, format and levels, or
// why it cannot tell them.
TEST_F(ExportMaterials, InfoListsTheTexturesOfTheFile) {
  ASSERT_EQ(Run("export textured.json -o ship.cmp -q --game-ready").exitStatus, 0);
  UtfTree tree = ReadCmp("ship.cmp");
  UtfNode library = tree.FindNode(nullptr, "texture library");
  tree.AddNode(tree.AddNode(library, "levels.tga"), "MIP0");
  tree.SetData(tree.AddNode(tree.AddNode(library, "short.dds"), "MIPS"), Text("DDS"));
  ASSERT_TRUE(WriteUtfFile(tree, folder_ / "ship.cmp").written);

  const auto text = Run("info ship.cmp");
  ASSERT_EQ(text.exitStatus, 0) << text.err;
  EXPECT_NE(text.out.find(
                "texture opaque.png: 16 x 8, DXT1, 5 mip levels\n"
                "texture translucent.png: 4 x 4, DXT5, 3 mip levels\n"
                "texture levels.tga: not one DDS file (no MIPS leaf)\n"
                "texture short.dds: DDS header not sound: shorter than a DDS header (128 bytes)\n"),
            std::string::npos)
      << text.out;
  const auto json = Run("info --json ship.cmp");
  ASSERT_EQ(json.exitStatus, 0) << json.err;
  const auto textures = nlohmann::json::parse(json.out)["textures"];
  ASSERT_EQ(textures.size(), 4u) << json.out;
  EXPECT_EQ(textures[1], nlohmann::json::parse(R"({"name": "translucent.png", "readable": true,
      "width": 4, "height": 4, "format": "DXT5", "mipCount": 3})"));
  EXPECT_EQ(textures[2]["problem"], "not one DDS file (no MIPS leaf)");
}

TEST_F(ExportMaterials, AMaterialFileOfItsOwnIsWrittenAfterTheModelAndUpdated) {
  ASSERT_EQ(Run("export textured.json -o ship.cmp -q --materials ship.mat").exitStatus, 0);
  EXPECT_EQ(ReadCmp("ship.cmp").FindNode(nullptr, "material library"), nullptr);
  UtfTree library = ReadCmp("ship.mat");
  EXPECT_EQ(DataOf(library, {"material library", "hull_metal", "Dt_name"}), Text("opaque.png"));

  const auto exists = Run("export textured.json -o other.cmp -q --materials ship.mat");
  EXPECT_EQ(exists.exitStatus, 1);
  EXPECT_EQ(exists.err, "error: ship.mat already exists; add --force to replace it\n");
  EXPECT_FALSE(fs::exists(folder_ / "other.cmp"));

  // An update keeps the materials of other models in the file.
  UtfTree extra = ReadCmp("ship.mat");
  extra.AddNode(extra.FindNode(nullptr, "material library"), "kept");
  ASSERT_TRUE(WriteUtfFile(extra, folder_ / "ship.mat").written);
  ASSERT_EQ(
      Run("export textured.json -o ship.cmp -q --update --lod 1 --materials ship.mat").exitStatus,
      0);
  EXPECT_NE(ReadCmp("ship.mat").FindNode(nullptr, "kept"), nullptr);

  EXPECT_EQ(Run("export textured.json -o x.cmp --materials notes.txt").exitStatus, 2);
  EXPECT_EQ(Run("export textured.json -o x.mat --materials ./x.mat").exitStatus, 2);
  EXPECT_EQ(Run("export textured.json -o x.cmp --game-ready --max-texture 1000").exitStatus, 2);
}

TEST_F(ExportMaterials, TheSampleShipGoesGameReadyWithItsOwnTexture) {
  const auto run =
      Run("export '" SVCMP_EXAMPLES "/sample_ship.obj' -o ship.cmp -q --game-ready --groups 1,2,1");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  UtfTree tree = ReadCmp("ship.cmp");
  EXPECT_EQ(DataOf(tree, {"material library", "sampleship_hull", "Dt_name"}),
            Text("sample_ship_hull.png"));
  const auto dds = DataOf(tree, {"texture library", "sample_ship_hull.png", "MIPS"});
  ASSERT_GT(dds.size(), 128u);
  EXPECT_EQ(std::string(dds.begin(), dds.begin() + 4), "DDS ");
  EXPECT_EQ(Word(dds, 16), 128u);  // width
  EXPECT_EQ(DataOf(tree, {"Cmpnd", "Cons", "Fix"}).size(), 2 * 176u);
  // Nothing left for the checker to warn about, the turret on the tilted
  // hull included, nor in the collision file written beside it.
  const auto check = Run("check ship.cmp");
  EXPECT_EQ(check.exitStatus, 0);
  EXPECT_EQ(check.out, "2 files checked: 0 errors, 0 warnings\n") << check.out;
}

TEST_F(ExportCommand, OneGroupQuantityMeansOnePart) {
  ASSERT_EQ(Run("export ship.json -o plain.cmp -q").exitStatus, 0);
  const auto run = Run("export ship.json -o grouped.cmp --groups 4 -q");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(ReadBytes(folder_ / "grouped.cmp"), ReadBytes(folder_ / "plain.cmp"));
}

TEST_F(ExportCommand, LevelsBuildUpInOneFile) {
  ASSERT_EQ(Run("export ship.json -o ship.cmp -q").exitStatus, 0);
  ASSERT_EQ(Run("export ship.json -o ship.cmp -q --update --lod 1").exitStatus, 0);
  ASSERT_EQ(Run("export ship.json -o ship.cmp -q --update --lod 2").exitStatus, 0);
  UtfTree tree = ReadCmp("ship.cmp");
  for (const char* name : {"hull.lod0.vms", "hull.lod1.vms", "hull.lod2.vms", "Level0", "Level1",
                           "Level2", "Switch2"}) {
    EXPECT_NE(tree.FindNode(nullptr, name), nullptr) << name;
  }
}

// Exports that run side by side in one folder, as build pipelines run them,
// each pass their mesh buffer through a file of their own: a "___temp.vms"
// in the working folder is neither needed nor touched.
TEST_F(ExportCommand, KeepsItsMeshBufferOutOfTheWorkingFolder) {
  fs::create_directory(folder_ / "___temp.vms");
  const auto run = Run("export ship.json -o ship.cmp -q");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_TRUE(fs::is_directory(folder_ / "___temp.vms"));
  UtfTree tree = ReadCmp("ship.cmp");
  const UtfNode meshData = tree.FindNode(nullptr, "VMeshData");
  ASSERT_NE(meshData, nullptr);
  ASSERT_TRUE(tree.Data(meshData).has_value());
  EXPECT_EQ(tree.Data(meshData)->size(), 16u + 3 * 12 + 3 * 6 + 9 * 32);
}

TEST_F(ExportCommand, RefusesToReplaceAFileWithoutForce) {
  WriteText(folder_ / "ship.cmp", "precious");
  const auto refused = Run("export ship.json -o ship.cmp");
  EXPECT_EQ(refused.exitStatus, 1);
  EXPECT_NE(refused.err.find("--force"), std::string::npos);
  EXPECT_EQ(ReadBytes(folder_ / "ship.cmp").size(), 8u);

  EXPECT_EQ(Run("export ship.json -o ship.cmp --force -q").exitStatus, 0);
  ReadCmp("ship.cmp");
}

TEST_F(ExportCommand, UpdateRefusesAFileThatIsNotUtfAndLeavesIt) {
  WriteText(folder_ / "ship.cmp", "not a model file at all");
  const auto run = Run("export ship.json -o ship.cmp --update");
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err.rfind("error: The file \"ship.cmp\" cannot be updated", 0), 0u) << run.err;
  EXPECT_EQ(ReadBytes(folder_ / "ship.cmp").size(), 23u);
  EXPECT_FALSE(fs::exists(folder_ / "___temp.vms"));
}

TEST_F(ExportCommand, RefusalsLeaveNothingBehind) {
  const auto mismatch = Run("export ship.json -o ship.cmp --groups 1,1");
  EXPECT_EQ(mismatch.exitStatus, 1);
  EXPECT_EQ(mismatch.err,
            "error: Number of mesh group quantities does not match model - Exiting. The model has "
            "3 geometry meshes (hardpoints not counted); the 2 group quantities add up to 2.\n");
  ExpectNothingWritten();

  WriteText(folder_ / "bad.json", R"({"meshes": [{"name": "a", "vertices": [[1, 2]]}]})");
  const auto broken = Run("export bad.json -o ship.cmp");
  EXPECT_EQ(broken.exitStatus, 1);
  EXPECT_NE(broken.err.find("meshes[0].vertices[0]"), std::string::npos) << broken.err;
  fs::remove(folder_ / "bad.json");
  ExpectNothingWritten();

  const auto missing = Run("export nothing_here.obj -o ship.cmp");
  EXPECT_EQ(missing.exitStatus, 1);
  ExpectNothingWritten();
}

// Model files go through the importer program; whatever stops it is one
// line and exit status 1, and nothing is written.
TEST_F(ExportCommand, ImporterFailuresAreOneLine) {
  WriteText(folder_ / "mesh.ply", "ply\nformat ascii 1.0\nend_header\n");
  const auto ply = Run("export mesh.ply -o ship.cmp");
  EXPECT_EQ(ply.exitStatus, 1);
  EXPECT_EQ(ply.err,
            "error: \"mesh.ply\": not a supported model format (OBJ, glTF, GLB, FBX, COLLADA, "
            "3DS, Blender)\n");
  fs::remove(folder_ / "mesh.ply");
  ExpectNothingWritten();
}

TEST_F(ExportCommand, ImporterOutOfMemoryIsOneLine) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "AddressSanitizer builds start the importer without a memory limit";
#endif
  // Assimp reads this COLLADA index list without end.
  WriteText(folder_ / "token.dae", R"(<?xml version="1.0"?>
<COLLADA version="1.4.1"><library_geometries><geometry id="g"><mesh>
<source id="p"><float_array id="a" count="3">0 0 0</float_array><technique_common>
<accessor source="#a" count="1" stride="3"><param name="X" type="float"/>
<param name="Y" type="float"/><param name="Z" type="float"/></accessor></technique_common></source>
<vertices id="v"><input semantic="POSITION" source="#p"/></vertices>
<triangles count="1"><input semantic="VERTEX" source="#v" offset="0"/><p>0 0 x 0</p></triangles>
</mesh></geometry></library_geometries></COLLADA>
)");
  const auto token = Run("export token.dae -o ship.cmp --import-memory-mb 256");
  EXPECT_EQ(token.exitStatus, 1);
  EXPECT_EQ(token.err, "error: \"token.dae\": the importer stopped (out of memory at 256 MB)\n");
  fs::remove(folder_ / "token.dae");
  ExpectNothingWritten();
}

TEST_F(ExportCommand, ImpossibleOptionsAreUsageErrors) {
  for (const char* options :
       {"--scale 0", "--scale 101", "--lod 3", "--groups 1,0",
        "--groups 1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1", "--update --force",
        "--orientation sideways", "--import-memory-mb 1", "--import-timeout 0", ""}) {
    const std::string output = std::string(options).empty() ? "" : " -o ship.cmp ";
    const auto run = Run("export ship.json" + output + options);
    EXPECT_EQ(run.exitStatus, 2) << options;
    EXPECT_NE(run.err, "") << options;
  }
  ExpectNothingWritten();
}

TEST_F(ExportCommand, SettingsFilesRoundTrip) {
  ASSERT_EQ(Run("export ship.json -o ship.cmp -q --scale 50 --orientation back-to-front --lod 1 "
                "--groups 2,1 --save-settings ship.ces")
                .exitStatus,
            0);
  const std::vector<std::uint8_t> saved = ReadBytes(folder_ / "ship.ces");
  ASSERT_EQ(saved.size(), 88u);
  EXPECT_EQ(Word(saved, 0), 50u);
  EXPECT_EQ(Word(saved, 4), 1u);
  EXPECT_EQ(Word(saved, 8), 1u);
  EXPECT_EQ(Word(saved, 12), 2u);
  EXPECT_EQ(Word(saved, 16), 2u);
  EXPECT_EQ(Word(saved, 20), 1u);
  EXPECT_EQ(Word(saved, 24), 0u);

  ASSERT_EQ(Run("export ship.json -o again.cmp -q --settings ship.ces").exitStatus, 0);
  EXPECT_EQ(ReadBytes(folder_ / "again.cmp"), ReadBytes(folder_ / "ship.cmp"));

  const auto unreadable = Run("export ship.json -o third.cmp --settings missing.ces");
  EXPECT_EQ(unreadable.exitStatus, 1);
  EXPECT_NE(unreadable.err.find("missing.ces"), std::string::npos);
  EXPECT_FALSE(fs::exists(folder_ / "third.cmp"));
}

TEST_F(ExportCommand, SettingsFileValuesAreClampedLikeTheDialog) {
  std::vector<std::uint8_t> image(88, 0);
  image[0] = 250;  // scale 250 becomes 100
  std::ofstream(folder_ / "odd.ces", std::ios::binary)
      .write(reinterpret_cast<const char*>(image.data()),
             static_cast<std::streamsize>(image.size()));
  ASSERT_EQ(Run("export ship.json -o a.cmp -q --settings odd.ces --save-settings b.ces").exitStatus,
            0);
  const std::vector<std::uint8_t> resaved = ReadBytes(folder_ / "b.ces");
  ASSERT_EQ(resaved.size(), 88u);
  EXPECT_EQ(Word(resaved, 0), 100u);
  EXPECT_EQ(Word(resaved, 12), 1u);  // a group count of 0 reads as one group
}

TEST_F(ExportCommand, ListShowsMeshesAsTheExportSeesThem) {
  const auto run = Run("export ship.json --list");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_NE(run.out.find("hardpoint"), std::string::npos);
  EXPECT_NE(run.out.find("Hp_Fixed_HpMount01"), std::string::npos);
  EXPECT_NE(run.out.find("3 geometry meshes"), std::string::npos);
  ExpectNothingWritten();
}

TEST_F(ExportCommand, SummarisesWhatWasWrittenBeforeTheTree) {
  const auto run = Run("export ship.json -o ship.cmp");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 3),
            "wrote ship.cmp: 1 part, 3 meshes, 9 vertices, 3 triangles, 1 hardpoint, level 0, "
            "1.0 x 1.0 x 2.0 units\n\\\n");
  const auto parts = Run("export ship.json -o parts.cmp --lod 1 --groups 2,1");
  EXPECT_EQ(parts.out.substr(0, parts.out.find('\n')),
            "wrote parts.cmp: 2 parts, 3 meshes, 9 vertices, 3 triangles, 0 hardpoints, level 1, "
            "1.0 x 1.0 x 2.0 units");

  const auto list = Run("export ship.json --list");
  EXPECT_NE(list.out.find("total: 3 meshes, 9 vertices, 3 triangles, 1 hardpoint, 1.0 x 1.0 x 2.0 "
                          "units at --scale 92\nfits the format's limits\n"),
            std::string::npos)
      << list.out;
}

// A glTF in metres with an empty hardpoint node, and an empty node named like
// a hardpoint that is none: the mount is exported, the rest is said.
TEST_F(ExportCommand, ModelFilesAreJudgedAsTheExportSeesThem) {
  std::vector<testing::GltfNode> nodes(3);
  nodes[0] = {"hull", 0, {0, 0, 0}, {1, 1, 1}, {1, 2}};
  nodes[1] = {"Hp_Fixed_HpGun01", -1, {0, 1, 0}, {1, 1, 1}, {}};
  nodes[2] = {"hpanel_left", -1, {0, 0, 1}, {1, 1, 1}, {}};
  WriteText(folder_ / "small.gltf", testing::MakeGltf({{testing::Box()}}, nodes, {0}));
  const auto run = Run("export small.gltf -o small.cmp");
  ASSERT_EQ(run.exitStatus, 0) << run.err;
  EXPECT_EQ(run.err,
            "warning: \"small.gltf\": 1 geometry mesh without a material (material id 0 is "
            "written): \"hull\"\n"
            "warning: \"small.gltf\": mesh \"hpanel_left\" begins with \"hp\" but names neither a "
            "fixed nor a revolute hardpoint, so the export leaves it out; rename it (hardpoints "
            "are named like Hp_Fixed_HpGun01 or Hp_Revolute_HpTurret01)\n"
            "warning: \"small.gltf\": the model measures 0.022 units across at --scale 92, "
            "outside a ship's or station's size (1 to 5,000 units); --scale 1 makes it 2.0 "
            "units\n");
  EXPECT_NE(run.out.find("wrote small.cmp: 1 part, 1 mesh, 8 vertices, 12 triangles, 1 hardpoint"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("HpGun01"), std::string::npos) << run.out;
}

// A hardpoint named for the node tree ("HpTurret01", no Hp_Fixed_) is one
// the flat export leaves out, and says so; the listing's parts use it, so
// the listing does not ask to rename it unless the tree cannot form parts.
TEST_F(ExportCommand, RenamingIsAskedOnlyOfHardpointsLeftOut) {
  std::vector<testing::GltfNode> nodes(3);
  nodes[0] = {"hull", 0, {0, 0, 0}, {1, 1, 1}, {1}};
  nodes[1] = {"HpTurret01", -1, {0, 1, 0}, {1, 1, 1}, {}};
  nodes[2] = {"hull2", 0, {0, 0, 5}, {1, 1, 1}, {}};
  WriteText(folder_ / "tree.gltf", testing::MakeGltf({{testing::Box()}}, nodes, {0}));
  WriteText(folder_ / "roots.gltf", testing::MakeGltf({{testing::Box()}}, nodes, {0, 2}));
  const struct {
    std::string arguments;
    bool renames;
    std::string out;  // a line of the output that tells the hardpoint's fate
  } cases[] = {
      {"tree.gltf --list", false, "hardpoints: HpTurret01 (fixed)\n"},
      {"tree.gltf --list --scale 1", false, "hardpoints: HpTurret01 (fixed)\n"},
      {"tree.gltf -o flat.cmp --scale 1", true, ", 0 hardpoints, "},
      {"tree.gltf -o parts.cmp --scale 1 --parts nodes", false, ", 1 hardpoint, "},
      {"roots.gltf --list --scale 1", true, "--parts nodes cannot form parts: two mesh nodes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const auto run = Run("export " + c.arguments);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::string warning = "mesh \"HpTurret01\" begins with \"hp\" but names";
    const std::size_t rename = run.err.find(warning);
    EXPECT_EQ(rename != std::string::npos, c.renames) << run.err;
    EXPECT_EQ(rename == std::string::npos ? rename : run.err.find(warning, rename + 1),
              std::string::npos);  // said once
    EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
  }
}

// --game-ready makes parts of a tree with one mesh node at its top; with
// two it exports one part, and says so once, naming them.
TEST_F(ExportCommand, GameReadyFallingBackToOnePartSaysWhy) {
  std::vector<testing::GltfNode> nodes(3);
  nodes[0] = {"hull", 0, {0, 0, 0}, {1, 1, 1}, {1}};
  nodes[1] = {"wing", 0, {3, 0, 0}, {1, 1, 1}, {}};
  nodes[2] = {"stray", 0, {0, 0, 5}, {1, 1, 1}, {}};
  WriteText(folder_ / "tree.gltf", testing::MakeGltf({{testing::Box()}}, nodes, {0}));
  WriteText(folder_ / "roots.gltf", testing::MakeGltf({{testing::Box()}}, nodes, {0, 2}));
  const std::string fallback =
      "warning: \"roots.gltf\": --game-ready exports one part, not the node tree's: two mesh "
      "nodes at the top of the node tree: \"hull\" and \"stray\"; make one the other's parent\n";
  const struct {
    std::string arguments;
    std::string warning;  // the fallback's; empty: none
    std::string parts;
  } cases[] = {
      {"tree.gltf --game-ready", "", "2 parts"},
      {"roots.gltf --game-ready", fallback, "1 part"},
      {"roots.gltf", "", "1 part"},
      {"roots.gltf --game-ready --groups 2,1", "", "2 parts"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const auto run = Run("export " + c.arguments + " -o ship.cmp -q --force --scale 1");
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::size_t at = run.err.find("--game-ready exports one part");
    EXPECT_EQ(at == std::string::npos
                  ? ""
                  : run.err.substr(run.err.rfind('\n', at) + 1,
                                   run.err.find('\n', at) - run.err.rfind('\n', at)),
              c.warning)
        << run.err;
    EXPECT_EQ(at == std::string::npos ? at : run.err.find("one part", at + 40), std::string::npos);
    EXPECT_NE(run.out.find("wrote ship.cmp: " + c.parts + ", "), std::string::npos) << run.out;
  }
}

// The size is only judged outside 1 to 5,000 units, and a suggested --scale
// lands inside that range or none is suggested.
TEST_F(ExportCommand, SizeWarningsSuggestAScaleThatFitsOrNone) {
  struct Case {
    float nodeScale;
    const char* options;
    const char* warning;  // after "the model measures "; empty: none
  };
  const Case cases[] = {
      {1, "--scale 1", ""},
      {2500, "--scale 1", ""},
      {1, "",
       "0.022 units across at --scale 92, outside a ship's or station's size (1 to 5,000 "
       "units); --scale 1 makes it 2.0 units"},
      {0.1f, "",
       "0.0022 units across at --scale 92, outside a ship's or station's size (1 to "
       "5,000 units); no --scale from 1 to 100 brings it within that, so scale the "
       "model in the modelling tool"},
      {4000, "--scale 1",
       "8000.0 units across at --scale 1, outside a ship's or station's size "
       "(1 to 5,000 units); --scale 100 makes it 80.0 units"},
  };
  for (const Case& c : cases) {
    std::vector<testing::GltfNode> nodes = {
        {"hull", 0, {0, 0, 0}, {c.nodeScale, c.nodeScale, c.nodeScale}, {}}};
    WriteText(folder_ / "sized.gltf", testing::MakeGltf({{testing::Box()}}, nodes, {0}));
    const auto run = Run(std::string("export sized.gltf -o sized.cmp -q --force ") + c.options);
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const std::size_t at = run.err.find("the model measures ");
    const std::string warning =
        at == std::string::npos ? "" : run.err.substr(at + 19, run.err.find('\n', at) - at - 19);
    EXPECT_EQ(warning, c.warning) << c.nodeScale;
  }
}

TEST_F(ExportCommand, RefusesTargetsThatAreNotWritableFilesAtOnce) {
  fs::create_directory(folder_ / "folder");
  fs::create_directory(folder_ / "folder.mat");
  ASSERT_EQ(::mkfifo((folder_ / "fifo").c_str(), 0666), 0);
  const struct {
    std::string options;
    std::string err;
  } cases[] = {
      {"-o /dev/null --force",
       "error: /dev/null is a device, not a file; only regular files are written\n"},
      {"-o fifo --update",
       "error: fifo is a FIFO (named pipe), not a file; only regular files are written\n"},
      {"-o fifo --force",
       "error: fifo is a FIFO (named pipe), not a file; only regular files are written\n"},
      {"-o folder", "error: folder is a folder\n"},
      {"-o folder --force", "error: folder is a folder\n"},
      // The material file is judged as the .cmp file is, before either is written.
      {"-o ship.cmp --materials folder.mat --force", "error: folder.mat is a folder\n"},
  };
  for (const auto& each : cases) {
    const auto run = Run("export ship.json " + each.options);
    EXPECT_EQ(run.exitStatus, 1) << each.options;
    EXPECT_EQ(run.err, each.err) << each.options;
  }
  EXPECT_EQ(fs::status(folder_ / "fifo").type(), fs::file_type::fifo);
  EXPECT_TRUE(fs::is_empty(folder_ / "folder"));
  EXPECT_FALSE(fs::exists(folder_ / "ship.cmp"));
}

TEST_F(ExportCommand, RefusesModelsWhoseNormalsOverflowBeforeWriting) {
  WriteText(folder_ / "far.json", R"({"meshes": [{"name": "far",
    "vertices": [[0, 0, 0, 0, 0], [1e30, 0, 0, 0, 0], [0, 1e30, 0, 0, 0]], "triangles": [[0, 1, 2]]}]})");
  const auto run = Run("export far.json -o far.cmp");
  EXPECT_EQ(run.exitStatus, 1);
  EXPECT_EQ(run.err.rfind("error: The normals of mesh \"far\" come out as no finite number", 0), 0u)
      << run.err;
  EXPECT_FALSE(fs::exists(folder_ / "far.cmp"));
}

// Eight runs at once, each adding a mesh library entry of its own name.
TEST_F(ExportCommand, ParallelUpdatesKeepEveryExport) {
  constexpr int kRuns = 8;
  std::string script;
  for (int i = 0; i < kRuns; ++i) {
    const std::string name = "hull" + std::to_string(i);
    WriteText(folder_ / (name + ".json"), R"({"meshes": [{"name": ")" + name +
                                              R"(", "vertices": [[0, 0, 0, 0, 0], [92, 0, 0, 1, 0],
                                           [0, 92, 0, 0, 1]], "triangles": [[0, 1, 2]]}]})");
    script += "('" CMPTOOL_PATH "' export " + name + ".json -o ship.cmp --update -q; echo $? >" +
              name + ".status) & ";
  }
  ASSERT_EQ(std::system(("cd '" + folder_.string() + "' && { " + script + "wait; }").c_str()), 0);
  for (int i = 0; i < kRuns; ++i) {
    const std::string status = "hull" + std::to_string(i) + ".status";
    std::ifstream in(folder_ / status);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "0\n") << status;
  }
  UtfTree tree = ReadCmp("ship.cmp");
  for (int i = 0; i < kRuns; ++i) {
    const std::string entry = "hull" + std::to_string(i) + ".lod0.vms";
    EXPECT_NE(tree.FindNode(nullptr, entry), nullptr) << entry;
  }
  EXPECT_EQ(fs::exists(folder_ / ".ship.cmp.lock"), false);
}

TEST_F(ExportCommand, WaitsForAnotherExportOrRefusesWithNoWait) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t holder = ::fork();
  if (holder == 0) {
    const TargetLockResult held = TargetLock::Acquire(folder_ / "ship.cmp", true, nullptr);
    static_cast<void>(::write(ready[1], "y", 1));
    ::usleep(1500 * 1000);
    ::_exit(held.lock ? 0 : 1);
  }
  char signal = 0;
  ASSERT_EQ(::read(ready[0], &signal, 1), 1);

  const auto refused = Run("export ship.json -o ship.cmp -q --no-wait");
  EXPECT_EQ(refused.exitStatus, 1);
  EXPECT_EQ(refused.err, "error: ship.cmp is being written by another export (--no-wait)\n");
  const auto waited = Run("export ship.json -o ship.cmp -q");
  EXPECT_EQ(waited.exitStatus, 0);
  EXPECT_EQ(waited.err, "waiting for ship.cmp to be free\n");
  int status = -1;
  ::waitpid(holder, &status, 0);
  EXPECT_EQ(status, 0);
}

TEST_F(ExportCommand, ALaterRunRemovesTemporaryFilesOfKilledRuns) {
  const pid_t gone = ::fork();
  if (gone == 0) ::_exit(0);
  ::waitpid(gone, nullptr, 0);
  const std::string leftOver = ".ship.cmp." + std::to_string(gone) + ".0123456789abcdef.tmp";
  WriteText(folder_ / leftOver, "half an export");
  ASSERT_EQ(Run("export ship.json -o ship.cmp -q").exitStatus, 0);
  EXPECT_FALSE(fs::exists(folder_ / leftOver));
}

TEST_F(ExportCommand, ExplainsVersionScaleAndSettingsFiles) {
  const auto version = Run("--version");
  EXPECT_EQ(version.exitStatus, 0);
  EXPECT_EQ(version.out, "cmptool " SVCMP_VERSION_STRING "\n");

  const auto scale = Run("export ship.json -o ship.cmp --scale 1.5");
  EXPECT_EQ(scale.exitStatus, 2);
  EXPECT_NE(scale.err.find("the scale is a whole number from 1 to 100"), std::string::npos)
      << scale.err;

  WriteText(folder_ / "short.ces", "twelve bytes");
  const auto notSettings = Run("export ship.json -o ship.cmp --settings short.ces");
  EXPECT_EQ(notSettings.exitStatus, 1);
  EXPECT_EQ(notSettings.err.rfind("error: short.ces is not a settings file", 0), 0u)
      << notSettings.err;

  std::vector<std::uint8_t> zeroScale(88, 0);
  zeroScale[8] = 2;  // level of detail 2
  std::ofstream(folder_ / "zero.ces", std::ios::binary)
      .write(reinterpret_cast<const char*>(zeroScale.data()), 88);
  const auto clamped = Run("export ship.json -o ship.cmp --settings zero.ces");
  EXPECT_EQ(clamped.exitStatus, 0) << clamped.err;
  EXPECT_EQ(clamped.err,
            "warning: zero.ces holds the scale 0, which the options dialog turns into 1\n"
            "warning: zero.ces holds the group count 0, which the options dialog turns into 1\n"
            "loaded zero.ces: scale 1, orientation upside-down, level of detail 2, one part\n");
}

}  // namespace
}  // namespace svcmp
