#include "collision/sur_writer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <span>
#include <tuple>

#include "format/collision_layout.h"
#include "utf/little_endian.h"

namespace svcmp {
namespace {

using Vec = std::array<double, 3>;

Vec ToVec(const CollisionVector& p) { return {p[0], p[1], p[2]}; }
Vec Minus(const Vec& a, const Vec& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double Dot(const Vec& a, const Vec& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
Vec Cross(const Vec& a, const Vec& b) {
  return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

struct Bounds {
  Vec min{HUGE_VAL, HUGE_VAL, HUGE_VAL}, max{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  void Add(const Vec& p) {
    for (int k = 0; k < 3; ++k) min[k] = std::min(min[k], p[k]), max[k] = std::max(max[k], p[k]);
  }
  void Add(const Bounds& other) { Add(other.min), Add(other.max); }
  Vec Center() const { return {(min[0] + max[0]) / 2, (min[1] + max[1]) / 2, (min[2] + max[2]) / 2}; }
};

struct Face {
  std::array<std::uint16_t, 3> points{};
  std::uint32_t pierce = 0;
  std::array<std::int32_t, 3> twinOffsets{};  // in 4-byte slots
  bool back = false;  // a flat piece's, seen from behind
};

struct Hull {
  std::uint32_t id = 0;
  bool wrap = false;
  std::vector<Face> faces;
  Bounds bounds;
};

struct Node {
  Bounds bounds;
  int hull = -1;
  int right = -1;
};

// A part as the file lays it out.
struct Layout {
  std::vector<std::pair<Vec, std::uint32_t>> points;
  std::vector<Hull> hulls;  // leaves, then the wrap hull
  std::vector<Node> nodes;  // depth first
};

// The file's words, whose numbers the layout works out in double.
class Bytes : public LittleEndianWriter {
 public:
  void F32(double v) { LittleEndianWriter::F32(static_cast<float>(v)); }
  void Tag(std::uint32_t tag) { U32(tag); }
};

// Faces of a hull with their points welded into the part's, numbered in
// first use order.
class Welder {
 public:
  explicit Welder(Layout& layout) : layout_(layout) {}
  std::uint16_t Leaf(const CollisionVector& p, std::uint32_t id) {
    const auto key = std::make_tuple(p[0], p[1], p[2], id);
    const auto [found, added] = byKey_.try_emplace(key, layout_.points.size());
    if (added) {
      layout_.points.push_back({ToVec(p), id});
      byPosition_.try_emplace({p[0], p[1], p[2]}, found->second);
    }
    return static_cast<std::uint16_t>(found->second);
  }
  // The wrap hull takes the points of the leaves at its positions.
  std::uint16_t Wrap(const CollisionVector& p, std::uint32_t partId) {
    const auto found = byPosition_.find({p[0], p[1], p[2]});
    return found != byPosition_.end() ? static_cast<std::uint16_t>(found->second) : Leaf(p, partId);
  }

 private:
  Layout& layout_;
  std::map<std::tuple<float, float, float, std::uint32_t>, std::size_t> byKey_;
  std::map<std::array<float, 3>, std::size_t> byPosition_;
};

Vec FaceNormal(const Layout& layout, const Face& face) {
  const Vec a = layout.points[face.points[0]].first;
  const Vec n = Cross(Minus(layout.points[face.points[1]].first, a), Minus(layout.points[face.points[2]].first, a));
  const double length = std::sqrt(Dot(n, n));
  return length > 0 ? Vec{n[0] / length, n[1] / length, n[2] / length} : Vec{};
}

// Twins from a map of half-edges, on the same side of a flat piece where
// there is one (the diagonals of its outline), else on the other (its
// outline); pierce: the face of the most opposite normal.
void PairFaces(const Layout& layout, Hull& hull) {
  std::map<std::tuple<bool, std::uint16_t, std::uint16_t>, std::int32_t> slotOf;
  const auto slot = [](std::size_t face, int edge) {
    return static_cast<std::int32_t>(sur::kSlotsPerFace * face + 1 + static_cast<std::size_t>(edge));
  };
  for (std::size_t f = 0; f < hull.faces.size(); ++f) {
    const auto& p = hull.faces[f].points;
    for (int k = 0; k < 3; ++k) slotOf[{hull.faces[f].back, p[k], p[(k + 1) % 3]}] = slot(f, k);
  }
  std::vector<Vec> normals;
  for (const Face& face : hull.faces) normals.push_back(FaceNormal(layout, face));
  for (std::size_t f = 0; f < hull.faces.size(); ++f) {
    Face& face = hull.faces[f];
    for (int k = 0; k < 3; ++k) {
      const bool back = face.back;
      auto twin = slotOf.find({back, face.points[(k + 1) % 3], face.points[k]});
      if (twin == slotOf.end()) twin = slotOf.find({!back, face.points[(k + 1) % 3], face.points[k]});
      face.twinOffsets[k] = twin == slotOf.end() ? 0 : twin->second - slot(f, k);
    }
    double most = HUGE_VAL;
    for (std::size_t other = 0; other < hull.faces.size(); ++other) {
      const double d = other == f ? HUGE_VAL : Dot(normals[f], normals[other]);
      if (d < most) most = d, face.pierce = static_cast<std::uint32_t>(other);
    }
  }
}

// Whether every edge of the hull's faces is run the other way by another.
bool Closed(const Hull& hull) {
  std::set<std::pair<std::uint16_t, std::uint16_t>> edges;
  for (const Face& face : hull.faces) {
    for (int k = 0; k < 3; ++k) edges.insert({face.points[k], face.points[(k + 1) % 3]});
  }
  return std::all_of(edges.begin(), edges.end(), [&](const auto& edge) {
    return edges.contains({edge.second, edge.first});
  });
}

Hull MakeHull(const ConvexHull& input, bool wrap, std::uint32_t partId, Welder& welder,
              const Layout& layout) {
  Hull hull{input.id, wrap, {}, {}};
  for (const auto& t : input.triangles) {
    Face face;
    for (int k = 0; k < 3; ++k) {
      face.points[k] = wrap ? welder.Wrap(input.points[t[k]], partId) : welder.Leaf(input.points[t[k]], input.id);
    }
    hull.faces.push_back(face);
  }
  if (!Closed(hull)) {
    // A flat piece: each triangle followed by itself seen from behind, so
    // that the volume a reader sums, face by face, comes to exactly 0.
    std::vector<Face> sides;
    for (const Face& front : hull.faces) {
      sides.push_back(front);
      sides.push_back({{front.points[0], front.points[2], front.points[1]}, 0, {}, true});
    }
    hull.faces = std::move(sides);
  }
  for (const Face& face : hull.faces) {
    for (const std::uint16_t point : face.points) hull.bounds.Add(layout.points[point].first);
  }
  return hull;
}

// A full binary tree over `leaves`, depth first, split along the longest
// axis of their centres; gives the index of its root.
int BuildTree(Layout& layout, std::span<int> leaves) {
  const int index = static_cast<int>(layout.nodes.size());
  layout.nodes.emplace_back();
  if (leaves.size() == 1) {
    layout.nodes[index].hull = leaves[0];
    layout.nodes[index].bounds = layout.hulls[leaves[0]].bounds;
    return index;
  }
  Bounds centres;
  for (const int leaf : leaves) centres.Add(layout.hulls[leaf].bounds.Center());
  const Vec extent = Minus(centres.max, centres.min);
  const int axis = extent[0] >= extent[1] && extent[0] >= extent[2] ? 0 : extent[1] >= extent[2] ? 1 : 2;
  std::stable_sort(leaves.begin(), leaves.end(), [&](int a, int b) {
    return layout.hulls[a].bounds.Center()[axis] < layout.hulls[b].bounds.Center()[axis];
  });
  const std::size_t half = leaves.size() / 2;
  const int left = BuildTree(layout, leaves.first(half));
  const int right = BuildTree(layout, leaves.subspan(half));
  layout.nodes[index].right = right;
  layout.nodes[index].bounds = layout.nodes[left].bounds;
  layout.nodes[index].bounds.Add(layout.nodes[right].bounds);
  return index;
}

struct Sphere {
  Vec center{};
  double radius = 0;
  std::array<std::uint8_t, 3> box{};
};

Sphere NodeSphere(const Bounds& bounds) {
  Sphere sphere{bounds.Center(), std::sqrt(Dot(Minus(bounds.max, bounds.min), Minus(bounds.max, bounds.min))) / 2, {}};
  const double step = sphere.radius / sur::kRadiusSteps;
  for (int k = 0; k < 3; ++k) {
    const double half = (bounds.max[k] - bounds.min[k]) / 2;
    sphere.box[k] = step > 0 ? static_cast<std::uint8_t>(std::min(255.0, half / step + 1)) : 0;
  }
  return sphere;
}

void WriteBlock(const PartHulls& part, const Layout& layout, Bytes& out) {
  const Hull* leavesEnd = layout.hulls.data() + part.leaves.size();
  // Centre: the volume centroid of the leaf hulls, or their box's centre.
  Vec weighted{};
  double volume = 0;
  Bounds leafBounds;
  for (const Hull* hull = layout.hulls.data(); hull != leavesEnd; ++hull) {
    leafBounds.Add(hull->bounds);
    for (const Face& face : hull->faces) {
      const Vec a = layout.points[face.points[0]].first, b = layout.points[face.points[1]].first,
                c = layout.points[face.points[2]].first;
      const double d = Dot(a, Cross(Minus(b, a), Minus(c, a)));
      for (int k = 0; k < 3; ++k) weighted[k] += (a[k] + b[k] + c[k]) * d / 4;
      volume += d;
    }
  }
  const double size = std::sqrt(Dot(Minus(leafBounds.max, leafBounds.min), Minus(leafBounds.max, leafBounds.min)));
  const Vec center = std::fabs(volume) > 1e-9 * size * size * size
                         ? Vec{weighted[0] / volume, weighted[1] / volume, weighted[2] / volume}
                         : leafBounds.Center();
  double radius = 0, deviation = 0;
  for (const Hull* hull = layout.hulls.data(); hull != leavesEnd; ++hull) {
    for (const Face& face : hull->faces) {
      const Vec normal = FaceNormal(layout, face);
      for (const std::uint16_t point : face.points) {
        const Vec offset = Minus(layout.points[point].first, center);
        radius = std::max(radius, std::sqrt(Dot(offset, offset)));
        const double along = Dot(offset, normal);
        deviation = std::max(deviation, std::sqrt(std::max(0.0, Dot(offset, offset) - along * along)));
      }
    }
  }
  const double inertia = std::max(0.2 * radius * radius, static_cast<double>(std::numeric_limits<float>::min()));

  std::vector<std::uint32_t> hullAt;
  std::uint32_t at = sur::kSurfHeaderSize;
  for (const Hull& hull : layout.hulls) {
    hullAt.push_back(at);
    at += static_cast<std::uint32_t>(sur::kHullHeaderSize + sur::kFaceSize * hull.faces.size());
  }
  const std::uint32_t pointsAt = at;
  const auto nodesAt = static_cast<std::uint32_t>(pointsAt + sur::kPointSize * layout.points.size());
  const auto blockSize = static_cast<std::uint32_t>(nodesAt + sur::kNodeSize * layout.nodes.size());

  out.U32(blockSize);
  for (int k = 0; k < 3; ++k) out.F32(center[k]);
  for (int k = 0; k < 3; ++k) out.F32(inertia);
  out.F32(radius);
  out.U8(radius > 0 ? static_cast<std::uint32_t>(std::min(255.0, 1 + deviation / (radius / sur::kRadiusSteps))) : 1);
  out.U24(blockSize);
  out.U32(nodesAt);
  out.U32(0), out.U32(0), out.U32(0);
  for (std::size_t h = 0; h < layout.hulls.size(); ++h) {
    const Hull& hull = layout.hulls[h];
    const auto faceCount = static_cast<std::uint32_t>(hull.faces.size());
    out.U32(pointsAt - hullAt[h]);
    out.U32(hull.wrap ? nodesAt - hullAt[h] : hull.id);
    out.U8(hull.wrap ? sur::kWrapHullType : sur::kLeafHullType);
    out.U24(1 + faceCount + 2 + faceCount / 2);
    out.U16(faceCount);
    out.U16(0);
    for (std::uint32_t f = 0; f < faceCount; ++f) {
      const Face& face = hull.faces[f];
      out.U32(f | face.pierce << sur::kPierceShift | (hull.wrap ? sur::kWrapFaceBit : 0));
      for (int k = 0; k < 3; ++k) {
        out.U16(face.points[k]);
        out.U16((static_cast<std::uint32_t>(face.twinOffsets[k]) & sur::kTwinMask) |
                (hull.wrap ? sur::kWrapEdgeBit : 0));
      }
    }
  }
  for (const auto& [position, id] : layout.points) {
    out.F32(position[0]), out.F32(position[1]), out.F32(position[2]), out.U32(id);
  }
  for (std::size_t n = 0; n < layout.nodes.size(); ++n) {
    const Node& node = layout.nodes[n];
    const auto nodeAt = static_cast<std::uint32_t>(nodesAt + sur::kNodeSize * n);
    out.U32(node.right < 0 ? 0 : static_cast<std::uint32_t>(sur::kNodeSize * (static_cast<std::size_t>(node.right) - n)));
    out.U32(node.hull < 0 ? 0 : hullAt[static_cast<std::size_t>(node.hull)] - nodeAt);
    const Sphere sphere = NodeSphere(node.bounds);
    for (int k = 0; k < 3; ++k) out.F32(sphere.center[k]);
    out.F32(sphere.radius);
    for (const std::uint8_t byte : sphere.box) out.U8(byte);
    out.U8(0);
  }
}

std::string LayOut(const PartHulls& part, Layout& layout) {
  Welder welder(layout);
  for (const ConvexHull& leaf : part.leaves) layout.hulls.push_back(MakeHull(leaf, false, part.id, welder, layout));
  if (part.leaves.size() >= 2 && part.wrap) {
    layout.hulls.push_back(MakeHull(*part.wrap, true, part.id, welder, layout));
  }
  if (layout.points.size() > sur::kMaxPartPoints) return "a part's hulls have more than 65,535 points";
  for (Hull& hull : layout.hulls) {
    if (hull.faces.size() > sur::kMaxHullFaces) return "a hull has more than 4,095 faces";
    PairFaces(layout, hull);
  }
  std::vector<int> leaves(part.leaves.size());
  for (std::size_t i = 0; i < leaves.size(); ++i) leaves[i] = static_cast<int>(i);
  if (!leaves.empty()) BuildTree(layout, leaves);
  if (layout.hulls.size() > part.leaves.size()) layout.nodes[0].hull = static_cast<int>(part.leaves.size());
  return {};
}

}  // namespace

SurWriting WriteSurFile(const std::vector<PartHulls>& parts) {
  Bytes out;
  out.Tag(sur::kVersTag);
  out.F32(sur::kVersion);
  for (const PartHulls& part : parts) {
    if (part.leaves.empty()) continue;
    Layout layout;
    if (std::string error = LayOut(part, layout); !error.empty()) return {{}, error};
    Bounds own;
    // Its own hulls: not its hardpoints', nor the copies of its Fix children's.
    for (std::size_t h = 0; h < part.leaves.size(); ++h) {
      if (part.leaves[h].id == part.id) own.Add(layout.hulls[h].bounds);
    }
    if (own.min[0] > own.max[0]) own = Bounds{{0, 0, 0}, {0, 0, 0}};
    out.U32(part.id);
    out.U32(2 + (part.moves ? 1 : 0) + (part.hardpointIds.empty() ? 0 : 1));
    if (part.moves) out.Tag(sur::kFixedTag);
    out.Tag(sur::kExtentsTag);
    for (int k = 0; k < 3; ++k) out.F32(own.min[k]);
    for (int k = 0; k < 3; ++k) out.F32(own.max[k]);
    out.Tag(sur::kSurfaceTag);
    const std::size_t blockAt = out.Size();
    WriteBlock(part, layout, out);
    if (out.Size() - blockAt - 4 > sur::kMaxBlockSize) return {{}, "a part's collision block is 16 MiB or more"};
    if (!part.hardpointIds.empty()) {
      out.Tag(sur::kHardpointIdsTag);
      out.U32(static_cast<std::uint32_t>(part.hardpointIds.size()));
      for (const std::uint32_t id : part.hardpointIds) out.U32(id);
    }
  }
  return {out.Take(), {}};
}

}  // namespace svcmp
