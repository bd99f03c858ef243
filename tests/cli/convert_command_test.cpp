#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>

#include "format/mesh_buffer_layout.h"
#include "format/name_crc.h"
#include "inspect/level_geometry.h"
#include "tests/cli/cmptool_runner.h"
#include "tests/inspect/collision_test_files.h"
#include "tests/inspect/inspect_test_files.h"
#include "utf/utf_reader.h"
#include "utf/utf_writer.h"

// cmptool convert, judged by the round trip the modder makes: converting a
// .cmp and exporting the result again gives the same meshes and hardpoints.
namespace svcmp {
namespace {

namespace fs = std::filesystem;

const std::string kExports = SVCMP_TEST_DATA "/export/";

CompoundModel Decode(const fs::path& path) {
  UtfTree tree;
  const UtfReadResult read = ReadUtfFile(path, tree, nullptr);
  EXPECT_TRUE(read.ok()) << path << ": " << read.reason;
  return DecodeCompoundModel(tree);
}

LevelGeometry Gather(const fs::path& path, int level) {
  return GatherLevelGeometry(Decode(path), level);
}

const LevelPart* LevelPartNamed(const LevelGeometry& geometry, const std::string& name) {
  const auto found = std::find_if(geometry.parts.begin(), geometry.parts.end(),
                                  [&](const LevelPart& part) { return part.name == name; });
  return found == geometry.parts.end() ? nullptr : &*found;
}

// Scaling up and down again rounds twice: a few units in the last place;
// parts taken into their own frames round once more, by up to `floor`.
bool WithinRounding(const Vector3& a, const Vector3& b, float floor) {
  for (std::size_t i = 0; i < 3; ++i) {
    if (std::fabs(a[i] - b[i]) >
        std::max(floor, 4 * std::numeric_limits<float>::epsilon() * std::fabs(a[i]))) {
      return false;
    }
  }
  return true;
}

// Every triangle corner lands where it was. The importer joins vertices of
// equal position and texture point and drops unused ones, so vertex counts
// match exactly only for meshes without such vertices. Parts are matched by
// place, or by name where the export orders them otherwise (and fills the
// levels a part lacks, which are passed over).
struct Matching {
  bool exactVertexCounts = false;
  bool byName = false;
  float floor = 0;
};

void ExpectSameGeometry(const LevelGeometry& original, const LevelGeometry& back,
                        const Matching& matching) {
  ASSERT_EQ(back.parts.size(), original.parts.size());
  for (std::size_t p = 0; p < original.parts.size(); ++p) {
    SCOPED_TRACE("part " + std::to_string(p));
    const LevelPart& was = original.parts[p];
    if (matching.byName && was.meshes.empty()) continue;
    const LevelPart* is = matching.byName ? LevelPartNamed(back, was.name) : &back.parts[p];
    ASSERT_NE(is, nullptr) << was.name;
    ASSERT_EQ(is->meshes.size(), was.meshes.size());
    for (std::size_t m = 0; m < was.meshes.size(); ++m) {
      SCOPED_TRACE("mesh " + std::to_string(m));
      const LevelMesh& a = was.meshes[m];
      const LevelMesh& b = is->meshes[m];
      ASSERT_EQ(b.indices.size(), a.indices.size());
      if (matching.exactVertexCounts) {
        EXPECT_EQ(b.vertices.size(), a.vertices.size());
        EXPECT_EQ(b.indices, a.indices);
      }
      for (std::size_t k = 0; k < a.indices.size(); ++k) {
        EXPECT_TRUE(WithinRounding(a.vertices[a.indices[k]].position,
                                   b.vertices[b.indices[k]].position, matching.floor))
            << "corner " << k;
      }
    }
  }
}

using ConvertCommand = testing::CmptoolTest;

struct RoundTrip {
  std::string source;  // a golden file, or the sample ship's export options
  int level;
  std::string convertOptions;
  std::string exportOptions;
  bool exactVertexCounts;
};

// One level converted (no $lod nodes) and exported without --parts nodes:
// the meshes come back; the hardpoints, named as themselves now, are for
// --parts nodes to read.
TEST_F(ConvertCommand, FlatExportOfOneConvertedLevelGivesTheSameMeshes) {
  const std::string sampleShip = "'" SVCMP_EXAMPLES "/sample_ship.json'";
  const RoundTrip trips[] = {
      {kExports + "single_lod0.cmp", 0, "--level 0", "", false},
      {kExports + "parts_buildup.cmp", 0, "--level 0", "--groups 2,1", false},
      {kExports + "parts_buildup.cmp", 1, "--level 1", "--lod 1 --groups 2,1", false},
      {kExports + "parts_lod2.cmp", 2, "--level 2 --scale 50 --orientation back-to-front",
       "--lod 2 --scale 50 --orientation back-to-front --groups 1,1,1", false},
      {"", 0, "--level 0", "", true},
      {"", 0, "--level 0", "--groups 1,2,1", true},
  };
  for (const char* format : {"glb", "gltf", "dae"}) {
    for (const RoundTrip& trip : trips) {
      SCOPED_TRACE(std::string(format) + " " + trip.source + " " + trip.exportOptions);
      fs::path source = trip.source;
      if (source.empty()) {
        source = folder_ / "sample.cmp";
        ASSERT_EQ(Run("export " + sampleShip + " -o sample.cmp -q --force " + trip.exportOptions)
                      .exitStatus,
                  0);
      }
      const std::string model = std::string("model.") + format;
      const auto convert =
          Run("convert '" + source.string() + "' -o " + model + " --force " + trip.convertOptions);
      ASSERT_EQ(convert.exitStatus, 0) << convert.err;
      EXPECT_EQ(convert.err, "");
      const auto exported =
          Run("export " + model + " -o back.cmp -q --force " + trip.exportOptions);
      ASSERT_EQ(exported.exitStatus, 0) << exported.err;
      ExpectSameGeometry(Gather(source, trip.level), Gather(folder_ / "back.cmp", trip.level),
                         {trip.exactVertexCounts});
    }
  }
  EXPECT_TRUE(fs::exists(folder_ / "model.bin"));  // the .gltf's buffer, delivered beside it
}

// Whether `is` holds what `expected` does, numbers within float rounding
// (angles come back from radians in degrees).
bool Near(const nlohmann::json& is, const nlohmann::json& expected) {
  if (expected.is_number()) {
    return is.is_number() && std::fabs(is.get<double>() - expected.get<double>()) <=
                                 1e-5 * std::max(1.0, std::fabs(expected.get<double>()));
  }
  if (expected.is_array() || expected.is_object()) {
    if (is.type() != expected.type() || is.size() != expected.size()) return false;
    for (auto item = expected.begin(); item != expected.end(); ++item) {
      const auto& other = expected.is_array()
                              ? is[static_cast<std::size_t>(item - expected.begin())]
                              : (is.contains(item.key()) ? is[item.key()] : nlohmann::json());
      if (!Near(other, *item)) return false;
    }
    return true;
  }
  return is == expected;
}

// The JSON of a .gltf file, or of a .glb file's first chunk.
nlohmann::json GltfJson(const std::string& bytes, bool binary) {
  if (!binary) return nlohmann::json::parse(bytes);
  std::uint32_t length = 0;
  std::memcpy(&length, bytes.data() + 12, 4);
  return nlohmann::json::parse(bytes.substr(20, length));
}

// A compound model with a joint of every kind (OtherToolFile), whose turret
// has a level 1 too.
UtfTree JointsOfEveryKind() {
  UtfTree tree = testing::OtherToolFile();
  UtfNode levels = tree.FindNode(tree.FindNode(nullptr, "turret.3db"), "MultiLevel");
  testing::AddTestLeaf(tree, tree.AddNode(tree.AddNode(levels, "Level1"), "VMeshPart"), "VMeshRef",
                       testing::MeshRefBytes(NameCrc("ship.lod0.vms"), 1, 3, 3, 3, 1, 1));
  return tree;
}

TEST_F(ConvertCommand, WritesThePartsAsANodeTreeWithJointsLevelsAndHardpointsAsProperties) {
  ASSERT_TRUE(WriteUtfFile(JointsOfEveryKind(), folder_ / "joints.cmp").written);
  // The export's scale (92) and orientation fix (y and z turned over) undone.
  const struct {
    const char* name;
    const char* parent;
    bool holdsMeshes;
    std::array<float, 3> translation;
    const char* extras;
  } expected[] = {
      {"Cmpnd", "", false, {0, 0, 0}, "null"},
      {"Root", "Cmpnd", true, {0, 0, 0}, "null"},
      {"HpGun",
       "Root",
       false,
       {92, -184, -276},
       R"({"hardpoint": true, "hptype": "rev", "axis": [0, 0, -1], "min": -57.29578,
           "max": 57.29578})"},
      {"turret",
       "Root",
       true,
       {46, -92, -184},
       R"({"construct": "rev", "axis_rotation": [0, -1, 0], "min": -85.943665, "max": 85.943665,
           "offset": [46, 0, 0]})"},
      {"turret$lod1", "turret", true, {0, 0, 0}, "null"},
      {"barrel", "turret", false, {0, 0, -92}, R"({"construct": "fix"})"},
      {"door",
       "Root",
       false,
       {0, 0, 276},
       R"({"construct": "pris", "axis_translation": [0, 0, -1], "min": 0, "max": 184,
           "offset": [0, 0, 0]})"},
      {"ball",
       "Root",
       false,
       {0, 92, 0},
       R"({"construct": "sphere", "min": [-1, -0.25, -2], "max": [1, 0.5, 2],
           "offset": [0, 0, 0]})"},
  };
  for (const char* format : {"gltf", "glb"}) {
    SCOPED_TRACE(format);
    const std::string model = std::string("model.") + format;
    const auto convert = Run("convert joints.cmp -o " + model + " --force");
    ASSERT_EQ(convert.exitStatus, 0) << convert.err;
    const nlohmann::json nodes = GltfJson(FileText(model), format[2] == 'b')["nodes"];
    ASSERT_EQ(nodes.size(), std::size(expected));
    std::map<std::string, std::string> parents;
    for (const auto& node : nodes) {
      for (const auto& child : node.value("children", nlohmann::json::array())) {
        parents[nodes[child.get<std::size_t>()]["name"]] = node["name"];
      }
    }
    for (const auto& node : nodes) {
      const std::string name = node["name"];
      SCOPED_TRACE(name);
      const auto* want = std::find_if(std::begin(expected), std::end(expected),
                                      [&](const auto& e) { return name == e.name; });
      ASSERT_NE(want, std::end(expected));
      EXPECT_EQ(parents[name], want->parent);
      EXPECT_EQ(node.contains("mesh"), want->holdsMeshes);
      const auto matrix = node.value("matrix", nlohmann::json::array());
      const std::array<float, 3> translation =
          matrix.empty() ? std::array<float, 3>{}
                         : std::array<float, 3>{matrix[12], matrix[13], matrix[14]};
      EXPECT_TRUE(Near(translation, want->translation));
      EXPECT_TRUE(Near(node.value("extras", nlohmann::json()), nlohmann::json::parse(want->extras)))
          << node.value("extras", nlohmann::json());
    }
    // A quarter turn about z, seen with y and z turned over: the other way round.
    const auto barrel = *std::find_if(nodes.begin(), nodes.end(),
                                      [](const auto& node) { return node["name"] == "barrel"; });
    EXPECT_TRUE(Near(barrel["matrix"],
                     nlohmann::json::parse("[0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, -92, 1]")))
        << barrel["matrix"];
  }
}

// JointsOfEveryKind with a tetrahedron for every part (and the turret's
// level 1), so that every part is a mesh node of the converted tree.
// Position, normal and texture point of each corner of the tetrahedron.
using TetrahedronVertices = std::array<std::array<float, 8>, 4>;
constexpr TetrahedronVertices kTetrahedron = {{{0, 0, 0, 0, 0, 1, 0, 0},
                                               {2, 0, 0, 1, 0, 0, 1, 0},
                                               {0, 2, 0, 0, 1, 0, 0, 1},
                                               {0, 0, 2, 0, 0, 1, 1, 1}}};

std::vector<std::uint8_t> TetrahedronBuffer(const TetrahedronVertices& vertices) {
  testing::LeafBuilder buffer;
  buffer.U32(kMeshKind).U32(kTriangleListPrimitive).U16(1).U16(12).U16(kMeshVertexFormat).U16(4);
  buffer.U32(0xAA).U16(0).U16(3).U16(12).U16(kMeshEntryPadding);
  for (std::uint16_t index : {0, 1, 2, 0, 3, 1, 0, 2, 3, 1, 3, 2}) buffer.U16(index);
  for (const auto& vertex : vertices) {
    for (float value : vertex) buffer.Floats({value});
  }
  return buffer.Take();
}

UtfTree EveryPartWithMeshes(const TetrahedronVertices& vertices = kTetrahedron) {
  UtfTree tree = JointsOfEveryKind();
  tree.SetData(tree.FindNode(nullptr, "VMeshData"), TetrahedronBuffer(vertices));
  const auto ref = [] {
    return testing::MeshRefBytes(NameCrc("ship.lod0.vms"), 0, 4, 0, 12, 0, 1);
  };
  const auto child = [&tree](UtfNode parent, std::initializer_list<const char*> path) {
    for (const char* name : path) parent = tree.FindNode(parent, name);
    return parent;
  };
  UtfNode turret = child(nullptr, {"turret.3db", "MultiLevel"});
  for (UtfNode node : {child(nullptr, {"ship.3db", "VMeshPart", "VMeshRef"}),
                       child(turret, {"Level0", "VMeshPart", "VMeshRef"}),
                       child(turret, {"Level1", "VMeshPart", "VMeshRef"})}) {
    tree.SetData(node, ref());
  }
  for (const char* name : {"door.3db", "ball.3db", "barrel.3db"}) {
    testing::AddTestLeaf(tree, tree.AddNode(tree.FindNode(nullptr, name), "VMeshPart"), "VMeshRef",
                         ref());
  }
  return tree;
}

bool NearFloats(std::span<const float> a, std::span<const float> b) {
  return Near(std::vector<float>(a.begin(), a.end()), std::vector<float>(b.begin(), b.end()));
}

const Part* PartNamed(const CompoundModel& model, const std::string& name) {
  const auto found = std::find_if(model.parts.begin(), model.parts.end(),
                                  [&](const Part& part) { return part.objectName == name; });
  return found == model.parts.end() ? nullptr : &*found;
}

const Joint* JointOf(const CompoundModel& model, const std::string& child) {
  const auto found = std::find_if(model.joints.begin(), model.joints.end(),
                                  [&](const Joint& joint) { return joint.child == child; });
  return found == model.joints.end() ? nullptr : &*found;
}

// The same parts, joints, hardpoints and levels, numbers within rounding;
// every triangle corner of every level where it was in its part's frame.
void ExpectSameParts(const CompoundModel& was, const CompoundModel& is) {
  ASSERT_EQ(is.parts.size(), was.parts.size());
  ASSERT_EQ(is.joints.size(), was.joints.size());
  for (const Part& part : was.parts) {
    SCOPED_TRACE(part.objectName);
    const Part* back = PartNamed(is, part.objectName);
    ASSERT_NE(back, nullptr);
    // The export fills the levels a part lacks, as --auto-lod does.
    ASSERT_GE(back->levels.size(), part.levels.size());
    ASSERT_EQ(back->hardpoints.size(), part.hardpoints.size());
    for (std::size_t h = 0; h < part.hardpoints.size(); ++h) {
      const Hardpoint& a = part.hardpoints[h];
      const Hardpoint& b = back->hardpoints[h];
      EXPECT_EQ(b.name, a.name);
      EXPECT_EQ(b.kind, a.kind);
      EXPECT_TRUE(NearFloats(*b.position, *a.position));
      EXPECT_TRUE(NearFloats(*b.orientation, *a.orientation));
      EXPECT_TRUE(NearFloats(*b.axis, *a.axis));
      EXPECT_TRUE(NearFloats(std::array{*b.min, *b.max}, std::array{*a.min, *a.max}));
    }
    const Joint* joint = JointOf(was, part.objectName);
    if (!joint) continue;
    const Joint* backJoint = JointOf(is, part.objectName);
    ASSERT_NE(backJoint, nullptr);
    EXPECT_EQ(backJoint->kind, joint->kind);
    EXPECT_EQ(backJoint->parent, joint->parent);
    EXPECT_TRUE(NearFloats(backJoint->origin, joint->origin));
    EXPECT_TRUE(NearFloats(backJoint->offset, joint->offset));
    EXPECT_TRUE(NearFloats(backJoint->rotation, joint->rotation));
    EXPECT_TRUE(NearFloats(backJoint->axis, joint->axis));
    EXPECT_TRUE(
        NearFloats(std::array{backJoint->min, backJoint->max}, std::array{joint->min, joint->max}));
    EXPECT_TRUE(NearFloats(backJoint->sphereLimits, joint->sphereLimits));
  }
  for (int level = 0; level < 2; ++level) {
    SCOPED_TRACE("level " + std::to_string(level));
    ExpectSameGeometry(GatherLevelGeometry(was, level), GatherLevelGeometry(is, level),
                       {.byName = true, .floor = 1e-5f});
  }
}

TEST_F(ConvertCommand, PartsWithoutJointsHangOnTheFirstPartOfTheTree) {
  // Our export without --fix: two parts, three levels, no joint.
  const fs::path source = kExports + "parts_buildup.cmp";
  ASSERT_EQ(Run("convert '" + source.string() + "' -o model.glb").exitStatus, 0);
  const auto exported = Run("export model.glb -o back.cmp -q --parts nodes");
  ASSERT_EQ(exported.exitStatus, 0) << exported.err;
  const CompoundModel back = Decode(folder_ / "back.cmp");
  ASSERT_EQ(back.joints.size(), 1u);
  EXPECT_EQ(back.joints[0].kind, JointKind::Fix);
  EXPECT_EQ(back.joints[0].parent, "Root");
  for (int level = 0; level < 3; ++level) {
    SCOPED_TRACE("level " + std::to_string(level));
    ExpectSameGeometry(Gather(source, level), GatherLevelGeometry(back, level),
                       {.byName = true, .floor = 1e-5f});
  }
}

TEST_F(ConvertCommand, ExportOfTheConvertedTreeGivesTheSamePartsJointsHardpointsAndLevels) {
  ASSERT_TRUE(WriteUtfFile(EveryPartWithMeshes(), folder_ / "joints.cmp").written);
  const CompoundModel original = Decode(folder_ / "joints.cmp");
  for (const char* options : {"", " --scale 50 --orientation back-to-front"}) {
    for (const char* format : {"glb", "gltf"}) {
      SCOPED_TRACE(std::string(format) + options);
      const std::string model = std::string("model.") + format;
      const auto convert = Run("convert joints.cmp -o " + model + " --force" + options);
      ASSERT_EQ(convert.exitStatus, 0) << convert.err;
      const auto exported =
          Run("export " + model + " -o back.cmp -q --force --parts nodes" + std::string(options));
      ASSERT_EQ(exported.exitStatus, 0) << exported.err;
      // The tree names the hardpoints, so their plain names are no fault.
      EXPECT_EQ(exported.err.find("hardpoint"), std::string::npos) << exported.err;
      ExpectSameParts(original, Decode(folder_ / "back.cmp"));
    }
  }
}

// The floats of a .gltf accessor, read from its buffer file in `folder`.
std::vector<float> AccessorFloats(const nlohmann::json& gltf, std::size_t accessor,
                                  const fs::path& folder) {
  const nlohmann::json& a = gltf["accessors"][accessor];
  const nlohmann::json& view = gltf["bufferViews"][a["bufferView"].get<std::size_t>()];
  const std::string uri = gltf["buffers"][view["buffer"].get<std::size_t>()]["uri"];
  std::ifstream in(folder / uri, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t width = a["type"] == "VEC3" ? 3 : 2;
  std::vector<float> values(a["count"].get<std::size_t>() * width);
  const std::size_t start = view.value("byteOffset", 0u) + a.value("byteOffset", 0u);
  EXPECT_LE(start + values.size() * 4, bytes.size());
  if (start + values.size() * 4 <= bytes.size()) {
    std::memcpy(values.data(), bytes.data() + start, values.size() * 4);
  }
  return values;
}

// The texture point of the vertex at `position` in the level's first part.
std::optional<std::array<float, 2>> TextureAt(const LevelGeometry& geometry,
                                              const Vector3& position) {
  for (const LevelMesh& mesh : geometry.parts.at(0).meshes) {
    for (const BufferVertex& vertex : mesh.vertices) {
      if (WithinRounding(vertex.position, position, 1e-5f)) return vertex.texture;
    }
  }
  return std::nullopt;
}

// Texture points and normals that are no number are mended with a warning
// naming the mesh, and the model converts and exports back; a position that
// is no number refuses the model, naming the mesh, and writes nothing.
TEST_F(ConvertCommand, MendsTexturePointsAndNormalsThatAreNoNumberButRefusesSuchPositions) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  TetrahedronVertices mended = kTetrahedron;
  mended[1][6] = nan;  // the texture point of (2, 0, 0)
  mended[2][3] = inf;  // the normal of (0, 2, 0)
  ASSERT_TRUE(WriteUtfFile(EveryPartWithMeshes(mended), folder_ / "mended.cmp").written);
  const auto convert = Run("convert mended.cmp -o model.gltf");
  ASSERT_EQ(convert.exitStatus, 0) << convert.err;
  // Every part holds the same mesh: one warning for each, naming it.
  EXPECT_EQ(convert.err.find(
                "warning: mended.cmp: mesh ship: 1 texture coordinate that is not a finite number "
                "set to 0, 1 normal that is not a finite number made again from the triangles\n"),
            0u)
      << convert.err;

  // The normal made again is the mean of its three triangles' as they are
  // wound, (0, 0, 1), (1, 0, 0) and -(1, 1, 1)/sqrt 3, with y and z turned over.
  const nlohmann::json gltf = GltfJson(FileText("model.gltf"), false);
  const nlohmann::json& attributes = gltf["meshes"][0]["primitives"][0]["attributes"];
  const std::vector<float> positions =
      AccessorFloats(gltf, attributes["POSITION"].get<std::size_t>(), folder_);
  const std::vector<float> normals =
      AccessorFloats(gltf, attributes["NORMAL"].get<std::size_t>(), folder_);
  ASSERT_EQ(normals.size(), positions.size());
  bool found = false;
  for (std::size_t v = 0; v + 2 < positions.size(); v += 3) {
    if (!WithinRounding({positions[v], positions[v + 1], positions[v + 2]}, {0, -184, 0}, 1e-3f)) {
      continue;
    }
    found = true;
    const double third = 1 / std::sqrt(3.0);
    const double length = std::hypot(1 - third, third, 1 - third);
    const std::array<double, 3> expected{(1 - third) / length, third / length,
                                         -(1 - third) / length};
    for (std::size_t axis = 0; axis < 3; ++axis)
      EXPECT_NEAR(normals[v + axis], expected[axis], 1e-6);
  }
  EXPECT_TRUE(found);

  const auto exported = Run("export model.gltf -o back.cmp -q --parts nodes");
  ASSERT_EQ(exported.exitStatus, 0) << exported.err;
  const LevelGeometry back = GatherLevelGeometry(Decode(folder_ / "back.cmp"), 0);
  const struct {
    Vector3 position;
    std::array<float, 2> texture;
  } textures[] = {{{2, 0, 0}, {0, 0}}, {{0, 2, 0}, {0, 1}}, {{0, 0, 2}, {1, 1}}};
  for (const auto& want : textures) {
    SCOPED_TRACE(want.position[0] + want.position[1] * 10);
    const auto texture = TextureAt(back, want.position);
    ASSERT_TRUE(texture.has_value());
    EXPECT_EQ(*texture, want.texture);
  }

  TetrahedronVertices refused = kTetrahedron;
  refused[3][2] = nan;
  ASSERT_TRUE(WriteUtfFile(EveryPartWithMeshes(refused), folder_ / "refused.cmp").written);
  const auto refusal = Run("convert refused.cmp -o out.gltf");
  EXPECT_EQ(refusal.exitStatus, 1);
  EXPECT_NE(refusal.err.find("mesh ship has a number that is not finite"), std::string::npos)
      << refusal.err;
  EXPECT_FALSE(fs::exists(folder_ / "out.gltf"));
}

// Every hardpoint of the model by name, with the part that holds it.
std::map<std::string, std::pair<std::string, Hardpoint>> HardpointsByName(
    const CompoundModel& model) {
  std::map<std::string, std::pair<std::string, Hardpoint>> byName;
  for (const Part& part : model.parts) {
    for (const Hardpoint& hardpoint : part.hardpoints)
      byName[hardpoint.name] = {part.objectName, hardpoint};
  }
  return byName;
}

// The hardpoints convert writes as marked nodes are hardpoints to every
// export, whether it forms parts from groups or from the node tree: they come
// back with their kind, place and orientation (the turret's faces its
// nearest triangle, so it is no identity).
TEST_F(ConvertCommand, HardpointsOfTheConvertedSampleShipComeBackInEveryExportMode) {
  const std::string sampleShip = "'" SVCMP_EXAMPLES "/sample_ship.json'";
  const struct {
    const char* first;  // the sample ship's export
    const char* again;  // the converted model's
    bool samePart;      // parts named as before (groups name theirs after the meshes)
    float turn;         // a node's turn is a pure one; the plug-in's rows are not quite unit
  } trips[] = {
      {"", "", true, 1e-5f},
      {"--groups 2,1,1", "--groups 2,1,1", false, 1e-5f},
      {"--groups 1,2,1", "--groups 1,2,1", false, 1e-5f},
      {"--groups 2,1,1", "--parts nodes", true, 3e-3f},
      {"", "--groups 2,1,1", false, 1e-5f},
  };
  for (const auto& trip : trips) {
    SCOPED_TRACE(std::string(trip.first) + " then " + trip.again);
    ASSERT_EQ(Run("export " + sampleShip + " -o sample.cmp -q --force " + trip.first).exitStatus,
              0);
    const auto convert = Run("convert sample.cmp -o model.glb --force");
    ASSERT_EQ(convert.exitStatus, 0) << convert.err;
    const auto exported = Run("export model.glb -o back.cmp -q --force " + std::string(trip.again));
    ASSERT_EQ(exported.exitStatus, 0) << exported.err;
    EXPECT_EQ(exported.err.find("hardpoint"), std::string::npos) << exported.err;
    const auto was = HardpointsByName(Decode(folder_ / "sample.cmp"));
    const auto is = HardpointsByName(Decode(folder_ / "back.cmp"));
    ASSERT_EQ(was.size(), 3u);
    ASSERT_EQ(is.size(), was.size());
    for (const auto& [name, before] : was) {
      SCOPED_TRACE(name);
      ASSERT_TRUE(is.contains(name));
      const auto& [part, after] = is.at(name);
      if (trip.samePart) {
        EXPECT_EQ(part, before.first);
      }
      EXPECT_EQ(after.kind, before.second.kind);
      EXPECT_TRUE(NearFloats(*after.position, *before.second.position));
      for (std::size_t k = 0; k < 9; ++k) {
        EXPECT_NEAR((*after.orientation)[k], (*before.second.orientation)[k], trip.turn) << k;
      }
    }
    // Tilted by a twentieth, more than the tolerance: an identity would show.
    EXPECT_GT(std::fabs((*was.at("HpTurret01").second.orientation)[5]), 0.04f);
  }
}

// A node's matrix, column by column; the identity for a node without one.
std::array<double, 16> MatrixOf(const nlohmann::json& node) {
  std::array<double, 16> matrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  if (node.contains("matrix")) {
    for (std::size_t i = 0; i < 16; ++i) matrix[i] = node["matrix"][i];
  }
  return matrix;
}

std::array<double, 16> Product(const std::array<double, 16>& a, const std::array<double, 16>& b) {
  std::array<double, 16> product{};
  for (std::size_t column = 0; column < 4; ++column) {
    for (std::size_t row = 0; row < 4; ++row) {
      for (std::size_t k = 0; k < 4; ++k) product[column * 4 + row] += a[k * 4 + row] * b[column * 4 + k];
    }
  }
  return product;
}

// RootWithTurretHull's hulls, in the part's frame scaled back by 92 with y
// and z turned over: each hull a node below its owner, whose transforms
// together leave the points where the part has them.
TEST_F(ConvertCommand, WritesEachCollisionHullAsAHullNodeBelowItsOwner) {
  fs::copy_file(kExports + "single_lod0.cmp", folder_ / "ship.cmp");
  const auto sur = testing::RootWithTurretHull();
  for (const char* name : {"ship.sur", "other.sur"}) testing::WriteBytes(folder_ / name, sur);
  const struct {
    const char* name;
    const char* parent;
    std::array<float, 3> min, max;
  } expected[] = {
      {"Root$hull", "Root", {0, -92, -92}, {92, 0, 0}},
      {"HpTurret01$hull", "HpTurret01", {184, -92, -92}, {276, 0, 0}},
  };
  for (const std::string output : {"beside.gltf", "given.gltf --collision other.sur"}) {
    SCOPED_TRACE(output);
    const auto convert = Run("convert ship.cmp -o " + output);
    ASSERT_EQ(convert.exitStatus, 0) << convert.err;
    EXPECT_EQ(convert.err, "");
    const nlohmann::json gltf = GltfJson(FileText(output.substr(0, output.find(' '))), false);
    const nlohmann::json& nodes = gltf["nodes"];
    std::map<std::string, std::size_t> indexOf, parentOf;
    for (std::size_t n = 0; n < nodes.size(); ++n) indexOf[nodes[n]["name"]] = n;
    for (std::size_t n = 0; n < nodes.size(); ++n) {
      for (const auto& child : nodes[n].value("children", nlohmann::json::array())) {
        parentOf[nodes[child.get<std::size_t>()]["name"]] = n;
      }
    }
    EXPECT_EQ(std::count_if(nodes.begin(), nodes.end(),
                            [](const nlohmann::json& node) {
                              return node["name"].get<std::string>().ends_with("$hull");
                            }),
              std::ssize(expected));
    for (const auto& want : expected) {
      SCOPED_TRACE(want.name);
      ASSERT_TRUE(indexOf.contains(want.name));
      const nlohmann::json& node = nodes[indexOf[want.name]];
      const nlohmann::json& parent = nodes[parentOf[want.name]];
      EXPECT_EQ(parent["name"], want.parent);
      const nlohmann::json& positions =
          gltf["accessors"][gltf["meshes"][node["mesh"].get<std::size_t>()]["primitives"][0]
                               ["attributes"]["POSITION"].get<std::size_t>()];
      EXPECT_EQ(positions["count"], 12);  // four faces of their own corners
      EXPECT_TRUE(Near(positions["min"], want.min)) << positions["min"];
      EXPECT_TRUE(Near(positions["max"], want.max)) << positions["max"];
      // In the part's frame: the hardpoint's node and the hull's undo each other.
      const auto inPart = want.parent == std::string("Root")
                              ? MatrixOf(node)
                              : Product(MatrixOf(parent), MatrixOf(node));
      const std::array<double, 16> identity{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
      for (std::size_t i = 0; i < 16; ++i) EXPECT_NEAR(inPart[i], identity[i], 1e-4) << i;
    }
  }
  const auto flat = Run("convert ship.cmp -o flat.obj");
  EXPECT_EQ(flat.exitStatus, 0);
  EXPECT_EQ(flat.err,
            "warning: the hulls of ship.sur are left out: .obj files keep no node tree to hang "
            "them on\n");
}

// A wire of three segments and a repeat over the level's first three
// vertices: a line mesh below its part, over the three vertices it reaches.
TEST_F(ConvertCommand, WritesEachWireAsALineMeshBelowItsPart) {
  UtfTree tree;
  ASSERT_TRUE(ReadUtfFile(kExports + "single_lod0.cmp", tree, nullptr).ok());
  const CompoundModel model = DecodeCompoundModel(tree);
  const MeshRef& ref = model.parts.at(0).levels.at(0).meshRefs.at(0);
  testing::AddTestLeaf(
      tree, tree.AddNode(tree.FindNode(tree.Root(), model.parts[0].fileName), "VMeshWire"),
      "VWireData",
      testing::WireBytes(ref.libraryId, ref.startVertex, 3, 3, {0, 1, 1, 2, 2, 0, 0, 1}));
  ASSERT_TRUE(WriteUtfFile(tree, folder_ / "wired.cmp").written);

  const auto convert = Run("convert wired.cmp -o wired.gltf");
  ASSERT_EQ(convert.exitStatus, 0) << convert.err;
  EXPECT_EQ(convert.err, "");
  const nlohmann::json gltf = GltfJson(FileText("wired.gltf"), false);
  const nlohmann::json& nodes = gltf["nodes"];
  std::size_t wire = nodes.size(), root = nodes.size();
  for (std::size_t n = 0; n < nodes.size(); ++n) {
    if (nodes[n]["name"] == "Root$wire") wire = n;
    if (nodes[n]["name"] == "Root") root = n;
  }
  ASSERT_LT(wire, nodes.size());
  ASSERT_LT(root, nodes.size());
  EXPECT_NE(std::ranges::find(nodes[root]["children"], nlohmann::json(wire)),
            nodes[root]["children"].end());
  const nlohmann::json& primitive =
      gltf["meshes"][nodes[wire]["mesh"].get<std::size_t>()]["primitives"][0];
  EXPECT_EQ(primitive["mode"], 1);  // lines
  EXPECT_EQ(gltf["accessors"][primitive["indices"].get<std::size_t>()]["count"], 8);
  EXPECT_EQ(gltf["accessors"][primitive["attributes"]["POSITION"].get<std::size_t>()]["count"], 3);

  const auto flat = Run("convert wired.cmp -o flat.obj");
  EXPECT_EQ(flat.exitStatus, 0);
  EXPECT_EQ(flat.err,
            "warning: the wires of wired.cmp are left out: .obj files keep no node tree to hang "
            "them on\n");
}

// An interface model keeps its meshes in a file of its own: convert names
// the library it lacks by its id and takes the file that holds it with
// --library, giving the same model file as the model that holds it.
TEST_F(ConvertCommand, TakesTheMeshLibraryOfAnotherFileWithLibrary) {
  const fs::path whole = kExports + "single_lod0.cmp";
  UtfTree model;
  ASSERT_TRUE(ReadUtfFile(whole, model, nullptr).ok());
  model.RemoveSubtree(model.FindNode(model.Root(), "VMeshLibrary"));
  ASSERT_TRUE(WriteUtfFile(model, folder_ / "interface.cmp").written);
  UtfTree library;
  ASSERT_TRUE(ReadUtfFile(whole, library, nullptr).ok());
  std::vector<UtfNode> others;
  for (UtfNode child = library.FirstChild(library.Root()); child;
       child = library.NextSibling(child)) {
    if (library.Name(child) != "VMeshLibrary") others.push_back(child);
  }
  ASSERT_FALSE(others.empty());
  for (UtfNode other : others) library.RemoveSubtree(other);
  ASSERT_TRUE(WriteUtfFile(library, folder_ / "hull.vms").written);
  fs::copy_file(kExports + "parts_lod2.cmp", folder_ / "other.cmp");

  char id[16];
  std::snprintf(id, sizeof id, "0x%08X", static_cast<unsigned>(NameCrc("hull.lod0.vms")));
  const std::string refusal =
      "error: interface.cmp has no meshes at level 0 of its own: they are "
      "in the mesh library " +
      std::string(id) + ", which another file holds; give that file with --library FILE\n";
  const auto alone = Run("convert interface.cmp -o alone.glb");
  EXPECT_EQ(alone.exitStatus, 1);
  EXPECT_TRUE(alone.err.ends_with(refusal)) << alone.err;
  EXPECT_NE(alone.err.find(id), std::string::npos);
  const auto wrong = Run("convert interface.cmp -o alone.glb --library other.cmp");
  EXPECT_EQ(wrong.exitStatus, 1);
  EXPECT_NE(wrong.err.find("warning: other.cmp holds none of the mesh libraries the model lacks\n"),
            std::string::npos)
      << wrong.err;
  EXPECT_TRUE(wrong.err.ends_with(refusal)) << wrong.err;
  EXPECT_FALSE(fs::exists(folder_ / "alone.glb"));

  const auto given =
      Run("convert interface.cmp -o given.glb --library other.cmp --library hull.vms");
  ASSERT_EQ(given.exitStatus, 0) << given.err;
  EXPECT_EQ(given.err, "warning: other.cmp holds none of the mesh libraries the model lacks\n");
  ASSERT_EQ(Run("convert '" + whole.string() + "' -o whole.glb").exitStatus, 0);
  EXPECT_EQ(FileText("given.glb"), FileText("whole.glb"));
}

TEST_F(ConvertCommand, RefusesWithAMessageAndWritesNothing) {
  WriteRefusalInputs("kept.glb");
  const std::string ship = "'" + kExports + "single_lod0.cmp'";
  const testing::Refusal cases[] = {
      {ship + " -o out.fbx", "error: out.fbx: convert writes .gltf, .glb, .obj, .dae or .blend files\n"},
      {ship + " -o kept.glb", "error: kept.glb already exists; add --force to replace it\n"},
      {"text.cmp -o out.glb", "error: text.cmp: "},
      {ship + " -o out.glb --level 1",
       "error: " + ship.substr(1, ship.size() - 2) + " has no meshes at level 1\n"},
      {"'" + kExports + "parts_lod2.cmp' -o out.glb",
       "error: " + kExports +
           "parts_lod2.cmp has no meshes at level 0; --level 2 writes its "
           "first level\n"},
      {ship + " -o out.glb --collision missing.sur", "error: missing.sur: cannot open"},
  };
  for (const testing::Refusal& c : cases) {
    SCOPED_TRACE(c.arguments);
    const auto run = Run("convert " + c.arguments);
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err.substr(0, c.message.size()), c.message);
    EXPECT_FALSE(fs::exists(folder_ / "out.glb"));
    EXPECT_FALSE(fs::exists(folder_ / "out.fbx"));
  }
  EXPECT_EQ(FileText("kept.glb"), "mine");
}

}  // namespace
}  // namespace svcmp
