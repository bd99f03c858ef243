#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "cmp/cmp_tree_dialog.h"
#include "plugin/mesh_records.h"
#include "tests/utf/utf_test_files.h"
#include "utf/utf_tree.h"

namespace svcmp::testing {

using Point = std::array<float, 3>;

// A mesh with the given corners and triangles; bounds and the hardpoint flag
// as capture sets them.
inline MeshRecord Mesh(std::string name, std::vector<Point> corners,
                       std::vector<MeshTriangle> triangles = {},
                       std::vector<FaceNormal> normals = {}) {
  MeshRecord mesh;
  mesh.isHardpoint =
      name.size() >= 2 && (name[0] == 'h' || name[0] == 'H') && (name[1] == 'p' || name[1] == 'P');
  mesh.meshName = std::move(name);
  mesh.triangles = std::move(triangles);
  mesh.faceNormals = std::move(normals);
  for (std::size_t i = 0; i < corners.size(); ++i) {
    const Point& p = corners[i];
    mesh.vertices.push_back(MeshVertex{{p[0], p[1], p[2]}, {0, 0, 1}, {0, 0}});
    Bounds& b = mesh.bounds;
    if (i == 0) b = Bounds{p[0], p[0], p[1], p[1], p[2], p[2]};
    b.maxX = std::max(b.maxX, p[0]), b.minX = std::min(b.minX, p[0]);
    b.maxY = std::max(b.maxY, p[1]), b.minY = std::min(b.minY, p[1]);
    b.maxZ = std::max(b.maxZ, p[2]), b.minZ = std::min(b.minZ, p[2]);
  }
  return mesh;
}

// A one-triangle geometry mesh centred on `centre`, facing `normal`.
inline MeshRecord Plate(std::string name, Point centre, FaceNormal normal) {
  const auto [x, y, z] = centre;
  return Mesh(std::move(name), {{x - 1, y, z}, {x + 1, y, z}, {x, y, z}}, {MeshTriangle{{0, 1, 2}}},
              {normal});
}

// A hardpoint mesh whose three vertices all lie at `at`, so its position is `at`.
inline MeshRecord Hardpoint(std::string name, Point at = {0, 0, 0}) {
  return Mesh(std::move(name), {at, at, at}, {MeshTriangle{{0, 1, 2}}}, {FaceNormal{0, 0, 1}});
}

inline std::vector<std::uint8_t> Bytes(std::initializer_list<unsigned> values) {
  std::vector<std::uint8_t> bytes;
  for (unsigned v : values) bytes.push_back(static_cast<std::uint8_t>(v));
  return bytes;
}

inline std::vector<std::uint8_t> Le32(std::uint32_t value) {
  return Bytes({value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF, value >> 24});
}

inline std::vector<std::uint8_t> Join(std::initializer_list<std::vector<std::uint8_t>> parts) {
  std::vector<std::uint8_t> bytes;
  for (const auto& part : parts) bytes.insert(bytes.end(), part.begin(), part.end());
  return bytes;
}

inline std::vector<std::uint8_t> Text(std::string_view text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

// Depth and name of every node in pre-order.
inline std::vector<std::string> Outline(const UtfTree& tree) {
  std::vector<std::string> lines = Describe(tree);
  for (std::string& line : lines) line = line.substr(0, line.find(" ["));
  return lines;
}

// The node reached by child lookups from the first top-level node; null when
// the path breaks off.
inline UtfNode At(const UtfTree& tree, std::initializer_list<std::string_view> path) {
  UtfNode node = tree.Root();
  for (std::string_view name : path) {
    if (!node) return nullptr;
    node = tree.FindNode(node, name);
  }
  return node;
}

inline std::vector<std::uint8_t> DataAt(const UtfTree& tree,
                                        std::initializer_list<std::string_view> path) {
  UtfNode node = At(tree, path);
  if (!node || !tree.Data(node)) return {};
  return {tree.Data(node)->begin(), tree.Data(node)->end()};
}

inline void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh folder for one test, removed with everything in it afterwards.
class TempDir {
 public:
  TempDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("svcmp_cmp_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// One export's inputs with its mesh-buffer file in a temporary folder: a
// hull, a fixed and a revolute hardpoint, one part unless groups are added.
struct ExportScene {
  TempDir dir;
  MeshList meshes = {Plate("hull", {0, 0, 0}, {0, 0, 1}),
                     Hardpoint("Hp_Fixed_HpMount01", {0, 1, 0}),
                     Hardpoint("hp-revolute-HpTurret01", {0, 2, 0})};
  GroupList groups;
  MeshDataSummary summary{2, 0x0102, 0x0304, Bounds{1, -1, 2, -2, 3, -3}};
  std::vector<std::uint8_t> buffer = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4};

  std::filesystem::path BufferPath() const { return dir.Path() / "___temp.vms"; }
  std::filesystem::path CmpPath() const { return dir.Path() / "ship.cmp"; }

  // Writes the buffer file anew, as the driver does before each export.
  CmpAssemblyInputs Inputs(int levelOfDetail, ExportMode mode = CreateNew) {
    WriteBytes(BufferPath(), buffer);
    CmpAssemblyInputs inputs;
    inputs.meshList = &meshes;
    inputs.groupList = &groups;
    inputs.exportMode = mode;
    inputs.filePath = CmpPath();
    inputs.summary = &summary;
    inputs.levelOfDetail = levelOfDetail;
    inputs.groupCount = groups.empty() ? 1 : static_cast<int>(groups.size());
    inputs.meshBufferPath = BufferPath();
    return inputs;
  }

  // Groups named after their first meshes, each with its own slice and bounds.
  void AddGroup(const std::string& firstMeshName, Bounds bounds) {
    MeshGroup group;
    const auto n = static_cast<std::uint16_t>(groups.size());
    group.startVertex = static_cast<std::uint16_t>(0x10 * n);
    group.vertexCount = 3;
    group.startIndex = static_cast<std::uint16_t>(0x20 * n);
    group.indexCount = 3;
    group.startMesh = n;
    group.meshCount = 1;
    group.bounds = bounds;
    group.objectName = firstMeshName + "_lod1";
    group.fileName = firstMeshName + "_lod1.3db";
    groups.push_back(group);
  }
};

// The hull and a wing as two parts, with a fixed hardpoint on the wing.
class TwoPartSceneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scene.meshes.push_back(Plate("wing", {7, 0, 0}, {0, 1, 0}));
    scene.meshes.push_back(Hardpoint("Hp_Fixed_HpWing", {7, 0.5f, 0}));
    scene.AddGroup("hull", Bounds{1, -1, 0.5f, -0.5f, 0.5f, -0.5f});
    scene.AddGroup("wing", Bounds{10, 5, 1, -1, 1, -1});
  }
  ExportScene scene;
};

}  // namespace svcmp::testing
