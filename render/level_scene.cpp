#include "render/level_scene.h"

namespace svcmp::render {

Scene SceneOfLevel(const LevelGeometry& geometry) {
  Scene scene;
  for (const LevelPart& part : geometry.parts) {
    const PartTransform& toModel = part.toModel;
    for (const LevelMesh& mesh : part.meshes) {
      SceneMesh& drawn = scene.meshes.emplace_back();
      drawn.materialId = mesh.materialId;
      drawn.indices = mesh.indices;
      drawn.vertices.reserve(mesh.vertices.size());
      for (const BufferVertex& vertex : mesh.vertices) {
        drawn.vertices.push_back(
            {ApplyTransform(toModel, vertex.position), Rotate(toModel.rotation, vertex.normal)});
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

}  // namespace svcmp::render
