#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "utf/utf_tree.h"

namespace svcmp {

static_assert(std::numeric_limits<float>::is_iec559, "the files store IEEE 754 floats");

// One captured vertex, written to the mesh buffer exactly as held in memory.
struct MeshVertex {
  float position[3];
  float normal[3];
  float texture[2];
};
static_assert(sizeof(MeshVertex) == 32);

// Three vertex indices local to their mesh, in the host's corner order.
struct MeshTriangle {
  std::uint16_t index[3];
};
static_assert(sizeof(MeshTriangle) == 6);

// Axis-aligned box in the files' order: max X, min X, max Y, min Y, max Z, min Z.
struct Bounds {
  float maxX = 0, minX = 0, maxY = 0, minY = 0, maxZ = 0, minZ = 0;
};

struct FaceNormal {
  float x = 0, y = 0, z = 0;
};

// One host mesh as captured: scaled and re-oriented positions, normals, bounds.
struct MeshRecord {
  std::vector<MeshVertex> vertices;
  std::vector<MeshTriangle> triangles;
  std::string materialName;
  std::string meshName;
  bool isHardpoint = false;  // the name begins with "hp" in any letter case
  std::vector<FaceNormal> faceNormals;  // one per triangle
  Bounds bounds;
};

// Every host mesh in host order, hardpoint meshes included.
using MeshList = std::vector<MeshRecord>;

// A group's object name is its first mesh's name with this suffix, whatever
// the level of detail.
inline constexpr char kGroupObjectSuffix[] = "_lod1";

// One group of a multi-part export: a run of consecutive geometry meshes and
// its slice of the mesh buffer, plus the nodes the assembly makes for it.
struct MeshGroup {
  std::uint16_t startVertex = 0;
  std::uint16_t vertexCount = 0;
  std::uint16_t startIndex = 0;
  std::uint16_t indexCount = 0;
  std::uint16_t startMesh = 0;
  std::uint16_t meshCount = 0;
  Bounds bounds;
  std::string objectName;  // first mesh's name + "_lod1"
  std::string fileName;    // first mesh's name + "_lod1.3db"
  UtfNode partNode = nullptr;
  UtfNode hardpointsNode = nullptr;
  UtfNode fixedNode = nullptr;
  UtfNode revoluteNode = nullptr;
};

// Group 1 first; empty for a single-part export.
using GroupList = std::vector<MeshGroup>;

// Totals and overall bounds of the mesh buffer; the bounds always contain the origin.
struct MeshDataSummary {
  std::uint16_t meshCount = 0;
  std::uint16_t vertexCount = 0;
  std::uint16_t indexCount = 0;
  Bounds bounds;
};

}  // namespace svcmp
