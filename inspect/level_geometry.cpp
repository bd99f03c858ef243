#include "inspect/level_geometry.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <string_view>
#include <utility>

#include "inspect/node_lookup.h"

namespace svcmp {
namespace {

// First `inner`, then `outer`.
PartTransform Compose(const PartTransform& outer, const PartTransform& inner) {
  return {MultiplyMatrices(outer.rotation, inner.rotation),
          ApplyTransform(outer, inner.translation)};
}

PartTransform JointTransform(const Joint& joint) {
  return {joint.rotation,
          {joint.origin[0] + joint.offset[0], joint.origin[1] + joint.offset[1],
           joint.origin[2] + joint.offset[2]}};
}

// One mesh record as a reference takes it. Vertices past the buffer and
// triangles with a corner outside the mesh are left out; the decoder's
// findings name them.
LevelMesh CopyMesh(const RefMesh& refMesh, const MeshLibraryEntry& library) {
  const MeshBuffer& buffer = *library.buffer;
  LevelMesh mesh;
  mesh.libraryName = library.name;
  mesh.record = static_cast<std::size_t>(refMesh.mesh - buffer.meshes.data());
  mesh.materialId = refMesh.mesh->materialId;
  const std::size_t first = std::min(refMesh.firstVertex, buffer.vertices.size());
  const std::size_t count =
      std::min<std::size_t>(refMesh.mesh->VertexCount(), buffer.vertices.size() - first);
  mesh.vertices.assign(buffer.vertices.begin() + static_cast<std::ptrdiff_t>(first),
                       buffer.vertices.begin() + static_cast<std::ptrdiff_t>(first + count));
  const std::size_t firstIndex = std::min(refMesh.mesh->firstIndex, buffer.indices.size());
  const std::size_t indexCount =
      std::min<std::size_t>(refMesh.mesh->indexCount, buffer.indices.size() - firstIndex);
  for (std::size_t k = 0; k + 3 <= indexCount; k += 3) {
    const auto corner = [&](std::size_t c) { return buffer.indices[firstIndex + k + c]; };
    if (corner(0) >= count || corner(1) >= count || corner(2) >= count) continue;
    mesh.indices.insert(mesh.indices.end(), {corner(0), corner(1), corner(2)});
  }
  return mesh;
}

void GatherMeshes(const CompoundModel& model, const Part& part, int level, LevelPart& placed,
                  std::vector<MissingLibrary>& missing) {
  const auto found =
      std::find_if(part.levels.begin(), part.levels.end(),
                   [level](const Level& candidate) { return candidate.number == level; });
  if (found == part.levels.end()) return;
  for (const MeshRef& ref : found->meshRefs) {
    const MeshLibraryEntry* library = model.FindLibrary(ref.libraryId);
    if (!library || !library->buffer) {
      missing.push_back({ref.path, ref.libraryId, library ? library->name : ""});
      continue;
    }
    for (const RefMesh& refMesh : MeshesOfRef(ref, *library->buffer)) {
      placed.meshes.push_back(CopyMesh(refMesh, *library));
    }
  }
}

// For each part, the joint that hangs it on another part and that part's
// index; the first joint naming it as child counts. Looked up by name, so
// a file with many parts and joints costs no more than sorting them.
struct Hanging {
  const Joint* joint = nullptr;
  std::size_t parent = 0;
};

std::vector<Hanging> FindHangings(const CompoundModel& model) {
  std::map<std::string, std::size_t> partByName;
  for (std::size_t i = 0; i < model.parts.size(); ++i) {
    partByName.try_emplace(NameKey(model.parts[i].objectName), i);
  }
  std::vector<Hanging> hangings(model.parts.size());
  for (const Joint& joint : model.joints) {
    const auto child = partByName.find(NameKey(joint.child));
    const auto parent = partByName.find(NameKey(joint.parent));
    if (child == partByName.end() || parent == partByName.end() ||
        child->second == parent->second || hangings[child->second].joint) {
      continue;
    }
    hangings[child->second] = {&joint, parent->second};
  }
  return hangings;
}

LevelPart PlacePart(const CompoundModel& model, std::size_t index, int parent, const Joint* joint,
                    LevelGeometry& geometry, int level, const ScriptPose& pose) {
  const Part& part = model.parts[index];
  LevelPart placed;
  placed.name = part.objectName;
  placed.fileName = part.fileName;
  placed.modelPart = index;
  placed.parent = parent;
  if (joint) {
    placed.joint = *joint;
    placed.toParent = JointTransform(*joint);
  }
  if (const auto moved = pose.find(NameKey(part.objectName)); moved != pose.end()) {
    placed.toParent = Compose(placed.toParent, moved->second);
  }
  placed.toModel =
      joint ? Compose(geometry.parts[static_cast<std::size_t>(parent)].toModel, placed.toParent)
            : placed.toParent;
  GatherMeshes(model, part, level, placed, geometry.missing);
  std::copy_if(part.hardpoints.begin(), part.hardpoints.end(),
               std::back_inserter(placed.hardpoints),
               [](const Hardpoint& hardpoint) { return hardpoint.position.has_value(); });
  return placed;
}

}  // namespace

Matrix3 MultiplyMatrices(const Matrix3& a, const Matrix3& b) {
  Matrix3 product{};
  for (std::size_t row = 0; row < 3; ++row) {
    for (std::size_t column = 0; column < 3; ++column) {
      for (std::size_t k = 0; k < 3; ++k) {
        product[row * 3 + column] += a[row * 3 + k] * b[k * 3 + column];
      }
    }
  }
  return product;
}

Vector3 Rotate(const Matrix3& rotation, const Vector3& direction) {
  return {rotation[0] * direction[0] + rotation[1] * direction[1] + rotation[2] * direction[2],
          rotation[3] * direction[0] + rotation[4] * direction[1] + rotation[5] * direction[2],
          rotation[6] * direction[0] + rotation[7] * direction[1] + rotation[8] * direction[2]};
}

Vector3 ApplyTransform(const PartTransform& transform, const Vector3& point) {
  const Vector3 turned = Rotate(transform.rotation, point);
  return {turned[0] + transform.translation[0], turned[1] + transform.translation[1],
          turned[2] + transform.translation[2]};
}

std::size_t LevelGeometry::MeshCount() const {
  std::size_t count = 0;
  for (const LevelPart& part : parts) count += part.meshes.size();
  return count;
}

LevelGeometry GatherLevelGeometry(const CompoundModel& model, int level, const ScriptPose& pose) {
  LevelGeometry geometry;
  const std::vector<Hanging> hangings = FindHangings(model);
  std::vector<std::vector<std::size_t>> children(model.parts.size());
  for (std::size_t i = 0; i < model.parts.size(); ++i) {
    if (hangings[i].joint) children[hangings[i].parent].push_back(i);
  }

  std::vector<bool> placed(model.parts.size(), false);
  // Places `top` at the top and everything hanging below it, parents first.
  const auto placeTree = [&](std::size_t top) {
    std::vector<std::pair<std::size_t, int>> pending{{top, -1}};  // part, parent's place
    for (std::size_t next = 0; next < pending.size(); ++next) {
      const auto [index, parent] = pending[next];
      if (placed[index]) continue;
      placed[index] = true;
      const int at = static_cast<int>(geometry.parts.size());
      geometry.parts.push_back(PlacePart(model, index, parent,
                                         parent < 0 ? nullptr : hangings[index].joint, geometry,
                                         level, pose));
      for (std::size_t child : children[index]) pending.emplace_back(child, at);
    }
  };
  for (std::size_t i = 0; i < model.parts.size(); ++i) {
    if (!hangings[i].joint) placeTree(i);
  }
  // What is left hangs in joint loops: each loop starts at the top.
  for (std::size_t i = 0; i < model.parts.size(); ++i) {
    if (!placed[i]) placeTree(i);
  }
  return geometry;
}

}  // namespace svcmp
