#pragma once

#include <bit>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "format/cmp_leaf_layout.h"
#include "format/mesh_buffer_layout.h"
#include "format/name_crc.h"
#include "utf/utf_tree.h"

// Hand-made leaves and files of the compound model for the decoder tests,
// built byte by byte like a tool other than ours would write them.
namespace svcmp::testing {

class LeafBuilder {
 public:
  LeafBuilder& U16(std::uint16_t value) {
    bytes_.push_back(static_cast<std::uint8_t>(value));
    bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
    return *this;
  }
  LeafBuilder& U32(std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
      bytes_.push_back(static_cast<std::uint8_t>(value >> shift));
    return *this;
  }
  LeafBuilder& Floats(std::initializer_list<float> values) {
    for (float value : values) U32(std::bit_cast<std::uint32_t>(value));
    return *this;
  }
  // `text` zero-padded to a joint record's name field.
  LeafBuilder& Name(std::string_view text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    bytes_.resize(bytes_.size() + kJointNameSize - text.size(), 0);
    return *this;
  }
  LeafBuilder& Append(const std::vector<std::uint8_t>& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
  }
  std::vector<std::uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

struct TestMesh {
  std::uint32_t materialId;
  std::uint16_t startVertex, endVertex;
  std::vector<std::uint16_t> indices;
};

// The value every field of vertex `v` gets, so a decoded vertex can be
// recognised: position (v, v + 0.5, -v), normal (0, 1, 0), diffuse
// 0xFF000000 + v, specular 0x00112233, texture set s (v + s, 1 - v).
inline void AppendTestVertex(LeafBuilder& out, std::uint16_t format, int v) {
  const float f = static_cast<float>(v);
  out.Floats({f, f + 0.5f, -f});
  if (format & kVertexNormal) out.Floats({0, 1, 0});
  if (format & kVertexDiffuse) out.U32(0xFF000000u + static_cast<std::uint32_t>(v));
  if (format & kVertexSpecular) out.U32(0x00112233u);
  for (int set = 0; set < ((format & kVertexTextureCount) >> kVertexTextureShift); ++set) {
    out.Floats({f + static_cast<float>(set), 1 - f});
  }
}

// A mesh buffer of `format` with `vertexCount` test vertices.
inline std::vector<std::uint8_t> MeshBufferBytes(std::uint16_t format,
                                                 const std::vector<TestMesh>& meshes,
                                                 std::uint16_t vertexCount) {
  LeafBuilder out;
  std::size_t indexCount = 0;
  for (const TestMesh& mesh : meshes) indexCount += mesh.indices.size();
  out.U32(kMeshKind).U32(kTriangleListPrimitive).U16(static_cast<std::uint16_t>(meshes.size()));
  out.U16(static_cast<std::uint16_t>(indexCount)).U16(format).U16(vertexCount);
  for (const TestMesh& mesh : meshes) {
    out.U32(mesh.materialId).U16(mesh.startVertex).U16(mesh.endVertex);
    out.U16(static_cast<std::uint16_t>(mesh.indices.size())).U16(kMeshEntryPadding);
  }
  for (const TestMesh& mesh : meshes) {
    for (std::uint16_t index : mesh.indices) out.U16(index);
  }
  for (int v = 0; v < vertexCount; ++v) AppendTestVertex(out, format, v);
  return out.Take();
}

// Two meshes of one triangle each over four vertices: mesh 0 takes vertices
// 0 to 2, mesh 1 vertices 1 to 3.
inline std::vector<std::uint8_t> TwoMeshBuffer(std::uint16_t format) {
  return MeshBufferBytes(format, {{0xAA, 0, 2, {0, 1, 2}}, {0xBB, 1, 3, {2, 1, 0}}}, 4);
}

// A 0x252 buffer of two meshes over four vertices, both from 0 to 2: the
// turret's mesh reference starts at vertex 1, so its mesh takes 1 to 3.
inline std::vector<std::uint8_t> OtherToolBuffer() {
  return MeshBufferBytes(0x252, {{0xAA, 0, 2, {0, 1, 2}}, {0xBB, 0, 2, {2, 1, 0}}}, 4);
}

inline std::vector<std::uint8_t> MeshRefBytes(std::uint32_t libraryId, std::uint16_t startVertex,
                                              std::uint16_t vertexCount, std::uint16_t startIndex,
                                              std::uint16_t indexCount, std::uint16_t startMesh,
                                              std::uint16_t meshCount, float radius = 2) {
  LeafBuilder out;
  out.U32(kMeshRefHeaderSize).U32(libraryId).U16(startVertex).U16(vertexCount);
  out.U16(startIndex).U16(indexCount).U16(startMesh).U16(meshCount);
  out.Floats({1, -1, 1, -1, 1, -1, 0, 0, 0, radius});
  return out.Take();
}

// A "VWireData" leaf with its counts as given, not as the segments make them.
inline std::vector<std::uint8_t> WireBytes(std::uint32_t libraryId, std::uint16_t startVertex,
                                           std::uint16_t vertexCount, std::uint16_t indexBound,
                                           std::initializer_list<std::uint16_t> indices) {
  LeafBuilder out;
  out.U32(kWireHeaderSize).U32(libraryId).U16(startVertex).U16(vertexCount);
  out.U16(static_cast<std::uint16_t>(indices.size())).U16(indexBound);
  for (std::uint16_t index : indices) out.U16(index);
  return out.Take();
}

inline UtfNode AddTestLeaf(UtfTree& tree, UtfNode parent, std::string_view name,
                           std::vector<std::uint8_t> bytes) {
  UtfNode node = tree.AddNode(parent, name);
  tree.SetData(node, std::move(bytes));
  return node;
}

inline std::vector<std::uint8_t> JointRecord(std::string_view parent, std::string_view child,
                                             std::initializer_list<float> fields) {
  return LeafBuilder().Name(parent).Name(child).Floats(fields).Take();
}

// The fields of OtherToolFile's joints, after the two names: origin, offset
// (not for Fix), rotation, then axis and limits or the sphere's limits.
inline constexpr std::initializer_list<float> kTurretRev = {0, 1, 2, 0.5f, 0, 0, 1, 0, 0,     0,
                                                            1, 0, 0, 0,    1, 0, 1, 0, -1.5f, 1.5f};
inline constexpr std::initializer_list<float> kDoorPris = {0, 0, -3, 0, 0, 0, 1, 0, 0, 0,
                                                           1, 0, 0,  0, 1, 0, 0, 1, 0, 2};
inline constexpr std::initializer_list<float> kBallSphere = {
    0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, -1, 1, -0.5f, 0.25f, -2, 2};
// A quarter turn about z.
inline constexpr std::initializer_list<float> kBarrelFix = {0, 0, 1, 0, -1, 0, 1, 0, 0, 0, 0, 1};

// A file as other tools write them: a 0x252 buffer, 4-byte "Index" and
// limits, an empty "Fixed" leaf, a model node without levels, a model node
// named in another letter case, and joints of every kind. Nothing in it is
// wrong.
inline UtfTree OtherToolFile() {
  UtfTree tree;
  UtfNode top = tree.AddNode(nullptr, "\\");
  UtfNode library = tree.AddNode(tree.AddNode(top, "VMeshLibrary"), "ship.lod0.vms");
  AddTestLeaf(tree, library, "VMeshData", OtherToolBuffer());
  tree.AddNode(tree.AddNode(top, "Material library"), "Steel");
  UtfNode cmpnd = tree.AddNode(top, "Cmpnd");
  UtfNode cons = tree.AddNode(cmpnd, "Cons");
  AddTestLeaf(tree, cons, "Rev", JointRecord("Root", "turret", kTurretRev));
  AddTestLeaf(tree, cons, "Pris", JointRecord("Root", "door", kDoorPris));
  AddTestLeaf(tree, cons, "Sphere", JointRecord("Root", "ball", kBallSphere));
  AddTestLeaf(tree, cons, "Fix", JointRecord("turret", "barrel", kBarrelFix));
  const auto part = [&](std::string_view entry, std::string_view file, std::string_view object,
                        std::uint32_t index) {
    UtfNode node = tree.AddNode(cmpnd, entry);
    AddTestLeaf(tree, node, "Object name",
                LeafBuilder().Append({object.begin(), object.end()}).Append({0}).Take());
    AddTestLeaf(tree, node, "File name",
                LeafBuilder().Append({file.begin(), file.end()}).Append({0}).Take());
    AddTestLeaf(tree, node, "Index", LeafBuilder().U32(index).Take());
  };
  part("Root", "ship.3db", "Root", 0);
  part("Part_turret", "TURRET.3db", "turret", 1);
  for (std::string_view name : {"door", "ball", "barrel"}) {
    part("Part_" + std::string(name), std::string(name) + ".3db", name, 2);
    tree.AddNode(tree.AddNode(top, std::string(name) + ".3db"), "Hardpoints");
  }
  const std::uint32_t id = NameCrc("ship.lod0.vms");
  UtfNode ship = tree.AddNode(top, "ship.3db");
  AddTestLeaf(tree, tree.AddNode(ship, "VMeshPart"), "VMeshRef",
              MeshRefBytes(id, 0, 4, 0, 6, 0, 2));
  UtfNode hardpoints = tree.AddNode(ship, "Hardpoints");
  tree.AddNode(hardpoints, "Fixed");
  UtfNode gun = tree.AddNode(tree.AddNode(hardpoints, "Revolute"), "HpGun");
  AddTestLeaf(tree, gun, "Position", LeafBuilder().Floats({1, 2, 3}).Take());
  AddTestLeaf(tree, gun, "Orientation", LeafBuilder().Floats({1, 0, 0, 0, 1, 0, 0, 0, 1}).Take());
  AddTestLeaf(tree, gun, "Axis", LeafBuilder().Floats({0, 0, 1}).Take());
  AddTestLeaf(tree, gun, "Min", LeafBuilder().Floats({-1}).Take());
  AddTestLeaf(tree, gun, "Max", LeafBuilder().Floats({1}).Take());
  UtfNode multiLevel = tree.AddNode(tree.AddNode(top, "turret.3db"), "MultiLevel");
  AddTestLeaf(tree, tree.AddNode(tree.AddNode(multiLevel, "Level0"), "VMeshPart"), "VMeshRef",
              MeshRefBytes(id, 1, 3, 3, 3, 1, 1));
  AddTestLeaf(tree, multiLevel, "Switch2", LeafBuilder().Floats({0, 50, 200}).Take());
  return tree;
}

}  // namespace svcmp::testing
