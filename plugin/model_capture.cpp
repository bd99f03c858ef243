#include "plugin/model_capture.h"

#include <algorithm>
#include <cctype>

#include "plugin/mesh_normals.h"

namespace svcmp {
namespace {

// The host fills names into fixed buffers of this size and is asked for one
// character less, so a name is cut at 199 characters.
constexpr int kNameBufferSize = 200;

std::string ReadMeshName(msMesh* mesh) {
  char name[kNameBufferSize] = {};
  msMesh_GetName(mesh, name, kNameBufferSize - 1);
  return name;
}

std::string ReadMaterialName(msMaterial* material) {
  char name[kNameBufferSize] = {};
  msMaterial_GetName(material, name, kNameBufferSize - 1);
  return name;
}

// One position component: multiplied by the sign and divided by the divisor
// in double, rounded to float once.
float Transform(float value, int sign, int scaleDivisor) {
  return static_cast<float>(static_cast<double>(sign) * value / scaleDivisor);
}

// Only a coordinate strictly outside the box moves a bound, so an equal value
// (even -0.0 against +0.0) keeps the first one seen.
void Extend(Bounds& bounds, const float position[3]) {
  if (position[0] > bounds.maxX) bounds.maxX = position[0];
  if (position[0] < bounds.minX) bounds.minX = position[0];
  if (position[1] > bounds.maxY) bounds.maxY = position[1];
  if (position[1] < bounds.minY) bounds.minY = position[1];
  if (position[2] > bounds.maxZ) bounds.maxZ = position[2];
  if (position[2] < bounds.minZ) bounds.minZ = position[2];
}

// The host calls for one mesh, in the order the host expects them: names,
// then all vertices (position before texture coordinates), then triangles.
void CaptureMesh(msModel* model, int meshIndex, int scaleDivisor, int orientationSign,
                 MeshRecord& record) {
  msMesh* mesh = msModel_GetMeshAt(model, meshIndex);
  const int materialIndex = msMesh_GetMaterialIndex(mesh);
  record.materialName = ReadMaterialName(msModel_GetMaterialAt(model, materialIndex));
  record.meshName = ReadMeshName(mesh);
  record.isHardpoint = IsHardpointName(record.meshName);

  const int vertexCount = std::max(msMesh_GetVertexCount(mesh), 0);
  record.vertices.resize(static_cast<std::size_t>(vertexCount));
  for (int j = 0; j < vertexCount; ++j) {
    msVertex* vertex = msMesh_GetVertexAt(mesh, j);
    float hostPosition[3] = {0, 0, 0};
    float texCoords[2] = {0, 0};
    msVertex_GetVertex(vertex, hostPosition);
    msVertex_GetTexCoords(vertex, texCoords);

    MeshVertex& captured = record.vertices[static_cast<std::size_t>(j)];
    captured.position[0] = Transform(hostPosition[0], 1, scaleDivisor);
    captured.position[1] = Transform(hostPosition[1], orientationSign, scaleDivisor);
    captured.position[2] = Transform(hostPosition[2], orientationSign, scaleDivisor);
    captured.texture[0] = texCoords[0];
    captured.texture[1] = texCoords[1];
  }
  record.bounds = BoundsOf(record.vertices);

  const int triangleCount = std::max(msMesh_GetTriangleCount(mesh), 0);
  record.triangles.resize(static_cast<std::size_t>(triangleCount));
  for (int k = 0; k < triangleCount; ++k) {
    unsigned short indices[3] = {0, 0, 0};
    msTriangle_GetVertexIndices(msMesh_GetTriangleAt(mesh, k), indices);
    for (int corner = 0; corner < 3; ++corner) {
      record.triangles[static_cast<std::size_t>(k)].index[corner] = indices[corner];
    }
  }

  // Sets every vertex normal, the ones of unused vertices included.
  ComputeMeshNormals(record);
}

}  // namespace

Bounds BoundsOf(const std::vector<MeshVertex>& vertices) {
  Bounds bounds;
  if (vertices.empty()) return bounds;
  const float* first = vertices.front().position;
  bounds = {first[0], first[0], first[1], first[1], first[2], first[2]};
  for (const MeshVertex& vertex : vertices) Extend(bounds, vertex.position);
  return bounds;
}

int OrientationSignOf(int orientationMode) {
  return orientationMode == kOrientationBackToFront ? 1 : -1;
}

bool IsHardpointName(std::string_view meshName) {
  return meshName.size() >= 2 &&
         std::tolower(static_cast<unsigned char>(meshName[0])) == 'h' &&
         std::tolower(static_cast<unsigned char>(meshName[1])) == 'p';
}

MeshList CaptureModel(msModel* model, int scaleDivisor, int orientationSign) {
  MeshList meshList;
  const int meshCount = std::max(msModel_GetMeshCount(model), 0);
  meshList.reserve(static_cast<std::size_t>(meshCount));
  for (int i = 0; i < meshCount; ++i) {
    meshList.emplace_back();
    CaptureMesh(model, i, scaleDivisor, orientationSign, meshList.back());
  }
  return meshList;
}

std::size_t GeometryMeshCount(const MeshList& meshList) {
  return static_cast<std::size_t>(std::count_if(
      meshList.begin(), meshList.end(), [](const MeshRecord& record) { return !record.isHardpoint; }));
}

std::size_t GeometryTriangleCount(const MeshList& meshList) {
  std::size_t triangles = 0;
  for (const MeshRecord& mesh : meshList) {
    if (!mesh.isHardpoint) triangles += mesh.triangles.size();
  }
  return triangles;
}

bool GroupQuantitiesMatch(const MeshList& meshList, int groupCount,
                          const std::array<std::int32_t, kMaxGroupCount>& quantities) {
  if (groupCount <= 1) return true;
  const int counted = std::min(groupCount, kMaxGroupCount);
  // Summed wide: quantities from a settings file can be anything.
  std::int64_t total = 0;
  for (int g = 0; g < counted; ++g) total += quantities[static_cast<std::size_t>(g)];
  return total == static_cast<std::int64_t>(GeometryMeshCount(meshList));
}

}  // namespace svcmp
