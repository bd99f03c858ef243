#include "cli/convert_scene.h"

#include <cstdio>
#include <map>
#include <utility>
#include <vector>

#include "inspect/node_lookup.h"

namespace svcmp::cli {
namespace {

// Named like the compound root: a name that begins with "Hp" would make an
// importer take the empty root for a hardpoint.
constexpr char kSceneRoot[] = "Cmpnd";
constexpr char kFixedPrefix[] = "Hp_Fixed_";
constexpr char kRevolutePrefix[] = "Hp_Revolute_";

// The export's transform undone for one file coordinate set: in double,
// rounded to float once, so that exporting again gives the file's floats
// back to within one rounding.
class Undo {
 public:
  explicit Undo(const ExportTransform& transform)
      : scale_(transform.scaleDivisor), sign_(transform.orientationSign) {}

  std::array<float, 3> Point(const Vector3& p) const {
    return {static_cast<float>(static_cast<double>(p[0]) * scale_),
            static_cast<float>(static_cast<double>(p[1]) * scale_ * sign_),
            static_cast<float>(static_cast<double>(p[2]) * scale_ * sign_)};
  }
  std::array<float, 3> Direction(const Vector3& d) const {
    return {d[0], d[1] * static_cast<float>(sign_), d[2] * static_cast<float>(sign_)};
  }
  // S m S with S = diag(1, sign, sign): the same turn seen in the host's frame.
  Matrix3 Turn(const Matrix3& m) const {
    Matrix3 turned = m;
    for (std::size_t row = 0; row < 3; ++row) {
      for (std::size_t column = 0; column < 3; ++column) {
        const int flips = (row > 0 ? 1 : 0) + (column > 0 ? 1 : 0);
        if (sign_ < 0 && flips == 1) turned[row * 3 + column] = -turned[row * 3 + column];
      }
    }
    return turned;
  }

 private:
  double scale_;
  int sign_;
};

// The part file's name without ".3db" and the "_lod1" that multi-part
// exports add: the first mesh's name at export.
std::string MeshStem(const LevelPart& part) {
  std::string stem = part.fileName;
  for (std::string_view suffix : {".3db", "_lod1"}) {
    if (stem.size() >= suffix.size() &&
        SameNameNoCase(std::string_view(stem).substr(stem.size() - suffix.size()), suffix)) {
      stem.resize(stem.size() - suffix.size());
    }
  }
  return stem.empty() ? part.name : stem;
}

std::string MaterialName(const CompoundModel& model, std::uint32_t id) {
  const auto known = model.materialNames.find(id);
  if (known != model.materialNames.end()) return known->second;
  char name[32];
  std::snprintf(name, sizeof name, "material_0x%08X", static_cast<unsigned>(id));
  return name;
}

}  // namespace

SceneDocument ConvertedScene(const CompoundModel& model, const LevelGeometry& geometry,
                             const ExportTransform& transform) {
  const Undo undo(transform);
  SceneDocument scene;
  scene.name = kSceneRoot;
  std::map<std::uint32_t, std::uint32_t> materialIndex;
  const auto addNode = [&scene](std::string name, int parent) {
    SceneNode& node = scene.nodes.emplace_back();
    node.name = std::move(name);
    node.parent = parent;
    return static_cast<int>(scene.nodes.size() - 1);
  };

  // Depth first, so that a reader that takes meshes in node order meets
  // them in the file's order: a part, its meshes, then the parts hung on it.
  std::vector<std::vector<std::size_t>> childParts(geometry.parts.size());
  std::vector<std::pair<std::size_t, int>> pending;  // part, its parent's node
  for (std::size_t p = geometry.parts.size(); p-- > 0;) {
    const int parent = geometry.parts[p].parent;
    if (parent < 0) {
      pending.emplace_back(p, -1);
    } else {
      childParts[static_cast<std::size_t>(parent)].push_back(p);
    }
  }
  while (!pending.empty()) {
    const auto [p, parentNode] = pending.back();
    pending.pop_back();
    const LevelPart& part = geometry.parts[p];
    const int partNode = addNode(part.name, parentNode);
    scene.nodes.back().rotation = undo.Turn(part.toParent.rotation);
    scene.nodes.back().translation = undo.Point(part.toParent.translation);

    // One node per mesh, since readers name a mesh after its node.
    const std::string stem = MeshStem(part);
    for (std::size_t m = 0; m < part.meshes.size(); ++m) {
      const LevelMesh& mesh = part.meshes[m];
      const auto [material, added] = materialIndex.try_emplace(
          mesh.materialId, static_cast<std::uint32_t>(scene.materials.size()));
      if (added) scene.materials.push_back(MaterialName(model, mesh.materialId));
      SceneMesh& converted = scene.meshes.emplace_back();
      converted.name = m == 0 ? stem : stem + "_" + std::to_string(m + 1);
      converted.material = material->second;
      for (const BufferVertex& vertex : mesh.vertices) {
        converted.positions.push_back(undo.Point(vertex.position));
        converted.normals.push_back(undo.Direction(vertex.normal));
        converted.texture.push_back(vertex.texture);
      }
      converted.indices = mesh.indices;
      addNode(converted.name, partNode);
      scene.nodes.back().meshes.push_back(static_cast<std::uint32_t>(scene.meshes.size() - 1));
    }
    for (const Hardpoint& hardpoint : part.hardpoints) {
      const char* prefix = hardpoint.kind == HardpointKind::Fixed ? kFixedPrefix : kRevolutePrefix;
      addNode(prefix + hardpoint.name, partNode);
      scene.nodes.back().rotation =
          undo.Turn(hardpoint.orientation.value_or(Matrix3{1, 0, 0, 0, 1, 0, 0, 0, 1}));
      scene.nodes.back().translation = undo.Point(*hardpoint.position);
    }
    const auto& children = childParts[p];
    for (auto child = children.rbegin(); child != children.rend(); ++child) {
      pending.emplace_back(*child, partNode);
    }
  }
  return scene;
}

}  // namespace svcmp::cli
