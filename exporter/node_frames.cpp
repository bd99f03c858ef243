#include "exporter/node_frames.h"

#include <algorithm>
#include <cmath>

namespace svcmp::frames {

Mat3 Multiply(const Mat3& a, const Mat3& b) {
  Mat3 out{};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      for (int k = 0; k < 3; ++k) out[r * 3 + c] += a[r * 3 + k] * b[k * 3 + c];
    }
  }
  return out;
}

Mat3 Transposed(const Mat3& m) { return {m[0], m[3], m[6], m[1], m[4], m[7], m[2], m[5], m[8]}; }

Vec3 Apply(const Mat3& m, const Vec3& v) {
  return {m[0] * v[0] + m[1] * v[1] + m[2] * v[2], m[3] * v[0] + m[4] * v[1] + m[5] * v[2],
          m[6] * v[0] + m[7] * v[1] + m[8] * v[2]};
}

Vec3 Minus(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

double Length(const Vec3& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

Vec3 IntoFrame(const Frame& frame, const Vec3& point) {
  return Apply(Transposed(frame.rotation), Minus(point, frame.origin));
}

Mat3 QuaternionRotation(double x, double y, double z, double w) {
  const double length = std::sqrt(x * x + y * y + z * z + w * w);
  if (!(length > 0)) return kIdentity;
  x /= length, y /= length, z /= length, w /= length;
  return {1 - 2 * (y * y + z * z), 2 * (x * y - z * w),     2 * (x * z + y * w),
          2 * (x * y + z * w),     1 - 2 * (x * x + z * z), 2 * (y * z - x * w),
          2 * (x * z - y * w),     2 * (y * z + x * w),     1 - 2 * (x * x + y * y)};
}

Affine TrsTransform(const std::array<float, 3>& translation, const std::array<float, 4>& rotation,
                    const std::array<float, 3>& scale) {
  const Mat3 turn = QuaternionRotation(rotation[0], rotation[1], rotation[2], rotation[3]);
  Affine local;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) local.linear[r * 3 + c] = turn[r * 3 + c] * scale[c];
  }
  local.translation = {translation[0], translation[1], translation[2]};
  return local;
}

Affine LocalTransform(const msNode& node) {
  return TrsTransform(node.translation, node.rotation, node.scale);
}

Affine Compose(const Affine& outer, const Affine& inner) {
  const Vec3 moved = Apply(outer.linear, inner.translation);
  return {Multiply(outer.linear, inner.linear),
          {moved[0] + outer.translation[0], moved[1] + outer.translation[1],
           moved[2] + outer.translation[2]}};
}

std::optional<Frame> RigidFrameOf(const Affine& transform, bool& sheared) {
  const Mat3& m = transform.linear;
  Vec3 first = {m[0], m[3], m[6]};
  Vec3 second = {m[1], m[4], m[7]};
  const double firstLength = Length(first);
  if (!(firstLength > 0)) return std::nullopt;
  for (double& value : first) value /= firstLength;
  const double along = first[0] * second[0] + first[1] * second[1] + first[2] * second[2];
  for (int k = 0; k < 3; ++k) second[k] -= along * first[k];
  const double secondLength = Length(second);
  if (!(secondLength > 1e-12 * firstLength)) return std::nullopt;
  for (double& value : second) value /= secondLength;
  const Vec3 third = {first[1] * second[2] - first[2] * second[1],
                      first[2] * second[0] - first[0] * second[2],
                      first[0] * second[1] - first[1] * second[0]};
  Frame frame;
  frame.rotation = {first[0], second[0], third[0],  first[1], second[1],
                    third[1], first[2],  second[2], third[2]};
  frame.origin = transform.translation;
  // What is left is the scale; off its diagonal lies the shear.
  const Mat3 rest = Multiply(Transposed(frame.rotation), m);
  const double size = std::max({std::abs(rest[0]), std::abs(rest[4]), std::abs(rest[8])});
  if (!(std::abs(rest[8]) > 1e-12 * size)) return std::nullopt;
  sheared = false;
  for (const int k : {1, 2, 3, 5, 6, 7}) sheared = sheared || std::abs(rest[k]) > 1e-5 * size;
  return frame;
}

}  // namespace svcmp::frames
