// Third-party model files as they come: every model of Debian's
// assimp-testmodels package in a format cmptool reads goes through export
// and check. Each one is exported, or refused for the reason the table
// gives; none may crash or hang.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/cli/cmptool_runner.h"

namespace svcmp {
namespace {

namespace fs = std::filesystem;

const fs::path kModels = "/usr/share/assimp/models";

// Longer than any of these files takes, short enough that a hang ends the test.
constexpr int kSecondsPerFile = 60;

// Why a file is refused: words its message holds.
constexpr char kNoTriangles[] = "the file holds no triangles to export";
constexpr char kWideText[] = "is in a text encoding the importer cannot read (UTF-16)";
constexpr char kImporterLimit[] = "cannot be read by the importer: ";
constexpr char kDamaged[] = "the file is damaged: it cannot be read as ";
constexpr char kGltfOne[] = "glTF 1.0 is not supported: save it as glTF 2.0";
constexpr char kTooBig[] = "a .cmp file holds at most";
constexpr char kNotFinite[] = "has a coordinate that is not a finite number";
constexpr char kEmpty[] = "the file is empty";

// The files that are refused, with the reason; every other one is exported.
const std::map<std::string, const char*> kRefused = {
    {"Collada/cameras.dae", kNoTriangles},
    {"Collada/cube_UTF16LE.dae", kWideText},
    {"Collada/library_animation_clips.dae", kImporterLimit},
    {"Collada/lights.dae", kNoTriangles},
    {"FBX/transparentTest.fbx", kDamaged},  // its binary header has spaces for zero bytes
    {"OBJ/box_UTF16BE.obj", kWideText},
    {"OBJ/point_cloud.obj", kNoTriangles},
    {"OBJ/testline.obj", kNoTriangles},
    {"OBJ/testpoints.obj", kNoTriangles},
    {"glTF/BoxTextured-glTF-Binary/BoxTextured.glb", kGltfOne},
    {"glTF2/2CylinderEngine-glTF-Binary/2CylinderEngine.glb", kTooBig},
    {"glTF2/BoxWithInfinites-glTF-Binary/BoxWithInfinites.glb", kNotFinite},
    {"glTF2/ClearCoat-glTF/ClearCoatTest.gltf", kTooBig},
    {"glTF2/IndexOutOfRange/AllIndicesOutOfRange.gltf", kDamaged},
    {"glTF2/MissingBin/BoxTextured.gltf", kImporterLimit},  // its .bin is missing
    {"glTF2/RecursiveNodes/RecursiveNodes.gltf", kDamaged},
    {"glTF2/SchemaFailures/sceneWrongType.gltf", kDamaged},
    {"glTF2/TestNoRootNode/NoScene.gltf", kImporterLimit},
    {"glTF2/TestNoRootNode/SceneWithoutNodes.gltf", kNoTriangles},
    {"glTF2/draco/2CylinderEngine.gltf", kTooBig},
    {"glTF2/glTF-Asset-Generator/Mesh_PrimitiveMode/Mesh_PrimitiveMode_00.gltf", kNoTriangles},
    {"glTF2/glTF-Asset-Generator/Mesh_PrimitiveMode/Mesh_PrimitiveMode_01.gltf", kNoTriangles},
    {"glTF2/glTF-Asset-Generator/Mesh_PrimitiveMode/Mesh_PrimitiveMode_02.gltf", kNoTriangles},
    {"glTF2/glTF-Asset-Generator/Mesh_PrimitiveMode/Mesh_PrimitiveMode_03.gltf", kNoTriangles},
    {"glTF2/glTF-Asset-Generator/Mesh_PrimitiveMode/Mesh_PrimitiveMode_07.gltf", kNoTriangles},
    {"glTF2/glTF-Asset-Generator/Mesh_PrimitiveMode/Mesh_PrimitiveMode_08.gltf", kNoTriangles},
    {"glTF2/glTF-Asset-Generator/Mesh_PrimitiveMode/Mesh_PrimitiveMode_09.gltf", kNoTriangles},
    {"glTF2/glTF-Asset-Generator/Mesh_PrimitiveMode/Mesh_PrimitiveMode_10.gltf", kNoTriangles},
    {"glTF2/issue_3269/texcoord_crash.gltf", kDamaged},
    {"glTF2/wrongTypes/badArray.gltf", kDamaged},
    {"glTF2/wrongTypes/badExtension.gltf", kDamaged},
    {"glTF2/wrongTypes/badNumber.gltf", kDamaged},
    {"glTF2/wrongTypes/badObject.gltf", kDamaged},
    {"glTF2/wrongTypes/badString.gltf", kDamaged},
    {"glTF2/wrongTypes/badUint.gltf", kDamaged},
    {"invalid/empty.3ds", kEmpty},
    {"invalid/empty.obj", kEmpty},
    {"invalid/malformed.obj", kDamaged},
};
constexpr std::size_t kExported = 94;

// The package's files in the formats cmptool reads, by their path in it.
std::vector<std::string> ModelFiles() {
  std::vector<std::string> files;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(kModels)) {
    std::string extension = entry.path().extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const char* read : {".obj", ".gltf", ".glb", ".fbx", ".dae", ".3ds"}) {
      if (entry.is_regular_file() && extension == read) {
        files.push_back(entry.path().lexically_relative(kModels).generic_string());
      }
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

class AssimpTestModels : public testing::CmptoolTest {};

TEST_F(AssimpTestModels, EachIsExportedAndCheckedOrRefusedAsTheTableSays) {
  if (!fs::is_directory(kModels)) {
    GTEST_SKIP() << kModels.string()
                 << " is absent: install Debian's assimp-testmodels package to run this test";
  }
  const auto start = std::chrono::steady_clock::now();
  std::size_t exported = 0;
  std::size_t crashed = 0;
  std::map<std::string, std::size_t> refusedFor;
  for (const std::string& file : ModelFiles()) {
    SCOPED_TRACE(file);
    const testing::CmptoolRun run = testing::RunCmptool(
        "export '" + (kModels / file).string() + "' -o model.cmp -q --force --game-ready", folder_,
        kSecondsPerFile);
    // A crash, a hang or the importer stopped by its limits.
    if ((run.exitStatus != 0 && run.exitStatus != 1) ||
        run.err.find("the importer stopped") != std::string::npos) {
      ADD_FAILURE() << "status " << run.exitStatus << ": " << run.err;
      ++crashed;
      continue;
    }
    const auto refusal = kRefused.find(file);
    if (refusal == kRefused.end()) {
      ASSERT_EQ(run.exitStatus, 0) << run.err;
      const testing::CmptoolRun check =
          testing::RunCmptool("check model.cmp", folder_, kSecondsPerFile);
      EXPECT_EQ(check.exitStatus, 0) << check.out << check.err;
      ++exported;
      continue;
    }
    EXPECT_EQ(run.exitStatus, 1) << run.err;
    EXPECT_NE(run.err.find(refusal->second), std::string::npos) << run.err;
    ++refusedFor[refusal->second];
  }
  EXPECT_EQ(exported, kExported);
  std::size_t refused = 0;
  for (const auto& [reason, count] : refusedFor) refused += count;
  EXPECT_EQ(refused, kRefused.size());
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%zu exported, %zu refused, %zu crashed in %.1f s\n", exported, refused, crashed,
              seconds);
  for (const auto& [reason, count] : refusedFor) std::printf("  %zu: %s\n", count, reason.c_str());
}

}  // namespace
}  // namespace svcmp
