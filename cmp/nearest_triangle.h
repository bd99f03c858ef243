#pragma once

#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "plugin/mesh_records.h"

namespace svcmp {

// The geometry triangles of a mesh list, their centres in a tree of boxes,
// so that each hardpoint finds its nearest triangle in about log T steps
// instead of T. Answers exactly what a walk over every triangle in list order
// answers, float for float, ties included.
class NearestTriangleFinder {
 public:
  using Point = std::array<float, 3>;

  // Searches the triangles of the meshes that are not hardpoints and that
  // have a face normal and name only vertices of their mesh. The list must
  // outlive the finder; the tree is built at the first search, so an export
  // without hardpoints pays nothing.
  explicit NearestTriangleFinder(const MeshList& meshList);
  ~NearestTriangleFinder();

  // The face normal of the triangle whose centre lies nearest to `point`
  // (distances as floats; the earlier triangle on a tie); null when no
  // centre is nearer than 999999.
  std::optional<FaceNormal> NearestNormal(const Point& point) const;

  // NearestNormal of each point, in the points' order; cheaper than asking
  // one at a time, since each search starts from a neighbouring point's answer.
  std::vector<std::optional<FaceNormal>> NearestNormals(const std::vector<Point>& points) const;

 private:
  class Tree;
  const Tree& BuiltTree() const;

  const MeshList& meshList_;
  mutable std::unique_ptr<const Tree> tree_;
};

}  // namespace svcmp
