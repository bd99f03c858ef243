#include "host/ms_model_lib.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "host/host_model.h"

namespace {

// Null for a null container or an index outside it: the plug-in passes
// indices it was told are valid, but a wrong one must not read stray memory.
template <typename T>
T* ElementAt(std::vector<T>* items, int index) {
  if (items == nullptr || index < 0 || static_cast<std::size_t>(index) >= items->size()) return nullptr;
  return &(*items)[static_cast<std::size_t>(index)];
}

template <typename T>
int CountOf(const std::vector<T>* items) {
  return items == nullptr ? 0 : static_cast<int>(items->size());
}

// At most maxLength characters, then a terminating zero: the caller's buffer
// holds maxLength + 1 bytes.
void CopyName(const std::string* source, char* name, int maxLength) {
  if (name == nullptr || maxLength < 0) return;
  std::size_t length = 0;
  if (source != nullptr) {
    length = std::min(source->size(), static_cast<std::size_t>(maxLength));
    std::copy_n(source->data(), length, name);
  }
  name[length] = '\0';
}

}  // namespace

extern "C" {

int msModel_GetMeshCount(msModel* model) { return CountOf(model ? &model->meshes : nullptr); }

msMesh* msModel_GetMeshAt(msModel* model, int index) {
  return ElementAt(model ? &model->meshes : nullptr, index);
}

int msModel_GetMaterialCount(msModel* model) { return CountOf(model ? &model->materials : nullptr); }

msMaterial* msModel_GetMaterialAt(msModel* model, int index) {
  return ElementAt(model ? &model->materials : nullptr, index);
}

void msModel_Destroy(msModel* model) { svcmp::ReleaseHostModel(model); }

int msMesh_GetMaterialIndex(msMesh* mesh) { return mesh ? mesh->materialIndex : -1; }

void msMesh_GetName(msMesh* mesh, char* name, int maxLength) {
  CopyName(mesh ? &mesh->name : nullptr, name, maxLength);
}

int msMesh_GetVertexCount(msMesh* mesh) { return CountOf(mesh ? &mesh->vertices : nullptr); }

msVertex* msMesh_GetVertexAt(msMesh* mesh, int index) {
  return ElementAt(mesh ? &mesh->vertices : nullptr, index);
}

int msMesh_GetTriangleCount(msMesh* mesh) { return CountOf(mesh ? &mesh->triangles : nullptr); }

msTriangle* msMesh_GetTriangleAt(msMesh* mesh, int index) {
  return ElementAt(mesh ? &mesh->triangles : nullptr, index);
}

void msMaterial_GetName(msMaterial* material, char* name, int maxLength) {
  CopyName(material ? &material->name : nullptr, name, maxLength);
}

// A null handle reads as zeros, like a zero-filled host record.
void msVertex_GetVertex(msVertex* vertex, float position[3]) {
  if (position == nullptr) return;
  for (int axis = 0; axis < 3; ++axis) position[axis] = vertex ? vertex->position[axis] : 0.0f;
}

void msVertex_GetTexCoords(msVertex* vertex, float texCoords[2]) {
  if (texCoords == nullptr) return;
  for (int axis = 0; axis < 2; ++axis) texCoords[axis] = vertex ? vertex->texCoords[axis] : 0.0f;
}

void msTriangle_GetVertexIndices(msTriangle* triangle, unsigned short indices[3]) {
  if (indices == nullptr) return;
  // The stand-in host's documents name no vertex past 16 bits.
  for (int corner = 0; corner < 3; ++corner) {
    indices[corner] = triangle ? static_cast<unsigned short>(triangle->indices[corner]) : 0;
  }
}

}  // extern "C"
