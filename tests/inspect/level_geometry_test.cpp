#include "inspect/level_geometry.h"

#include <gtest/gtest.h>

#include "utf/utf_reader.h"

namespace svcmp {
namespace {

CompoundModel DecodeExport(const std::string& name) {
  UtfTree tree;
  const auto result = ReadUtfFile(SVCMP_TEST_DATA "/export/" + name, tree, nullptr);
  EXPECT_TRUE(result.ok()) << result.reason;
  return DecodeCompoundModel(tree);
}

struct MeshShape {
  std::size_t vertices;
  std::size_t indices;
  bool operator==(const MeshShape&) const = default;
};

std::vector<std::vector<MeshShape>> ShapesByPart(const LevelGeometry& geometry) {
  std::vector<std::vector<MeshShape>> shapes;
  for (const LevelPart& part : geometry.parts) {
    auto& meshes = shapes.emplace_back();
    for (const LevelMesh& mesh : part.meshes) {
      meshes.push_back({mesh.vertices.size(), mesh.indices.size()});
    }
  }
  return shapes;
}

// Our exports of the test ship: hull (5 vertices, 5 triangles), wing (4, 1)
// and engine (3, 1), in one part or in parts of two and one meshes.
TEST(LevelGeometry, GathersEveryLevelOfOurExports) {
  const std::vector<MeshShape> hullAndWing{{5, 15}, {4, 3}};
  const std::vector<MeshShape> engine{{3, 3}};
  struct Case {
    const char* file;
    int level;
    std::vector<std::vector<MeshShape>> shapes;
    std::size_t hardpoints;
  };
  const Case cases[] = {
      {"single_lod0.cmp", 0, {{{5, 15}, {4, 3}, {3, 3}}}, 3},
      {"buildup.cmp", 2, {{{5, 15}, {4, 3}, {3, 3}}}, 3},
      {"parts_buildup.cmp", 0, {hullAndWing, engine}, 3},
      {"parts_buildup.cmp", 1, {hullAndWing, engine}, 3},
      {"single_lod0.cmp", 1, {{}}, 3},  // no such level: hardpoints only
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " level " + std::to_string(c.level));
    const LevelGeometry geometry = GatherLevelGeometry(DecodeExport(c.file), c.level);
    EXPECT_EQ(ShapesByPart(geometry), c.shapes);
    EXPECT_TRUE(geometry.missing.empty());
    std::size_t hardpoints = 0;
    for (const LevelPart& part : geometry.parts) hardpoints += part.hardpoints.size();
    EXPECT_EQ(hardpoints, c.hardpoints);
    EXPECT_EQ(geometry.parts[0].parent, -1);
  }
}

Part NamedPart(const std::string& objectName) {
  Part part;
  part.objectName = objectName;
  return part;
}

Joint Hang(const std::string& parent, const std::string& child, Vector3 origin,
           Matrix3 rotation = {1, 0, 0, 0, 1, 0, 0, 0, 1}) {
  Joint joint;
  joint.parent = parent;
  joint.child = child;
  joint.origin = origin;
  joint.rotation = rotation;
  return joint;
}

TEST(LevelGeometry, JointsPlacePartsParentsFirstAndLoopsEnd) {
  CompoundModel model;
  for (const char* name : {"Leaf", "Arm", "Root", "LoopA", "LoopB"}) {
    model.parts.push_back(NamedPart(name));
  }
  const Matrix3 quarterTurnAboutZ{0, -1, 0, 1, 0, 0, 0, 0, 1};
  model.joints = {Hang("arm", "Leaf", {0, 1, 0}), Hang("Root", "Arm", {1, 0, 0}, quarterTurnAboutZ),
                  Hang("Root", "Leaf", {9, 9, 9}),  // a second parent: passed over
                  Hang("LoopB", "LoopA", {1, 1, 1}), Hang("LoopA", "LoopB", {2, 2, 2})};
  const LevelGeometry geometry = GatherLevelGeometry(model, 0);

  std::vector<std::pair<std::string, int>> placed;
  for (const LevelPart& part : geometry.parts) placed.emplace_back(part.name, part.parent);
  const std::vector<std::pair<std::string, int>> expected{
      {"Root", -1}, {"Arm", 0}, {"Leaf", 1}, {"LoopA", -1}, {"LoopB", 3}};
  EXPECT_EQ(placed, expected);
  // Leaf sits one up in Arm's frame, which is turned a quarter: one left of
  // Arm's origin, which is one right of Root's.
  EXPECT_EQ(geometry.parts[2].toModel.translation, (Vector3{0, 0, 0}));
  EXPECT_EQ(geometry.parts[2].toModel.rotation, quarterTurnAboutZ);
  EXPECT_EQ(ApplyTransform(geometry.parts[2].toModel, {1, 0, 0}), (Vector3{0, 1, 0}));
}

TEST(LevelGeometry, NamesMissingLibrariesAndDropsTrianglesOutsideTheirMesh) {
  MeshBuffer buffer;
  BufferMesh& mesh = buffer.meshes.emplace_back();
  mesh.materialId = 7;
  mesh.endVertex = 2;
  mesh.indexCount = 9;
  // The second triangle leaves the mesh, the third the index list.
  buffer.indices = {0, 1, 2, 2, 1, 3, 0, 2};
  buffer.vertices.resize(4);
  CompoundModel model;
  model.libraries.resize(2);
  model.libraries[0].id = 1;
  model.libraries[0].buffer = buffer;
  model.libraries[1].name = "broken.vms";
  model.libraries[1].id = 2;
  Part part = NamedPart("Root");
  part.levels.emplace_back();
  for (std::uint32_t id : {1u, 2u, 3u}) {
    MeshRef& ref = part.levels[0].meshRefs.emplace_back();
    ref.path = "/ref" + std::to_string(id);
    ref.libraryId = id;
    ref.meshCount = 1;
  }
  model.parts.push_back(part);

  const LevelGeometry geometry = GatherLevelGeometry(model, 0);
  ASSERT_EQ(geometry.MeshCount(), 1u);
  EXPECT_EQ(geometry.parts[0].meshes[0].materialId, 7u);
  EXPECT_EQ(geometry.parts[0].meshes[0].vertices.size(), 3u);
  EXPECT_EQ(geometry.parts[0].meshes[0].indices, (std::vector<std::uint32_t>{0, 1, 2}));
  ASSERT_EQ(geometry.missing.size(), 2u);
  EXPECT_EQ(geometry.missing[0].refPath, "/ref2");
  EXPECT_EQ(geometry.missing[0].libraryName, "broken.vms");
  EXPECT_EQ(geometry.missing[1].libraryId, 3u);
  EXPECT_EQ(geometry.missing[1].libraryName, "");
}

}  // namespace
}  // namespace svcmp
