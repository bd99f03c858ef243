#include "render/level_scene.h"

#include <cmath>

namespace svcmp::render {
namespace {

bool HasTriangleWithArea(const LevelMesh& mesh) {
  for (std::size_t first = 0; first + 2 < mesh.indices.size(); first += 3) {
    if (HasArea(mesh.vertices[mesh.indices[first]].position,
                mesh.vertices[mesh.indices[first + 1]].position,
                mesh.vertices[mesh.indices[first + 2]].position)) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool HasArea(const Vector3& a, const Vector3& b, const Vector3& c) {
  const Vector3 ab{b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const Vector3 ac{c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  const float x = ab[1] * ac[2] - ab[2] * ac[1];
  const float y = ab[2] * ac[0] - ab[0] * ac[2];
  const float z = ab[0] * ac[1] - ab[1] * ac[0];
  return x != 0 || y != 0 || z != 0;
}

Scene SceneOfLevel(const LevelGeometry& geometry) {
  Scene scene;
  for (const LevelPart& part : geometry.parts) {
    const PartTransform& toModel = part.toModel;
    scene.partNames.push_back(part.name);
    for (const LevelMesh& mesh : part.meshes) {
      SceneMesh& drawn = scene.meshes.emplace_back();
      drawn.materialId = mesh.materialId;
      drawn.part = scene.partNames.size() - 1;
      drawn.indices = mesh.indices;
      drawn.vertices.reserve(mesh.vertices.size());
      for (const BufferVertex& vertex : mesh.vertices) {
        drawn.vertices.push_back({ApplyTransform(toModel, vertex.position),
                                  Rotate(toModel.rotation, vertex.normal), vertex.texture});
      }
    }
    for (const Hardpoint& hardpoint : part.hardpoints) {
      SceneHardpoint& drawn = scene.hardpoints.emplace_back();
      drawn.name = hardpoint.name;
      drawn.position = ApplyTransform(toModel, *hardpoint.position);
      // The hardpoint's own axes, turned with its part.
      drawn.orientation = hardpoint.orientation
                              ? MultiplyMatrices(toModel.rotation, *hardpoint.orientation)
                              : toModel.rotation;
    }
  }
  return scene;
}

std::vector<const LevelMesh*> DegenerateMeshes(const LevelGeometry& geometry) {
  std::vector<const LevelMesh*> degenerate;
  for (const LevelPart& part : geometry.parts) {
    for (const LevelMesh& mesh : part.meshes) {
      if (!HasTriangleWithArea(mesh)) degenerate.push_back(&mesh);
    }
  }
  return degenerate;
}

}  // namespace svcmp::render
