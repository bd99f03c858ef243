#include "cmp/nearest_triangle.h"

#include <algorithm>
#include <cmath>

// The distance of a centre is rounded the way the exported files have always
// had it: each offset p - c rounded to a float, the length taken in double
// and rounded to a float. Every step rounds monotonically, so the distance
// only grows with each offset's size; the distance to the nearest corner or
// face of a box is therefore never more than the distance of any centre in
// the box, which is what makes skipping a box safe.
namespace svcmp {
namespace {

constexpr float kSearchLimit = 999999.0f;
constexpr std::uint32_t kLeafSize = 8;

float LengthOf(const std::array<float, 3>& d) {
  return static_cast<float>(
      std::sqrt((static_cast<double>(d[0]) * d[0] + static_cast<double>(d[1]) * d[1]) +
                static_cast<double>(d[2]) * d[2]));
}

float Offset(float point, float centre) {
  return static_cast<float>(static_cast<double>(point) - centre);
}

float Distance(const std::array<float, 3>& point, const std::array<float, 3>& centre) {
  return LengthOf(
      {Offset(point[0], centre[0]), Offset(point[1], centre[1]), Offset(point[2], centre[2])});
}

// The least distance any centre inside [low, high] can have.
float DistanceToBox(const std::array<float, 3>& point, const std::array<float, 3>& low,
                    const std::array<float, 3>& high) {
  std::array<float, 3> d{};
  for (int axis = 0; axis < 3; ++axis) {
    if (point[axis] < low[axis]) d[axis] = Offset(point[axis], low[axis]);
    if (point[axis] > high[axis]) d[axis] = Offset(point[axis], high[axis]);
  }
  return LengthOf(d);
}

}  // namespace

void NearestTriangleFinder::BuildOnce() const {
  if (built_) return;
  built_ = true;
  for (const MeshRecord& mesh : meshList_) {
    if (mesh.isHardpoint) continue;
    const std::size_t count = std::min(mesh.triangles.size(), mesh.faceNormals.size());
    for (std::size_t t = 0; t < count; ++t) {
      const auto& index = mesh.triangles[t].index;
      // Capture refuses such triangles; never read outside the mesh all the same.
      if (index[0] >= mesh.vertices.size() || index[1] >= mesh.vertices.size() ||
          index[2] >= mesh.vertices.size()) {
        continue;
      }
      Triangle triangle{{}, static_cast<std::uint32_t>(normals_.size())};
      for (int axis = 0; axis < 3; ++axis) {
        triangle.centre[axis] = static_cast<float>(
            (static_cast<double>(mesh.vertices[index[0]].position[axis]) +
             mesh.vertices[index[1]].position[axis] + mesh.vertices[index[2]].position[axis]) /
            3.0);
      }
      // A centre that is not finite is never nearer than the limit; leaving
      // it out keeps NaN out of the tree's comparisons.
      if (std::isfinite(triangle.centre[0]) && std::isfinite(triangle.centre[1]) &&
          std::isfinite(triangle.centre[2])) {
        triangles_.push_back(triangle);
        normals_.push_back(mesh.faceNormals[t]);
      }
    }
  }
  if (triangles_.empty()) return;
  nodes_.push_back({{}, {}, 0, static_cast<std::uint32_t>(triangles_.size()), 0});
  Split(0);
}

// Splits at the median of the widest axis until the leaves are small; the
// depth is about log2(T / kLeafSize).
void NearestTriangleFinder::Split(std::uint32_t index) const {
  Node node = nodes_[index];
  node.low = node.high = triangles_[node.begin].centre;
  for (std::uint32_t i = node.begin; i < node.end; ++i) {
    for (int axis = 0; axis < 3; ++axis) {
      node.low[axis] = std::min(node.low[axis], triangles_[i].centre[axis]);
      node.high[axis] = std::max(node.high[axis], triangles_[i].centre[axis]);
    }
  }
  nodes_[index] = node;
  if (node.end - node.begin <= kLeafSize) return;

  int axis = 0;
  for (int a = 1; a < 3; ++a) {
    if (node.high[a] - node.low[a] > node.high[axis] - node.low[axis]) axis = a;
  }
  const std::uint32_t middle = node.begin + (node.end - node.begin) / 2;
  std::nth_element(
      triangles_.begin() + node.begin, triangles_.begin() + middle, triangles_.begin() + node.end,
      [axis](const Triangle& a, const Triangle& b) { return a.centre[axis] < b.centre[axis]; });
  const auto firstChild = static_cast<std::uint32_t>(nodes_.size());
  nodes_[index].firstChild = firstChild;
  nodes_.push_back({{}, {}, node.begin, middle, 0});
  nodes_.push_back({{}, {}, middle, node.end, 0});
  Split(firstChild);
  Split(firstChild + 1);
}

std::optional<FaceNormal> NearestTriangleFinder::NearestNormal(
    const std::array<float, 3>& point) const {
  BuildOnce();
  if (nodes_.empty()) return std::nullopt;
  float bestDistance = kSearchLimit;
  const Triangle* best = nullptr;

  // Depth first, the nearer child first; a box is skipped only when every
  // centre in it is strictly farther than the best so far, since an equal
  // one may come earlier in the list. Each split halves a node, so the depth
  // stays below 32 and the stack below two entries a level.
  struct Pending {
    std::uint32_t node;
    float distance;  // to the node's box
  };
  std::array<Pending, 64> pending;
  std::size_t size = 0;
  pending[size++] = {0, DistanceToBox(point, nodes_[0].low, nodes_[0].high)};
  while (size != 0) {
    const Pending top = pending[--size];
    if (top.distance > bestDistance) continue;
    const Node& node = nodes_[top.node];
    if (node.firstChild == 0) {
      for (std::uint32_t i = node.begin; i < node.end; ++i) {
        const Triangle& triangle = triangles_[i];
        const float distance = Distance(point, triangle.centre);
        if (distance < bestDistance ||
            (best != nullptr && distance == bestDistance && triangle.order < best->order)) {
          bestDistance = distance;
          best = &triangle;
        }
      }
      continue;
    }
    const Node& first = nodes_[node.firstChild];
    const Node& second = nodes_[node.firstChild + 1];
    const Pending toFirst{node.firstChild, DistanceToBox(point, first.low, first.high)};
    const Pending toSecond{node.firstChild + 1, DistanceToBox(point, second.low, second.high)};
    const bool firstNearer = toFirst.distance <= toSecond.distance;
    pending[size++] = firstNearer ? toSecond : toFirst;
    pending[size++] = firstNearer ? toFirst : toSecond;
  }
  if (best == nullptr) return std::nullopt;
  return normals_[best->order];
}

}  // namespace svcmp
