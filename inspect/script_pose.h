#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "inspect/compound_model.h"
#include "inspect/level_geometry.h"

// Where a script puts the parts it moves at one moment.
namespace svcmp {

// The script of `model` named `name` in any letter case, as the game finds
// it; null when there is none.
const AnimationScript* FindScript(const CompoundModel& model, std::string_view name);

// The pose of `script` at `time` seconds: values between frames are
// interpolated (angles and distances linearly, quaternions along the
// shorter arc), times outside the frames take the first or last frame. A
// joint map whose child has no joint, or whose channel does not fit its
// joint's kind, moves nothing (check names it).
ScriptPose PoseOfScript(const CompoundModel& model, const AnimationScript& script, float time);

// The rotation that the unit quaternion (w, x, y, z) makes, row by row.
Matrix3 QuaternionMatrix(float w, float x, float y, float z);

// The unit quaternion (w, x, y, z), w from 0 up, of the rotation `m`.
std::array<float, 4> MatrixQuaternion(const Matrix3& m);

// The rotation by `angle` radians about the unit vector `axis`.
Matrix3 AxisAngleMatrix(const Vector3& axis, float angle);

}  // namespace svcmp
