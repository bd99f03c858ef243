#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "inspect/compound_model.h"

// The geometry of one level of detail, copied out of a decoded compound
// model: what a picture or a model file of it needs, in each part's frame,
// with the transform that places the part.
namespace svcmp {

// A mesh record's vertices and triangles; every index is below the vertex
// count, so users need no range checks of their own.
struct LevelMesh {
  std::string libraryName;  // of the mesh buffer it comes from
  std::size_t record = 0;   // its mesh record in that buffer
  std::uint32_t materialId = 0;
  std::vector<BufferVertex> vertices;
  std::vector<std::uint32_t> indices;  // three per triangle
};

// Places a part in its parent's frame: p' = rotation p + translation, the
// rotation row by row as the joint stores it.
struct PartTransform {
  Matrix3 rotation{1, 0, 0, 0, 1, 0, 0, 0, 1};
  Vector3 translation{};
};

// Motions of parts in their own frames, before their joints place them, by
// NameKey of the part's object name: what a script does to them at one moment.
using ScriptPose = std::map<std::string, PartTransform, std::less<>>;

struct LevelPart {
  std::string name;            // the part's object name
  std::string fileName;        // its "File name"
  std::size_t modelPart = 0;   // index into CompoundModel::parts
  int parent = -1;             // index into LevelGeometry::parts; -1 at the top
  PartTransform toParent;      // at the top: identity, or the pose's motion
  std::optional<Joint> joint;  // the one that hangs it on its parent; none at the top
  PartTransform toModel;       // all joints up to the top, composed
  std::vector<LevelMesh> meshes;
  std::vector<Hardpoint> hardpoints;  // those with a position
};

// A mesh reference whose library is not in the file.
struct MissingLibrary {
  std::string refPath;
  std::uint32_t libraryId = 0;
  std::string libraryName;  // empty when no library has the id, else its buffer is unreadable
};

struct LevelGeometry {
  std::vector<LevelPart> parts;  // parents before their children
  std::vector<MissingLibrary> missing;
  std::size_t MeshCount() const;
};

// The parts of `model` at level `level` with their meshes (parts without
// that level keep their hardpoints and get no meshes), hung on each other by
// the joints. Each part is placed once: the parts of a joint loop start at
// the top, and a second joint naming the same child is passed over. A part
// that `pose` moves is moved in its own frame first, then placed by its joint.
LevelGeometry GatherLevelGeometry(const CompoundModel& model, int level,
                                  const ScriptPose& pose = {});

// a b: first b, then a.
Matrix3 MultiplyMatrices(const Matrix3& a, const Matrix3& b);

// The point or direction `transform` carries into the parent's frame.
Vector3 ApplyTransform(const PartTransform& transform, const Vector3& point);
Vector3 Rotate(const Matrix3& rotation, const Vector3& direction);

}  // namespace svcmp
