#include "cmp/nearest_triangle.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>

// The distance of a centre is rounded the way the exported files have always
// had it: each offset p - c rounded to a float, the squares summed in double,
// the square root rounded to a float. Every step rounds monotonically, so the
// sum only grows with each offset's size: the sum for the nearest corner or
// face of a box is never more than that of any centre in the box, which is
// what makes passing over a box safe. Only that matters: how the centres are
// grouped into boxes changes the speed, never an answer.
//
// The search compares sums instead of distances: a sum at or above the
// square of the float just above the best distance rounds to a distance
// above the best (that square is exact in double), so it can be passed over
// without a square root. A box is passed over only when its sum is at or
// above that bound, so every centre as near as the best is still looked at
// and the earlier one wins a tie, whichever candidate the search starts from
// and whichever centres it looks at twice.
namespace svcmp {
namespace {

using Point = NearestTriangleFinder::Point;

constexpr float kSearchLimit = 999999.0f;
// A leaf holds at most this many centres: fewer, larger leaves make a
// shallower tree, cheaper to build and to walk, at the price of more
// centres measured in the leaf a search ends in.
constexpr std::uint32_t kLeafSize = 32;
// How many triangles ahead the corners are fetched into the cache.
constexpr std::size_t kPrefetchAhead = 16;
// Z-order codes take eight bits an axis, interleaved: 24 bits, sorted in
// two passes of twelve.
constexpr int kCodeBitsPerAxis = 8;
constexpr int kCodeBits = 3 * kCodeBitsPerAxis;
constexpr int kCellsPerAxis = 1 << kCodeBitsPerAxis;

// A float difference rounded once: the same float as the difference taken in
// double and rounded to float, since a double holds more than twice a
// float's digits.
float Offset(float point, float centre) { return point - centre; }

double SquaredLength(float dx, float dy, float dz) {
  return (static_cast<double>(dx) * dx + static_cast<double>(dy) * dy) +
         static_cast<double>(dz) * dz;
}

// Four floats or two doubles at a time, in the compilers' portable vector
// types; each lane rounds as the same scalar operation would.
using Floats = float __attribute__((vector_size(16)));
using Doubles = double __attribute__((vector_size(16)));

Floats LoadFloats(const float* at) {
  Floats value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

Floats Splat(float value) { return Floats{value, value, value, value}; }

// The squared lengths of four offsets, as SquaredLength gives them: lanes 0
// and 1 in `first`, 2 and 3 in `second`.
void SquaredLengths(Floats dx, Floats dy, Floats dz, Doubles& first, Doubles& second) {
  const auto low = [](Floats d) {
    return __builtin_convertvector(__builtin_shufflevector(d, d, 0, 1), Doubles);
  };
  const auto high = [](Floats d) {
    return __builtin_convertvector(__builtin_shufflevector(d, d, 2, 3), Doubles);
  };
  first = (low(dx) * low(dx) + low(dy) * low(dy)) + low(dz) * low(dz);
  second = (high(dx) * high(dx) + high(dy) * high(dy)) + high(dz) * high(dz);
}

// The least offsets from `point` to four spans [low, high] along one axis:
// an offset to the low side is the negated offset from it, exactly. An
// empty span (low +inf, high -inf) is infinitely far.
Floats OffsetsToSpans(Floats point, Floats low, Floats high) {
  const auto max = [](Floats a, Floats b) { return a > b ? a : b; };
  return max(max(low - point, point - high), Splat(0.0f));
}

// Sums at or above this give a distance strictly above `best`, which is
// finite and not negative: the next float up is the next bit pattern.
double PassOverBound(float best) {
  const double above = std::bit_cast<float>(std::bit_cast<std::uint32_t>(best) + 1);
  return above * above;
}

// A box grown point by point; six scalars, so that a loop keeps them in
// registers. Empty, it runs from +inf to -inf, which no search enters.
struct Box {
  static constexpr float kInfinity = std::numeric_limits<float>::infinity();
  float lowX = kInfinity, lowY = kInfinity, lowZ = kInfinity;
  float highX = -kInfinity, highY = -kInfinity, highZ = -kInfinity;

  void Extend(float x, float y, float z) {
    lowX = std::min(lowX, x), highX = std::max(highX, x);
    lowY = std::min(lowY, y), highY = std::max(highY, y);
    lowZ = std::min(lowZ, z), highZ = std::max(highZ, z);
  }
  void Extend(const Box& other) {
    lowX = std::min(lowX, other.lowX), highX = std::max(highX, other.highX);
    lowY = std::min(lowY, other.lowY), highY = std::max(highY, other.highY);
    lowZ = std::min(lowZ, other.lowZ), highZ = std::max(highZ, other.highZ);
  }
};

bool IsFinite(const Point& point) {
  return std::isfinite(point[0]) && std::isfinite(point[1]) && std::isfinite(point[2]);
}

// Each cell number with its bits moved to every third bit.
constexpr std::array<std::uint32_t, kCellsPerAxis> kSpreadCells = [] {
  std::array<std::uint32_t, kCellsPerAxis> spread{};
  for (std::uint32_t cell = 0; cell < kCellsPerAxis; ++cell) {
    for (int bit = 0; bit < kCodeBitsPerAxis; ++bit)
      spread[cell] |= ((cell >> bit) & 1u) << (3 * bit);
  }
  return spread;
}();

// A cube of 256 cells a side; points outside it go to its nearest cell.
struct Grid {
  std::array<double, 3> low{};
  double scale = 0;

  Grid() = default;
  // Cells of equal size in every direction, over the box of the centres.
  explicit Grid(const Box& box) : low{box.lowX, box.lowY, box.lowZ} {
    const double extent = std::max({static_cast<double>(box.highX) - box.lowX,
                                    static_cast<double>(box.highY) - box.lowY,
                                    static_cast<double>(box.highZ) - box.lowZ});
    scale = extent > 0 ? kCellsPerAxis / extent : 0;
  }

  // In double, where no span of floats overflows.
  std::uint32_t ZOrderCode(const Point& point) const {
    std::uint32_t code = 0;
    for (int axis = 0; axis < 3; ++axis) {
      const double cell = (static_cast<double>(point[axis]) - low[axis]) * scale;
      const double inside = std::clamp(cell, 0.0, kCellsPerAxis - 1.0);
      code |= kSpreadCells[static_cast<std::uint32_t>(inside)] << axis;
    }
    return code;
  }
};

struct Coded {
  std::uint32_t code;
  std::uint32_t item;
};

// Sorts by code, equal codes kept in their order: a counting sort on each
// half of the codes, the lower first.
void SortByCode(std::vector<Coded>& items) {
  constexpr int kDigits = 2;
  constexpr int kDigitBits = kCodeBits / kDigits;
  constexpr std::uint32_t kDigitMask = (1u << kDigitBits) - 1;
  std::vector<std::array<std::uint32_t, 1u << kDigitBits>> starts(kDigits);
  for (const Coded& coded : items) {
    for (int digit = 0; digit < kDigits; ++digit) {
      ++starts[digit][(coded.code >> (digit * kDigitBits)) & kDigitMask];
    }
  }
  std::vector<Coded> sorted(items.size());
  for (int digit = 0; digit < kDigits; ++digit) {
    std::uint32_t start = 0;
    for (std::uint32_t& count : starts[digit]) start += std::exchange(count, start);
    for (const Coded& coded : items) {
      sorted[starts[digit][(coded.code >> (digit * kDigitBits)) & kDigitMask]++] = coded;
    }
    items.swap(sorted);
  }
}

// The centre of each triangle the finder searches and its face normal, in
// list order. Centres that are not finite are never nearer than the limit;
// leaving them out keeps NaN out of the tree. Returns the box around them.
Box GatherCentres(const MeshList& meshList, std::vector<Point>& centres,
                  std::vector<FaceNormal>& normals) {
  Box box;
  std::size_t atMost = 0;
  for (const MeshRecord& mesh : meshList) {
    if (!mesh.isHardpoint) atMost += std::min(mesh.triangles.size(), mesh.faceNormals.size());
  }
  centres.reserve(atMost);
  normals.reserve(atMost);
  for (const MeshRecord& mesh : meshList) {
    if (mesh.isHardpoint) continue;
    const std::size_t count = std::min(mesh.triangles.size(), mesh.faceNormals.size());
    const std::size_t vertexCount = mesh.vertices.size();
    for (std::size_t t = 0; t < count; ++t) {
      // Corners may lie anywhere in a large vertex list: fetching a later
      // triangle's now overlaps their cache misses with this one's sums.
      if (t + kPrefetchAhead < count) {
        for (const std::uint16_t ahead : mesh.triangles[t + kPrefetchAhead].index) {
          if (ahead < vertexCount) __builtin_prefetch(mesh.vertices[ahead].position);
        }
      }
      const auto& index = mesh.triangles[t].index;
      // Capture refuses such triangles; never read outside the mesh all the same.
      if (index[0] >= vertexCount || index[1] >= vertexCount || index[2] >= vertexCount) continue;
      // (a + b + c) / 3.0 in double, x and y in one division.
      const float* a = mesh.vertices[index[0]].position;
      const float* b = mesh.vertices[index[1]].position;
      const float* c = mesh.vertices[index[2]].position;
      const Doubles xy =
          (Doubles{a[0], a[1]} + Doubles{b[0], b[1]} + Doubles{c[0], c[1]}) / Doubles{3.0, 3.0};
      const Point centre{static_cast<float>(xy[0]), static_cast<float>(xy[1]),
                         static_cast<float>((static_cast<double>(a[2]) + b[2] + c[2]) / 3.0)};
      if (IsFinite(centre)) {
        centres.push_back(centre);
        normals.push_back(mesh.faceNormals[t]);
        box.Extend(centre[0], centre[1], centre[2]);
      }
    }
  }
  return box;
}

}  // namespace

// The centres sorted along a Z-order curve, so that each run of them whose
// codes share their leading bits fills one cell of the grid, and a tree over
// the runs whose nodes have up to four children.
class NearestTriangleFinder::Tree {
 public:
  explicit Tree(const MeshList& meshList);

  bool Empty() const { return orders_.empty(); }
  const Grid& CodeGrid() const { return grid_; }

  static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
  // The best centre so far: nearest first, then earliest in the list.
  struct Candidate {
    float distance = kSearchLimit;
    std::uint32_t order = 0;         // list order; 0 while there is none, so a tie never wins
    std::uint32_t position = kNone;  // index into the sorted centres
    double passOver = PassOverBound(kSearchLimit);  // sums at or above this lose
  };

  // Looks at the centre at `position` of the sorted ones.
  void Consider(const Point& point, std::uint32_t position, Candidate& best) const {
    Accept(position,
           SquaredLength(Offset(point[0], xs_[position]), Offset(point[1], ys_[position]),
                         Offset(point[2], zs_[position])),
           best);
  }
  // Improves `best` to the nearest centre of all; `point` is finite.
  void Search(const Point& point, Candidate& best) const;
  const FaceNormal& Normal(const Candidate& found) const { return normals_[found.order]; }

 private:
  // A leaf's run of sorted centres, or the inner node `first` (count 0).
  struct Ref {
    std::uint32_t first;
    std::uint32_t count;
  };
  // An inner node holds its children's boxes, by axis, a child a lane, so
  // that all of them are measured at once; unused lanes hold empty boxes.
  // Plain floats, loaded without asking for alignment: the 32-bit Windows
  // heap hands out blocks aligned to 8 bytes, not to a vector's 16.
  struct Node {
    std::array<float, 4> lowX, lowY, lowZ;
    std::array<float, 4> highX, highY, highZ;
    std::array<Ref, 4> child;
  };
  struct Subtree {
    Ref ref;
    Box box;
  };

  std::uint32_t Cut(std::uint32_t begin, std::uint32_t end,
                    const std::vector<std::uint32_t>& codes) const;
  Subtree Split(std::uint32_t begin, std::uint32_t end, const std::vector<std::uint32_t>& codes);
  static Node MakeNode(const Subtree* children, int count);
  void Accept(std::uint32_t position, double squared, Candidate& best) const {
    if (squared >= best.passOver) return;
    const auto distance = static_cast<float>(std::sqrt(squared));
    const std::uint32_t order = orders_[position];
    if (distance < best.distance || (distance == best.distance && order < best.order)) {
      best = {distance, order, position, PassOverBound(distance)};
    }
  }
  void ScanLeaf(const Point& point, Ref leaf, Candidate& best) const;

  Grid grid_;
  // By axis, followed by three copies of the last one, so that four lanes
  // may start at any centre.
  std::vector<float> xs_, ys_, zs_;
  std::vector<std::uint32_t> orders_;  // each sorted centre's index into normals_
  std::vector<FaceNormal> normals_;    // in list order
  std::vector<Node> nodes_;
  Ref root_{};
};

NearestTriangleFinder::Tree::Tree(const MeshList& meshList) {
  std::vector<Point> centres;
  const Box box = GatherCentres(meshList, centres, normals_);
  if (centres.empty()) return;
  grid_ = Grid(box);

  const auto count = static_cast<std::uint32_t>(centres.size());
  std::vector<Coded> coded(count);
  for (std::uint32_t i = 0; i < count; ++i) coded[i] = {grid_.ZOrderCode(centres[i]), i};
  SortByCode(coded);
  const std::size_t padded = count + 3;
  xs_.resize(padded), ys_.resize(padded), zs_.resize(padded), orders_.resize(padded);
  std::vector<std::uint32_t> codes(count);
  for (std::size_t i = 0; i < padded; ++i) {
    const Coded& at = coded[std::min<std::size_t>(i, count - 1)];
    xs_[i] = centres[at.item][0], ys_[i] = centres[at.item][1], zs_[i] = centres[at.item][2];
    orders_[i] = at.item;
    if (i < count) codes[i] = at.code;
  }
  nodes_.reserve(count / kLeafSize + 1);
  root_ = Split(0, count, codes).ref;
}

// Where a run of sorted centres is cut: where the highest bit in which their
// codes differ turns from 0 to 1, a cut through the middle of a cell along
// one axis. That halves the cell each time, so after at most 24 cuts a run's
// codes are all equal and it is cut at its middle by count instead, at most
// 27 times more before it fits a leaf.
std::uint32_t NearestTriangleFinder::Tree::Cut(std::uint32_t begin, std::uint32_t end,
                                               const std::vector<std::uint32_t>& codes) const {
  const std::uint32_t differ = codes[begin] ^ codes[end - 1];
  if (differ == 0) return begin + (end - begin) / 2;
  const std::uint32_t bit = std::bit_floor(differ);
  return static_cast<std::uint32_t>(
      std::partition_point(codes.begin() + begin, codes.begin() + end,
                           [bit](std::uint32_t code) { return (code & bit) == 0; }) -
      codes.begin());
}

// A node of two cuts (two levels of a binary tree, so the depth stays below
// 30), or a leaf; each box is bounded from the centres below it.
NearestTriangleFinder::Tree::Subtree NearestTriangleFinder::Tree::Split(
    std::uint32_t begin, std::uint32_t end, const std::vector<std::uint32_t>& codes) {
  if (end - begin <= kLeafSize) {
    Box box;
    for (std::uint32_t i = begin; i < end; ++i) box.Extend(xs_[i], ys_[i], zs_[i]);
    return {{begin, end - begin}, box};
  }
  const std::uint32_t middle = Cut(begin, end, codes);
  std::array<std::uint32_t, 5> bounds{};
  int runs = 0;
  for (const auto& [from, to] : {std::pair{begin, middle}, std::pair{middle, end}}) {
    bounds[runs++] = from;
    if (to - from > kLeafSize) bounds[runs++] = Cut(from, to, codes);
  }
  bounds[runs] = end;
  // Parents before their children, so that a search reads onwards.
  const auto index = static_cast<std::uint32_t>(nodes_.size());
  nodes_.emplace_back();
  std::array<Subtree, 4> children;
  for (int k = 0; k < runs; ++k) children[k] = Split(bounds[k], bounds[k + 1], codes);
  nodes_[index] = MakeNode(children.data(), runs);
  Subtree whole{{index, 0}, {}};
  for (int k = 0; k < runs; ++k) whole.box.Extend(children[k].box);
  return whole;
}

// The lanes past `count` hold empty boxes, which no search enters.
NearestTriangleFinder::Tree::Node NearestTriangleFinder::Tree::MakeNode(const Subtree* children,
                                                                        int count) {
  const Subtree empty{{0, 0}, {}};
  Node node;
  for (int k = 0; k < 4; ++k) {
    const Subtree& child = k < count ? children[k] : empty;
    const Box& box = child.box;
    node.lowX[k] = box.lowX, node.lowY[k] = box.lowY, node.lowZ[k] = box.lowZ;
    node.highX[k] = box.highX, node.highY[k] = box.highY, node.highZ[k] = box.highZ;
    node.child[k] = child.ref;
  }
  return node;
}

// Four lanes at a time without a branch; the last group may reach into the
// next leaf, and looking at more centres never changes an answer.
void NearestTriangleFinder::Tree::ScanLeaf(const Point& point, Ref leaf, Candidate& best) const {
  const Floats x = Splat(point[0]), y = Splat(point[1]), z = Splat(point[2]);
  const std::uint32_t end = leaf.first + leaf.count;
  for (std::uint32_t i = leaf.first; i < end; i += 4) {
    Doubles first, second;
    SquaredLengths(x - LoadFloats(&xs_[i]), y - LoadFloats(&ys_[i]), z - LoadFloats(&zs_[i]), first,
                   second);
    const Doubles passOver{best.passOver, best.passOver};
    const auto nearer = (first < passOver) | (second < passOver);
    if ((nearer[0] | nearer[1]) == 0) continue;
    Accept(i, first[0], best), Accept(i + 1, first[1], best);
    Accept(i + 2, second[0], best), Accept(i + 3, second[1], best);
  }
}

// Depth first, the nearest child first, from whatever candidate `best` holds.
void NearestTriangleFinder::Tree::Search(const Point& point, Candidate& best) const {
  // Each level leaves at most three entries behind.
  struct Pending {
    Ref ref;
    double squared;  // to the node's box
  };
  std::array<Pending, 100> pending;
  std::size_t size = 0;
  // The root's box holds every centre: no need to measure it.
  pending[size++] = {root_, 0.0};
  const Floats x = Splat(point[0]), y = Splat(point[1]), z = Splat(point[2]);
  while (size != 0) {
    const Pending top = pending[--size];
    if (top.squared >= best.passOver) continue;
    if (top.ref.count != 0) {
      ScanLeaf(point, top.ref, best);
      continue;
    }
    assert(size + 4 <= pending.size());
    const Node& node = nodes_[top.ref.first];
    Doubles first, second;
    SquaredLengths(OffsetsToSpans(x, LoadFloats(node.lowX.data()), LoadFloats(node.highX.data())),
                   OffsetsToSpans(y, LoadFloats(node.lowY.data()), LoadFloats(node.highY.data())),
                   OffsetsToSpans(z, LoadFloats(node.lowZ.data()), LoadFloats(node.highZ.data())),
                   first, second);
    const double squared[4] = {first[0], first[1], second[0], second[1]};
    // Without branches, which would guess wrong half the time: each child is
    // written, and kept when it can hold a nearer centre.
    std::size_t nearest = size;
    double nearestSquared = best.passOver;
    for (int k = 0; k < 4; ++k) {
      pending[size] = {node.child[k], squared[k]};
      const bool open = squared[k] < best.passOver;
      const bool nearer = squared[k] < nearestSquared;
      nearest = nearer ? size : nearest;
      nearestSquared = nearer ? squared[k] : nearestSquared;
      size += open;
    }
    if (nearest < size) std::swap(pending[nearest], pending[size - 1]);
  }
}

NearestTriangleFinder::NearestTriangleFinder(const MeshList& meshList) : meshList_(meshList) {}

NearestTriangleFinder::~NearestTriangleFinder() = default;

const NearestTriangleFinder::Tree& NearestTriangleFinder::BuiltTree() const {
  if (!tree_) tree_ = std::make_unique<const Tree>(meshList_);
  return *tree_;
}

std::optional<FaceNormal> NearestTriangleFinder::NearestNormal(const Point& point) const {
  const Tree& tree = BuiltTree();
  // A coordinate that is not finite makes every distance infinite or NaN.
  if (tree.Empty() || !IsFinite(point)) return std::nullopt;
  Tree::Candidate best;
  tree.Search(point, best);
  if (best.position == Tree::kNone) return std::nullopt;
  return tree.Normal(best);
}

std::vector<std::optional<FaceNormal>> NearestTriangleFinder::NearestNormals(
    const std::vector<Point>& points) const {
  std::vector<std::optional<FaceNormal>> normals(points.size());
  if (points.empty()) return normals;
  const Tree& tree = BuiltTree();
  if (tree.Empty()) return normals;
  // Along the Z-order curve, each point's search starts from the previous
  // one's answer, which lies near enough to pass over many boxes at once.
  std::vector<Coded> queue;
  queue.reserve(points.size());
  for (std::uint32_t i = 0; i < points.size(); ++i) {
    if (IsFinite(points[i])) queue.push_back({tree.CodeGrid().ZOrderCode(points[i]), i});
  }
  SortByCode(queue);
  std::uint32_t previous = Tree::kNone;
  for (const Coded& query : queue) {
    const Point& point = points[query.item];
    Tree::Candidate best;
    if (previous != Tree::kNone) tree.Consider(point, previous, best);
    tree.Search(point, best);
    if (best.position == Tree::kNone) continue;
    normals[query.item] = tree.Normal(best);
    previous = best.position;
  }
  return normals;
}

}  // namespace svcmp
