#include "render/joint_marks.h"

#include <cmath>
#include <string>
#include <string_view>

namespace svcmp::render {
namespace {

SceneJointKind KindOf(JointKind kind) {
  switch (kind) {
    case JointKind::Rev:
      return SceneJointKind::Rev;
    case JointKind::Pris:
      return SceneJointKind::Pris;
    case JointKind::Sphere:
      return SceneJointKind::Sphere;
    case JointKind::Fix:
      break;
  }
  return SceneJointKind::Fix;
}

std::string_view KindName(SceneJointKind kind) {
  switch (kind) {
    case SceneJointKind::Rev:
      return "rev";
    case SceneJointKind::Pris:
      return "pris";
    case SceneJointKind::Sphere:
      return "sphere";
    case SceneJointKind::Fix:
      break;
  }
  return "fix";
}

// Of length 1; zero when the file's axis has no length or is not finite,
// so nothing is drawn along it rather than a line in a made-up direction.
Vector3 Unit(const Vector3& v) {
  const float length = std::hypot(v[0], v[1], v[2]);
  if (!(length > 0) || !std::isfinite(length)) return {};
  return {v[0] / length, v[1] / length, v[2] / length};
}

}  // namespace

void AddJointMarks(Scene& scene, const LevelGeometry& geometry) {
  for (std::size_t p = 0; p < geometry.parts.size(); ++p) {
    const LevelPart& part = geometry.parts[p];
    if (!part.joint) continue;
    SceneJoint& drawn = scene.joints.emplace_back();
    drawn.kind = KindOf(part.joint->kind);
    drawn.label = part.name + ": " + std::string(KindName(drawn.kind));
    drawn.part = p;
    // The joint puts the part's origin at its origin plus offset in the
    // parent's frame; that point, carried on up, is what the part turns about.
    drawn.pivot = part.toModel.translation;
    if (drawn.kind == SceneJointKind::Rev || drawn.kind == SceneJointKind::Pris) {
      // The axis is given in the joint's frame, which the joint's rotation
      // (and then each parent's) turns into the model's.
      drawn.axis = Unit(Rotate(part.toModel.rotation, part.joint->axis));
    }
  }
}

}  // namespace svcmp::render
