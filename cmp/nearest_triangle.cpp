#include "cmp/nearest_triangle.h"

#include <algorithm>
#include <cmath>
#include <limits>

// The distance of a centre is rounded the way the exported files have always
// had it: each offset p - c rounded to a float, the squares summed in double,
// the square root rounded to a float. Every step rounds monotonically, so the
// sum only grows with each offset's size: the sum for the nearest corner or
// face of a box is never more than that of any centre in the box, which is
// what makes passing over a box safe.
//
// The search compares sums instead of distances: a sum at or above the
// square of the float just above the best distance rounds to a distance
// above the best (that square is exact in double), so it can be passed over
// without a square root.
namespace svcmp {
namespace {

using Point = std::array<float, 3>;

constexpr float kSearchLimit = 999999.0f;
constexpr std::uint32_t kLeafSize = 32;
// Down to this depth a node is cut at the middle of its box; below it, at
// its median, which halves it and so bounds the depth.
constexpr int kMiddleCutDepth = 24;

float Offset(float point, float centre) {
  return static_cast<float>(static_cast<double>(point) - centre);
}

double SquaredLength(const Point& d) {
  return (static_cast<double>(d[0]) * d[0] + static_cast<double>(d[1]) * d[1]) +
         static_cast<double>(d[2]) * d[2];
}

double SquaredDistance(const Point& point, const Point& centre) {
  return SquaredLength(
      {Offset(point[0], centre[0]), Offset(point[1], centre[1]), Offset(point[2], centre[2])});
}

// The least squared distance any centre inside [low, high] can have.
double SquaredDistanceToBox(const Point& point, const Point& low, const Point& high) {
  Point d{};
  for (int axis = 0; axis < 3; ++axis) {
    if (point[axis] < low[axis]) d[axis] = Offset(point[axis], low[axis]);
    if (point[axis] > high[axis]) d[axis] = Offset(point[axis], high[axis]);
  }
  return SquaredLength(d);
}

// Sums at or above this give a distance strictly above `best`.
double PassOverBound(float best) {
  const double above = std::nextafter(best, std::numeric_limits<float>::infinity());
  return above * above;
}

// Moves the items for which `below` holds to the front of [first, last) and
// gives the end of them. Each item is written to `scratch` without a branch
// on `below`, which a cut through random centres would mispredict half the
// time: the front fills upwards, the back downwards. The order within each
// side is not kept.
template <typename Item, typename Below>
Item* PartitionThroughScratch(Item* first, Item* last, Item* scratch, Below below) {
  const std::ptrdiff_t count = last - first;
  std::ptrdiff_t front = 0;
  std::ptrdiff_t back = count - 1;
  for (const Item* item = first; item != last; ++item) {
    const bool isBelow = below(*item);
    scratch[isBelow ? front : back] = *item;
    front += isBelow;
    back -= !isBelow;
  }
  std::copy(scratch, scratch + count, first);
  return first + front;
}

}  // namespace

void NearestTriangleFinder::BuildOnce() const {
  if (built_) return;
  built_ = true;
  GatherTriangles();
  if (triangles_.empty()) return;
  nodes_.push_back({{}, {}, 0, static_cast<std::uint32_t>(triangles_.size()), 0});
  std::vector<Triangle> scratch(triangles_.size());
  Split(0, 0, scratch.data());
}

void NearestTriangleFinder::GatherTriangles() const {
  std::size_t atMost = 0;
  for (const MeshRecord& mesh : meshList_) {
    if (!mesh.isHardpoint) atMost += std::min(mesh.triangles.size(), mesh.faceNormals.size());
  }
  triangles_.reserve(atMost);
  normals_.reserve(atMost);
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
}

void NearestTriangleFinder::BoundNode(Node& node) const {
  // Six scalars, so that they stay in registers through the loop.
  const Point& start = triangles_[node.begin].centre;
  float lowX = start[0], lowY = start[1], lowZ = start[2];
  float highX = lowX, highY = lowY, highZ = lowZ;
  for (std::uint32_t i = node.begin; i < node.end; ++i) {
    const Point& centre = triangles_[i].centre;
    lowX = std::min(lowX, centre[0]), highX = std::max(highX, centre[0]);
    lowY = std::min(lowY, centre[1]), highY = std::max(highY, centre[1]);
    lowZ = std::min(lowZ, centre[2]), highZ = std::max(highZ, centre[2]);
  }
  node.low = {lowX, lowY, lowZ};
  node.high = {highX, highY, highZ};
}

// Cuts the widest axis of the node's box through its middle, one pass over
// the node's centres. Any cut answers correctly, since every box is measured
// from the centres it holds; where the middle leaves one side empty, or the
// tree grows deep around a tight cluster, the cut is at the median instead.
void NearestTriangleFinder::Split(std::uint32_t index, int depth, Triangle* scratch) const {
  BoundNode(nodes_[index]);
  const Node node = nodes_[index];
  if (node.end - node.begin <= kLeafSize) return;

  int axis = 0;
  for (int a = 1; a < 3; ++a) {
    if (node.high[a] - node.low[a] > node.high[axis] - node.low[axis]) axis = a;
  }
  Triangle* first = triangles_.data() + node.begin;
  Triangle* last = triangles_.data() + node.end;
  Triangle* middle = last;
  if (depth < kMiddleCutDepth) {
    // Halves first, so that centres near the float limits do not overflow.
    const float cut = node.low[axis] / 2 + node.high[axis] / 2;
    middle = PartitionThroughScratch(first, last, scratch, [axis, cut](const Triangle& triangle) {
      return triangle.centre[axis] < cut;
    });
  }
  if (middle == first || middle == last) {
    middle = first + (last - first) / 2;
    std::nth_element(first, middle, last, [axis](const Triangle& a, const Triangle& b) {
      return a.centre[axis] < b.centre[axis];
    });
  }
  const auto cutAt = static_cast<std::uint32_t>(middle - triangles_.data());
  const auto firstChild = static_cast<std::uint32_t>(nodes_.size());
  nodes_[index].firstChild = firstChild;
  nodes_.push_back({{}, {}, node.begin, cutAt, 0});
  nodes_.push_back({{}, {}, cutAt, node.end, 0});
  Split(firstChild, depth + 1, scratch);
  Split(firstChild + 1, depth + 1, scratch);
}

std::optional<FaceNormal> NearestTriangleFinder::NearestNormal(const Point& point) const {
  BuildOnce();
  if (nodes_.empty()) return std::nullopt;
  float bestDistance = kSearchLimit;
  double passOver = PassOverBound(bestDistance);
  const Triangle* best = nullptr;

  // Depth first, the nearer child first; a box is passed over only when every
  // centre in it is strictly farther than the best so far, since an equal
  // one may come earlier in the list. The stack holds at most one entry a
  // level and one more, and the depth stays below 56.
  struct Pending {
    std::uint32_t node;
    double squaredDistance;  // to the node's box
  };
  std::array<Pending, 64> pending;
  std::size_t size = 0;
  pending[size++] = {0, SquaredDistanceToBox(point, nodes_[0].low, nodes_[0].high)};
  while (size != 0) {
    const Pending top = pending[--size];
    if (top.squaredDistance >= passOver) continue;
    const Node& node = nodes_[top.node];
    if (node.firstChild == 0) {
      for (std::uint32_t i = node.begin; i < node.end; ++i) {
        const Triangle& triangle = triangles_[i];
        const double squared = SquaredDistance(point, triangle.centre);
        if (squared >= passOver) continue;
        const auto distance = static_cast<float>(std::sqrt(squared));
        if (distance < bestDistance ||
            (best != nullptr && distance == bestDistance && triangle.order < best->order)) {
          bestDistance = distance;
          passOver = PassOverBound(bestDistance);
          best = &triangle;
        }
      }
      continue;
    }
    const Node& first = nodes_[node.firstChild];
    const Node& second = nodes_[node.firstChild + 1];
    const Pending toFirst{node.firstChild, SquaredDistanceToBox(point, first.low, first.high)};
    const Pending toSecond{node.firstChild + 1,
                           SquaredDistanceToBox(point, second.low, second.high)};
    const bool firstNearer = toFirst.squaredDistance <= toSecond.squaredDistance;
    pending[size++] = firstNearer ? toSecond : toFirst;
    pending[size++] = firstNearer ? toFirst : toSecond;
  }
  if (best == nullptr) return std::nullopt;
  return normals_[best->order];
}

}  // namespace svcmp
