#include "simplify/split_normals.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>
#include <numeric>
#include <unordered_map>

namespace svcmp {
namespace {

// A vertex's position and texture coordinates as bits, +0 and -0 as one.
using WeldKey = std::array<std::uint32_t, 5>;

struct WeldKeyHash {
  std::size_t operator()(const WeldKey& key) const {
    std::size_t hash = 0;
    for (const std::uint32_t part : key) hash = hash * 1000003u ^ part;
    return hash;
  }
};

WeldKey KeyOf(const MeshVertex& vertex) {
  const auto bits = [](float value) { return std::bit_cast<std::uint32_t>(value + 0.0f); };
  return {bits(vertex.position[0]), bits(vertex.position[1]), bits(vertex.position[2]),
          bits(vertex.texture[0]), bits(vertex.texture[1])};
}

using Direction = std::array<double, 3>;

// The unit normal of the triangle at `corner`, zero for one without area.
Direction FaceDirection(const std::vector<MeshVertex>& vertices, const std::uint32_t* corner) {
  const float* a = vertices[corner[0]].position;
  const float* b = vertices[corner[1]].position;
  const float* c = vertices[corner[2]].position;
  const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  const double v[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  Direction n = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
  const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (length == 0) return {0, 0, 0};
  for (double& axis : n) axis /= length;
  return n;
}

std::vector<Direction> FaceDirections(const std::vector<MeshVertex>& vertices,
                                      const std::vector<std::uint32_t>& corners) {
  std::vector<Direction> directions(corners.size() / 3);
  for (std::size_t t = 0; t < directions.size(); ++t)
    directions[t] = FaceDirection(vertices, &corners[3 * t]);
  return directions;
}

double Cosine(const Direction& a, const Direction& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

bool IsZero(const Direction& d) { return d[0] == 0 && d[1] == 0 && d[2] == 0; }

// Faces this close to the crease angle count as at it: they stay apart.
constexpr double kCosineTolerance = 1e-6;

// One use of an edge between welded vertices `key` (the smaller one in the
// high half) by triangle `triangle`, at `slot` and with the vertices `ends`
// the triangle names there (in the key's order).
struct EdgeUse {
  std::uint64_t key = 0;
  std::uint32_t triangle = 0;
  std::uint32_t slot = 0;
  std::array<std::uint32_t, 2> ends{};

  bool operator<(const EdgeUse& other) const {
    return key != other.key ? key < other.key : triangle < other.triangle;
  }
};

// Calls visit(first, last) for each run of `uses` (sorted) of one edge.
template <typename Visit>
void ForEachEdge(const std::vector<EdgeUse>& uses, Visit visit) {
  for (std::size_t first = 0; first < uses.size();) {
    std::size_t last = first + 1;
    while (last < uses.size() && uses[last].key == uses[first].key) ++last;
    visit(first, last);
    first = last;
  }
}

// Sets of corner slots, joined as faces round a corner are found to meet smoothly.
class SlotSets {
 public:
  explicit SlotSets(std::size_t count) : parent_(count) {
    std::iota(parent_.begin(), parent_.end(), std::uint32_t{0});
  }
  std::uint32_t Find(std::uint32_t slot) {
    while (parent_[slot] != slot) slot = parent_[slot] = parent_[parent_[slot]];
    return slot;
  }
  void Join(std::uint32_t a, std::uint32_t b) {
    a = Find(a);
    b = Find(b);
    // The smaller slot leads, so the result does not hang on the order of joins.
    if (a != b) parent_[std::max(a, b)] = std::min(a, b);
  }

 private:
  std::vector<std::uint32_t> parent_;
};

}  // namespace

NormalSplits FindNormalSplits(const WholeMesh& mesh) {
  NormalSplits splits;
  const std::size_t count = mesh.vertices.size();
  // Only vertices in use count: a stray copy splits nothing.
  std::vector<std::uint32_t> uses(count, 0);
  for (const std::uint32_t corner : mesh.corners) {
    if (corner < count) ++uses[corner];
  }
  splits.welded.assign(count, 0);
  std::unordered_map<WeldKey, std::uint32_t, WeldKeyHash> welded;
  welded.reserve(count);
  for (std::uint32_t v = 0; v < count; ++v) {
    if (uses[v] == 0) continue;
    const auto [at, inserted] = welded.try_emplace(KeyOf(mesh.vertices[v]),
                                                   static_cast<std::uint32_t>(splits.first.size()));
    splits.welded[v] = at->second;
    if (inserted) {
      splits.first.push_back(v);
      // A vertex of one face alone shows no smoothing (a flat mesh's poles).
      splits.split.push_back(uses[v] < 2);
    } else {
      splits.split[at->second] = true;
      splits.any = true;
    }
  }
  if (!splits.any) return splits;

  // The crease angle: the least angle between two faces whose shared edge
  // (by welded vertices) names different vertices on the two sides.
  const std::vector<Direction> faces = FaceDirections(mesh.vertices, mesh.corners);
  std::vector<EdgeUse> edges;
  edges.reserve(mesh.corners.size());
  for (std::uint32_t t = 0; t < faces.size(); ++t) {
    if (IsZero(faces[t])) continue;
    for (int k = 0; k < 3; ++k) {
      std::uint32_t a = mesh.corners[3 * t + k];
      std::uint32_t b = mesh.corners[3 * t + (k + 1) % 3];
      if (splits.welded[a] == splits.welded[b]) continue;
      if (splits.welded[a] > splits.welded[b]) std::swap(a, b);
      edges.push_back({std::uint64_t{splits.welded[a]} << 32 | splits.welded[b], t, 0, {a, b}});
    }
  }
  std::sort(edges.begin(), edges.end());
  double creaseCosine = -std::numeric_limits<double>::infinity();
  ForEachEdge(edges, [&](std::size_t first, std::size_t last) {
    for (std::size_t i = first; i < last; ++i) {
      for (std::size_t j = i + 1; j < last; ++j) {
        if (edges[i].ends == edges[j].ends) continue;
        creaseCosine =
            std::max(creaseCosine, Cosine(faces[edges[i].triangle], faces[edges[j].triangle]));
      }
    }
  });
  splits.creaseCosine = std::isfinite(creaseCosine)
                            ? creaseCosine
                            : std::cos(kDefaultCreaseDegrees * std::numbers::pi / 180);
  return splits;
}

WholeMesh WeldNormalSplits(const WholeMesh& mesh, const NormalSplits& splits) {
  WholeMesh welded;
  welded.vertices.reserve(splits.first.size());
  for (const std::uint32_t v : splits.first) welded.vertices.push_back(mesh.vertices[v]);
  welded.corners.reserve(mesh.corners.size());
  for (const std::uint32_t corner : mesh.corners) welded.corners.push_back(splits.welded[corner]);
  return welded;
}

WholeMesh RestoreNormalSplits(const std::vector<MeshVertex>& vertices,
                              const std::vector<std::uint32_t>& corners,
                              const NormalSplits& splits) {
  const std::vector<Direction> faces = FaceDirections(vertices, corners);
  // Each corner at a split place, once per edge it begins or ends there.
  std::vector<EdgeUse> uses;
  for (std::uint32_t slot = 0; slot < corners.size(); ++slot) {
    const std::uint32_t at = corners[slot];
    if (!splits.split[at]) continue;
    const std::uint32_t t = slot / 3;
    for (const int step : {1, 2}) {
      const std::uint32_t other = corners[3 * t + (slot % 3 + step) % 3];
      uses.push_back({std::uint64_t{at} << 32 | other, t, slot, {}});
    }
  }
  std::sort(uses.begin(), uses.end());
  SlotSets sets(corners.size());
  ForEachEdge(uses, [&](std::size_t first, std::size_t last) {
    for (std::size_t i = first; i < last; ++i) {
      for (std::size_t j = i + 1; j < last; ++j) {
        const Direction& a = faces[uses[i].triangle];
        const Direction& b = faces[uses[j].triangle];
        if (!IsZero(a) && !IsZero(b) && Cosine(a, b) > splits.creaseCosine + kCosineTolerance)
          sets.Join(uses[i].slot, uses[j].slot);
      }
    }
  });

  WholeMesh restored;
  restored.corners.resize(corners.size());
  std::unordered_map<std::uint64_t, std::uint32_t> made;
  for (std::uint32_t slot = 0; slot < corners.size(); ++slot) {
    const std::uint32_t at = corners[slot];
    const std::uint32_t fan = splits.split[at] ? sets.Find(slot) : 0xffffffffu;
    const auto [found, inserted] = made.try_emplace(
        std::uint64_t{at} << 32 | fan, static_cast<std::uint32_t>(restored.vertices.size()));
    if (inserted) restored.vertices.push_back(vertices[at]);
    restored.corners[slot] = found->second;
  }
  return restored;
}

}  // namespace svcmp
