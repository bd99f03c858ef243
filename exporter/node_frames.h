#pragma once

#include <array>
#include <optional>

#include "host/host_model.h"

// The frames of a model's node tree, worked out in double: node transforms,
// their composition and the rigid frames parts take. Shared by the forming of
// parts and of scripts, so both see a node where the other does.
namespace svcmp::frames {

using Vec3 = std::array<double, 3>;
using Mat3 = std::array<double, 9>;  // row by row

inline constexpr Mat3 kIdentity = {1, 0, 0, 0, 1, 0, 0, 0, 1};

// A transform p' = linear p + translation.
struct Affine {
  Mat3 linear = kIdentity;
  Vec3 translation = {0, 0, 0};
};

// A rigid frame: rotation (columns are the frame's axes) and origin.
struct Frame {
  Mat3 rotation = kIdentity;
  Vec3 origin = {0, 0, 0};
};

Mat3 Multiply(const Mat3& a, const Mat3& b);
Mat3 Transposed(const Mat3& m);
Vec3 Apply(const Mat3& m, const Vec3& v);
Vec3 Minus(const Vec3& a, const Vec3& b);
double Length(const Vec3& v);

// A point given in the model's frame, in `frame`'s.
Vec3 IntoFrame(const Frame& frame, const Vec3& point);

// The rotation of the quaternion (x, y, z, w), made unit first; one of no
// length stands for no rotation.
Mat3 QuaternionRotation(double x, double y, double z, double w);

// A transform's translation, rotation (quaternion x, y, z, w) and scale, the
// scale applied first.
Affine TrsTransform(const std::array<float, 3>& translation, const std::array<float, 4>& rotation,
                    const std::array<float, 3>& scale);

// The node's transform in its parent's.
Affine LocalTransform(const msNode& node);

Affine Compose(const Affine& outer, const Affine& inner);

// The rigid part of a transform: its axes made unit and square to each other
// (the third from the first two, so a mirror stays in the scale). Null when
// the transform flattens the node; `sheared` tells whether anything but a
// scale along the frame's own axes is left over.
std::optional<Frame> RigidFrameOf(const Affine& transform, bool& sheared);

}  // namespace svcmp::frames
