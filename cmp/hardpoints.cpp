#include <cmath>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "cmp/cmp_assembly.h"
#include "cmp/cmp_leaf_data.h"
#include "cmp/nearest_triangle.h"
#include "format/cmp_node_names.h"

// Floats: every formula is evaluated as written, term by term in double, and
// rounded to float once, where the value is stored. Zero terms stay in, since
// the sign of a zero reaches the file.
namespace svcmp {
namespace {

enum class HardpointKind { Neither, Fixed, Revolute };

struct HardpointName {
  HardpointKind kind = HardpointKind::Neither;
  std::string_view name;  // a view into the mesh's name
};

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether `text` holds `word` at `position`, letters compared without case.
bool HasWordAt(std::string_view text, std::size_t position, std::string_view word) {
  if (position > text.size() || word.size() > text.size() - position) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (AsciiLower(text[position + i]) != AsciiLower(word[i])) return false;
  }
  return true;
}

bool IsHardpointMeshName(std::string_view meshName) {
  return HasWordAt(meshName, 0, kHardpointPrefix);
}

// "Hp" + one separator + "Fixed" or "Revolute" + one separator + the name.
// The separators are not looked at; a name cut short gives an empty name.
HardpointName ClassifyHardpoint(std::string_view meshName) {
  constexpr std::size_t kKindStart = 3;
  const auto nameFrom = [meshName](std::size_t start) {
    return start < meshName.size() ? meshName.substr(start) : std::string_view();
  };
  if (HasWordAt(meshName, kKindStart, kNodeFixed)) {
    return {HardpointKind::Fixed, nameFrom(kKindStart + kNodeFixed.size() + 1)};
  }
  if (HasWordAt(meshName, kKindStart, kNodeRevolute)) {
    return {HardpointKind::Revolute, nameFrom(kKindStart + kNodeRevolute.size() + 1)};
  }
  return {};
}

// Engines and mounts keep the identity; every other hardpoint faces away
// from its nearest triangle.
bool FacesNearestTriangle(std::string_view hardpointName) {
  return !HasWordAt(hardpointName, 0, kEnginePrefix) && !HasWordAt(hardpointName, 0, kMountPrefix);
}

float Product2Diff(float a, float b, float c, float d) {
  return static_cast<float>(static_cast<double>(a) * b - static_cast<double>(c) * d);
}

// Rows facing away from the nearest triangle's normal; the identity without one.
std::array<float, 9> OrientationAwayFrom(const std::optional<FaceNormal>& nearest) {
  constexpr std::array<float, 9> kIdentity = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  if (!nearest) return kIdentity;

  // The rows m0..m5 are the normal's components (negation is exact), so the
  // cross-product row is computed from those floats in double and rounded
  // once per element.
  const float a = -nearest->x;
  const float b = nearest->y;
  const float c = nearest->z;
  std::array<float, 9> m{};
  if (static_cast<double>(c) > -0.99999 && static_cast<double>(c) < 0.99999) {
    m[0] = b, m[1] = -a, m[2] = 0.0f;
    m[3] = a, m[4] = b, m[5] = c;
    m[6] = Product2Diff(m[1], m[5], m[2], m[4]);
    m[7] = Product2Diff(m[2], m[3], m[0], m[5]);
    m[8] = Product2Diff(m[0], m[4], m[1], m[3]);
  } else {
    m[3] = a, m[4] = b, m[5] = c;
    m[6] = 0.0f, m[7] = -c, m[8] = b;
    m[0] = Product2Diff(m[4], m[8], m[5], m[7]);
    m[1] = Product2Diff(m[5], m[6], m[3], m[8]);
    m[2] = Product2Diff(m[3], m[7], m[4], m[6]);
  }
  return m;
}

// What a mesh writes as a hardpoint (nothing when of neither kind), where it
// sits, and the normal of its nearest triangle when it faces one (null for
// engines and mounts).
struct Placement {
  HardpointName hardpoint;
  std::array<float, 3> position;
  std::optional<FaceNormal> nearest;
};

// The placement of every mesh, by its index in the list, each name read
// once; the nearest triangles are searched all at once (which is cheaper
// than one at a time), and not even gathered when no hardpoint faces one.
std::vector<Placement> PlacementsByMesh(const MeshList& meshList) {
  std::vector<Placement> byMesh(meshList.size());
  std::vector<std::size_t> facing;
  std::vector<NearestTriangleFinder::Point> positions;
  for (std::size_t m = 0; m < meshList.size(); ++m) {
    const MeshRecord& mesh = meshList[m];
    if (!IsHardpointMeshName(mesh.meshName)) continue;
    Placement& placement = byMesh[m];
    placement.hardpoint = ClassifyHardpoint(mesh.meshName);
    if (placement.hardpoint.kind == HardpointKind::Neither) continue;
    placement.position = HardpointPosition(mesh);
    if (!FacesNearestTriangle(placement.hardpoint.name)) continue;
    facing.push_back(m);
    positions.push_back(placement.position);
  }
  const std::vector<std::optional<FaceNormal>> nearest =
      NearestTriangleFinder(meshList).NearestNormals(positions);
  for (std::size_t k = 0; k < facing.size(); ++k) byMesh[facing[k]].nearest = nearest[k];
  return byMesh;
}

void AddHardpointChildren(UtfTree& tree, const Placement& placement, HardpointRows rows,
                          UtfNode hardpointNode) {
  const HardpointName& hardpoint = placement.hardpoint;
  if (hardpoint.kind == HardpointKind::Revolute) {
    const bool turret = HasWordAt(hardpoint.name, 0, kTurretPrefix);
    AddLeaf(tree, hardpointNode, kNodeAxis, FloatsLeaf(kRevoluteAxis));
    AddLeaf(tree, hardpointNode, kNodeMax, LimitLeaf(turret ? kTurretMaxBits : kDefaultMaxBits));
    AddLeaf(tree, hardpointNode, kNodeMin, LimitLeaf(turret ? kTurretMinBits : kDefaultMinBits));
  }
  const std::array<float, 9> orientation = OrientationAwayFrom(placement.nearest);
  auto [orientationLeaf, positionLeaf] = FloatsLeafPair(
      rows == HardpointRows::Unit ? UnitRows(orientation) : orientation, placement.position);
  AddLeaf(tree, hardpointNode, kNodeOrientation, std::move(orientationLeaf));
  AddLeaf(tree, hardpointNode, kNodePosition, std::move(positionLeaf));
}

}  // namespace

std::array<float, 3> HardpointPosition(const MeshRecord& hardpointMesh) {
  const std::size_t count = hardpointMesh.vertices.size() < 3 ? hardpointMesh.vertices.size() : 3;
  std::array<float, 3> position = {0.0f, 0.0f, 0.0f};
  if (count == 0) return position;
  for (int axis = 0; axis < 3; ++axis) {
    // (x0 + x1 + x2) / 3.0 summed left to right; no +0.0 in front, which
    // would turn a -0.0 sum into +0.0.
    double sum = hardpointMesh.vertices[0].position[axis];
    for (std::size_t i = 1; i < count; ++i) sum += hardpointMesh.vertices[i].position[axis];
    position[axis] = static_cast<float>(sum / static_cast<double>(count));
  }
  return position;
}

std::array<float, 9> UnitRows(const std::array<float, 9>& rows) {
  std::array<float, 9> unit = rows;
  for (std::size_t row = 0; row < 9; row += 3) {
    const double length = std::sqrt(static_cast<double>(rows[row]) * rows[row] +
                                    static_cast<double>(rows[row + 1]) * rows[row + 1] +
                                    static_cast<double>(rows[row + 2]) * rows[row + 2]);
    if (length == 0) continue;
    for (std::size_t i = row; i < row + 3; ++i) unit[i] = static_cast<float>(rows[i] / length);
  }
  return unit;
}

MeshGroup* FindOwningPart(const MeshRecord& hardpointMesh, GroupList& groupList) {
  if (groupList.empty()) return nullptr;
  constexpr double kMargin = 0.1;
  const Bounds& mesh = hardpointMesh.bounds;
  for (MeshGroup& group : groupList) {
    const Bounds& g = group.bounds;
    if (g.maxX + kMargin >= mesh.maxX && g.minX - kMargin <= mesh.minX &&
        g.maxY + kMargin >= mesh.maxY && g.minY - kMargin <= mesh.minY &&
        g.maxZ + kMargin >= mesh.maxZ && g.minZ - kMargin <= mesh.minZ) {
      return &group;
    }
  }
  return &groupList.front();
}

std::optional<WrittenHardpoint> WrittenHardpointOf(std::string_view meshName) {
  const HardpointName hardpoint = ClassifyHardpoint(meshName);
  if (hardpoint.kind == HardpointKind::Neither) return std::nullopt;
  return WrittenHardpoint{hardpoint.kind == HardpointKind::Revolute, hardpoint.name};
}

bool NamesWrittenHardpoint(std::string_view meshName) {
  return ClassifyHardpoint(meshName).kind != HardpointKind::Neither;
}

void AddHardpoints(UtfTree& tree, const MeshList& meshList, UtfNode hardpointsNode,
                   HardpointRows rows) {
  UtfNode fixedNode = tree.AddNode(hardpointsNode, kNodeFixed);
  UtfNode revoluteNode = tree.AddNode(hardpointsNode, kNodeRevolute);
  for (const Placement& placement : PlacementsByMesh(meshList)) {
    const HardpointName& hardpoint = placement.hardpoint;
    if (hardpoint.kind == HardpointKind::Neither) continue;
    UtfNode kindNode = hardpoint.kind == HardpointKind::Fixed ? fixedNode : revoluteNode;
    AddHardpointChildren(tree, placement, rows, tree.AddNode(kindNode, hardpoint.name));
  }
}

void AddPartHardpoints(UtfTree& tree, const MeshList& meshList, GroupList& groupList,
                       HardpointRows rows) {
  // Handles from an earlier run would point into a released tree.
  for (MeshGroup& group : groupList) {
    group.hardpointsNode = group.fixedNode = group.revoluteNode = nullptr;
  }
  const std::vector<Placement> placements = PlacementsByMesh(meshList);
  for (std::size_t m = 0; m < meshList.size(); ++m) {
    const MeshRecord& mesh = meshList[m];
    if (!IsHardpointMeshName(mesh.meshName)) continue;
    MeshGroup* part = FindOwningPart(mesh, groupList);
    if (part == nullptr || part->partNode == nullptr) continue;
    if (part->hardpointsNode == nullptr)
      part->hardpointsNode = tree.AddNode(part->partNode, kNodeHardpoints);
    // A mesh of neither kind still leaves its part the "Hardpoints" node.
    const HardpointName& hardpoint = placements[m].hardpoint;
    if (hardpoint.kind == HardpointKind::Neither) continue;
    const bool fixed = hardpoint.kind == HardpointKind::Fixed;
    UtfNode& kindNode = fixed ? part->fixedNode : part->revoluteNode;
    if (kindNode == nullptr)
      kindNode = tree.AddNode(part->hardpointsNode, fixed ? kNodeFixed : kNodeRevolute);
    AddHardpointChildren(tree, placements[m], rows, tree.AddNode(kindNode, hardpoint.name));
  }
}

}  // namespace svcmp
