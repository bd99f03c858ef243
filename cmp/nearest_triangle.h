#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "plugin/mesh_records.h"

namespace svcmp {

// The geometry triangles of a mesh list, their centres in a k-d tree, so
// that each hardpoint finds its nearest triangle in about log T steps instead
// of T. Answers exactly what a walk over every triangle in list order
// answers, float for float, ties included.
class NearestTriangleFinder {
 public:
  // Searches the triangles of the meshes that are not hardpoints and that
  // have a face normal and name only vertices of their mesh. The list must
  // outlive the finder; the tree is built at the first search, so an export
  // without hardpoints pays nothing.
  explicit NearestTriangleFinder(const MeshList& meshList) : meshList_(meshList) {}

  // The face normal of the triangle whose centre lies nearest to `point`
  // (distances as floats; the earlier triangle on a tie); null when no
  // centre is nearer than 999999.
  std::optional<FaceNormal> NearestNormal(const std::array<float, 3>& point) const;

 private:
  struct Triangle {
    std::array<float, 3> centre;
    std::uint32_t order;  // index into normals_, in list order: the tie-breaker
  };
  // A box around the centres of triangles_[begin, end); a leaf, or the
  // parent of the two nodes at `firstChild` and `firstChild + 1`.
  struct Node {
    std::array<float, 3> low;
    std::array<float, 3> high;
    std::uint32_t begin;
    std::uint32_t end;
    std::uint32_t firstChild;  // 0 for a leaf
  };

  void BuildOnce() const;
  void GatherTriangles() const;
  void BoundNode(Node& node) const;
  // `scratch` holds as many triangles as the tree.
  void Split(std::uint32_t node, int depth, Triangle* scratch) const;

  const MeshList& meshList_;
  mutable bool built_ = false;
  mutable std::vector<Triangle> triangles_;
  mutable std::vector<FaceNormal> normals_;
  mutable std::vector<Node> nodes_;
};

}  // namespace svcmp
