#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "format/animation_layout.h"
#include "inspect/finding.h"
#include "inspect/texture_library.h"
#include "utf/utf_tree.h"

// A compound model (.cmp) or single model (.3db) file decoded for reading:
// what a summary, a checker or a renderer needs, walkable without touching
// the node tree again. Everything is copied out of the tree.
namespace svcmp {

using Vector3 = std::array<float, 3>;
using Matrix3 = std::array<float, 9>;  // row by row, as stored

// Axis-aligned box in the files' order.
struct Box {
  float maxX = 0, minX = 0, maxY = 0, minY = 0, maxZ = 0, minZ = 0;
};

// One mesh record of a mesh buffer. Its indices are local to its vertex
// range; a mesh reference adds its own start vertex to startVertex.
struct BufferMesh {
  std::uint32_t materialId = 0;
  std::uint16_t startVertex = 0;
  std::uint16_t endVertex = 0;
  std::uint16_t indexCount = 0;
  std::uint16_t padding = 0;
  std::size_t firstIndex = 0;  // where its indices start in MeshBuffer::indices
  // end - start + 1 in 16 bits: a mesh without vertices has end = start - 1.
  std::uint16_t VertexCount() const {
    return static_cast<std::uint16_t>(endVertex - startVertex + 1);
  }
};

// A vertex of any supported format; fields the format lacks stay zero.
struct BufferVertex {
  Vector3 position{};
  Vector3 normal{};
  std::uint32_t diffuse = 0;  // as stored (Direct3D's ARGB)
  std::uint32_t specular = 0;
  std::array<float, 2> texture{};  // the first set of texture coordinates
};

// A decoded "VMeshData" leaf whose sections all fit.
struct MeshBuffer {
  std::uint32_t meshKind = 0;
  std::uint32_t primitiveType = 0;
  std::uint16_t vertexFormat = 0;
  std::size_t vertexSize = 0;
  std::vector<BufferMesh> meshes;
  std::vector<std::uint16_t> indices;
  std::vector<BufferVertex> vertices;
  std::size_t trailingBytes = 0;  // after the last vertex
};

// An entry of "VMeshLibrary"; buffer is empty when its "VMeshData" is
// missing or broken (the findings say why).
struct MeshLibraryEntry {
  std::string name;
  std::uint32_t id = 0;  // NameCrc(name): what mesh references name
  std::string path;      // of the "VMeshData" leaf, or of the entry without one
  std::optional<MeshBuffer> buffer;
};

// A decoded "VMeshRef".
struct MeshRef {
  std::string path;
  std::uint32_t headerSize = 0;
  std::uint32_t libraryId = 0;
  std::uint16_t startVertex = 0, vertexCount = 0;
  std::uint16_t startIndex = 0, indexCount = 0;
  std::uint16_t startMesh = 0, meshCount = 0;
  Box box;
  Vector3 centre{};
  float radius = 0;
};

// One level of detail of a part: "MultiLevel/LevelN", or the model node
// itself when it holds "VMeshPart" without levels (number 0).
struct Level {
  int number = 0;
  std::string path;
  std::vector<MeshRef> meshRefs;
};

// A decoded "VMeshWire/VWireData": line segments over the vertices of one of
// the part's mesh references (index i is that reference's i-th vertex).
// The stored counts are kept as found; the checker compares them.
struct Wire {
  std::string path;
  std::uint32_t libraryId = 0;
  std::uint16_t startVertex = 0;
  std::uint16_t vertexCount = 0;  // as stored
  std::uint16_t indexBound = 0;   // as stored; other tools often write it wrong
  std::vector<std::array<std::uint16_t, 2>> segments;
};

enum class HardpointKind { Fixed, Revolute };

struct Hardpoint {
  HardpointKind kind = HardpointKind::Fixed;
  std::string name;
  std::string path;
  std::optional<Vector3> position;
  std::optional<Matrix3> orientation;
  std::optional<Vector3> axis;  // revolute only
  std::optional<float> min, max;
};

// A part of "Cmpnd" with its model node; a .3db file is one part whose model
// node is the top node.
struct Part {
  std::string path;        // of the part entry ("Root", "Part_*"); the top node for a .3db
  std::string objectName;  // "Object name"
  std::string fileName;    // "File name"
  std::optional<std::int32_t> index;
  std::string modelPath;  // empty when no model node has the file name
  std::vector<Level> levels;
  std::vector<float> switchDistances;  // "Switch2"
  std::vector<Hardpoint> hardpoints;
  std::optional<Wire> wire;  // "VMeshWire" under the model node
};

enum class JointKind { Fix, Rev, Pris, Sphere };

// One record of "Cmpnd/Cons/Fix|Rev|Pris|Sphere". The child part sits at
// origin (plus offset) in its parent's frame, turned by rotation.
struct Joint {
  JointKind kind = JointKind::Fix;
  std::string path;        // of the joint list leaf
  std::size_t record = 0;  // position in the list
  std::string parent, child;
  Vector3 origin{};
  Vector3 offset{};  // Rev, Pris, Sphere
  Matrix3 rotation{};
  Vector3 axis{};                       // Rev, Pris
  float min = 0, max = 0;               // Rev, Pris
  std::array<float, 6> sphereLimits{};  // Sphere: min x, max x, min y, max y, min z, max z
};

struct CompoundModel {
  bool compound = false;  // has "Cmpnd"; false for a single model (.3db)
  std::vector<MeshLibraryEntry> libraries;
  std::vector<Part> parts;
  std::vector<Joint> joints;
  // Names of the top node's children that are model nodes (a ".3db" name,
  // or levels or a mesh part below them), whether or not a part names them.
  std::vector<std::string> modelNodes;
  // Empty "Cons" lists ("Fix" with no records and the like), by path.
  std::vector<std::string> emptyJointLists;
  std::map<std::uint32_t, std::string> materialNames;  // from a "material library"
  std::vector<TextureEntry> textures;                  // of a "texture library"
  std::vector<AnimationScript> scripts;                // "Animation/Script", in file order
  // Faults found while decoding: leaves of the wrong size, buffers that do
  // not fit their leaf, indices outside their mesh and the like.
  Findings findings;

  // The library entry a mesh reference names, or null when not in this file.
  const MeshLibraryEntry* FindLibrary(std::uint32_t id) const;
};

// Decodes the compound model held in `tree`. Never reads outside a leaf; a
// broken leaf is left out of the model with a finding naming its node path.
CompoundModel DecodeCompoundModel(const UtfTree& tree);

// The meshes of `buffer` that `ref` takes, with the absolute number of each
// one's first vertex in buffer.vertices. Meshes outside the buffer are left
// out (the checker reports them).
struct RefMesh {
  const BufferMesh* mesh = nullptr;
  std::size_t firstVertex = 0;
};
std::vector<RefMesh> MeshesOfRef(const MeshRef& ref, const MeshBuffer& buffer);

}  // namespace svcmp
