#include "collision/part_collision.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "collision/convex_hull.h"
#include "collision/point_thinning.h"

namespace svcmp {
namespace {

using Vec = std::array<double, 3>;


constexpr std::size_t kMostPointsHulled = 4096;
constexpr double kThinningCells = 4096;
// Corners within this share of a hull's thickness of it are left out.
constexpr double kFaceShare = 0.05;


// A piece's hull of at most `maxFaces` faces, near-coplanar faces merged.
std::optional<ConvexHull> BoundedHull(std::uint32_t id, const std::vector<CollisionVector>& points,
                                      unsigned maxFaces) {
  // Hulling every point of a large piece is most of the cost of a collision
  // file, so a piece of many points is first thinned on a grid fine enough
  // to keep its shape (a cell per thousandth of its box's area), and the
  // hull of what is left widened around every point.
  if (points.size() <= kMostPointsHulled) return FewerFacedHull(id, points, maxFaces, kFaceShare);
  Vec low{HUGE_VAL, HUGE_VAL, HUGE_VAL}, high{-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  for (const CollisionVector& p : points) {
    for (int k = 0; k < 3; ++k) low[k] = std::min(low[k], double{p[k]}), high[k] = std::max(high[k], double{p[k]});
  }
  const Vec size{high[0] - low[0], high[1] - low[1], high[2] - low[2]};
  const Vec center{(low[0] + high[0]) / 2, (low[1] + high[1]) / 2, (low[2] + high[2]) / 2};
  const double boxArea = 2 * (size[0] * size[1] + size[1] * size[2] + size[2] * size[0]);
  std::optional<ConvexHull> hull =
      FewerFacedHull(id, Thinned(points, center, std::sqrt(boxArea / kThinningCells)), maxFaces, kFaceShare);
  if (hull && hull->triangles.size() + 2 != hull->points.size()) WidenAround(*hull, points, HUGE_VAL);
  return hull;
}

CollisionVector Moved(const FixedChild& child, const CollisionVector& p) {
  const auto& r = child.rotation;
  CollisionVector out{};
  for (int row = 0; row < 3; ++row) {
    out[row] = r[3 * row] * p[0] + r[3 * row + 1] * p[1] + r[3 * row + 2] * p[2] + child.translation[row];
  }
  return out;
}

// `inner` placed in the frame `outer` places its parent in.
FixedChild Composed(const FixedChild& outer, const FixedChild& inner) {
  FixedChild out{inner.part, {}, Moved(outer, inner.translation)};
  const auto& a = outer.rotation;
  const auto& b = inner.rotation;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      out.rotation[3 * r + c] = a[3 * r] * b[c] + a[3 * r + 1] * b[3 + c] + a[3 * r + 2] * b[6 + c];
    }
  }
  return out;
}

// The parts held to `parts[index]` through chains of Fix joints, each
// placed in its frame; a chain is followed no deeper than there are parts,
// so a loop of joints ends.
void AddFixedDescendants(const std::vector<CollisionPartInput>& parts, std::size_t index,
                         const FixedChild& placed, std::size_t depth, std::vector<FixedChild>& out) {
  if (index >= parts.size() || depth > parts.size()) return;
  for (const FixedChild& child : parts[index].fixedChildren) {
    if (child.part >= parts.size()) continue;
    out.push_back(Composed(placed, child));
    AddFixedDescendants(parts, child.part, out.back(), depth + 1, out);
  }
}

}  // namespace

CollisionBuild BuildCollision(const std::vector<CollisionPartInput>& parts, unsigned maxHullFaces,
                              unsigned maxHullsPerPart) {
  CollisionBuild build;
  for (const CollisionPartInput& input : parts) {
    PartHulls& part = build.parts.emplace_back();
    std::vector<std::string>& sources = build.sources.emplace_back();
    part.id = input.id;
    part.moves = input.moves;
    part.hardpointIds = input.hardpointIds;
    for (std::size_t p = 0; p < input.pieces.size(); ++p) {
      const CollisionPiece& piece = input.pieces[p];
      // What the pieces after this one need at the least: a hull each.
      const std::size_t left = input.pieces.size() - p - 1;
      const std::size_t budget =
          maxHullsPerPart > part.leaves.size() + left ? maxHullsPerPart - part.leaves.size() - left : 1;
      const std::vector<std::vector<CollisionVector>> convex =
          piece.triangles.empty() ? std::vector<std::vector<CollisionVector>>{}
                                  : ConvexPieces(piece.points, piece.triangles, static_cast<unsigned>(budget));
      const std::size_t before = part.leaves.size();
      if (convex.size() < 2) {
        if (auto hull = BoundedHull(piece.id, piece.points, maxHullFaces)) part.leaves.push_back(std::move(*hull));
      } else {
        for (const std::vector<CollisionVector>& points : convex) {
          if (auto hull = BoundedHull(piece.id, points, maxHullFaces)) part.leaves.push_back(std::move(*hull));
        }
      }
      if (part.leaves.size() == before) {
        build.warnings.push_back("the collision piece " + piece.name +
                                 " has fewer than three points off one line and is left out");
      }
      sources.resize(part.leaves.size(), piece.name);
    }
  }
  // The own hulls of every part held through Fix joints, however deep,
  // moved in: the parts a chain of Fix joints holds move as one body.
  std::vector<std::size_t> ownCounts;
  for (const PartHulls& part : build.parts) ownCounts.push_back(part.leaves.size());
  for (std::size_t index = 0; index < parts.size(); ++index) {
    std::vector<FixedChild> held;
    AddFixedDescendants(parts, index, FixedChild{index}, 0, held);
    for (const FixedChild& child : held) {
      for (std::size_t leaf = 0; leaf < ownCounts[child.part]; ++leaf) {
        // A hardpoint's hull goes up with its part's, and the part holding
        // the copy lists the hardpoint too.
        const std::uint32_t id = build.parts[child.part].leaves[leaf].id;
        if (id != build.parts[child.part].id) {
          std::vector<std::uint32_t>& listed = build.parts[index].hardpointIds;
          if (std::find(listed.begin(), listed.end(), id) == listed.end()) listed.push_back(id);
        }
        // Hulled again where it lands: its corners, moved and rounded, may
        // no longer be convex the way its faces join them.
        std::vector<CollisionVector> moved = build.parts[child.part].leaves[leaf].points;
        for (CollisionVector& p : moved) p = Moved(child, p);
        std::optional<ConvexHull> copy = HullOfPiece(id, moved, true);
        if (!copy) continue;
        build.sources[index].push_back(build.sources[child.part][leaf] + " of the Fix child " + parts[child.part].name);
        build.parts[index].leaves.push_back(std::move(*copy));
      }
    }
  }
  for (std::size_t index = 0; index < build.parts.size(); ++index) {
    PartHulls& part = build.parts[index];
    if (part.leaves.size() < 2) continue;
    std::vector<CollisionVector> all;
    for (const ConvexHull& leaf : part.leaves) {
      std::vector<bool> taken(leaf.points.size());
      for (const auto& t : leaf.triangles) {
        for (const auto corner : t) {
          if (!taken[corner]) taken[corner] = true, all.push_back(leaf.points[corner]);
        }
      }
    }
    part.wrap = HullOfPiece(part.id, all, true);
    if (part.wrap) build.sources[index].push_back("the wrap hull");
  }
  return build;
}

}  // namespace svcmp
