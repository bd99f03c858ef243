#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace svcmp {

// What a collision file (".sur") holds, as our decoder read it. Point
// indices of faces are into the part's points; for the older layout, whose
// hulls each bring their own points, they are renumbered into one array.
struct CollisionFace {
  std::uint16_t pierce = 0;                 // index of a face of the same hull
  std::array<std::uint16_t, 3> points{};    // edge k runs from points[k] to points[(k+1)%3]
  std::array<std::uint32_t, 3> twins{};     // each edge's twin, as 3·face + edge
};

enum class CollisionHullKind { Leaf, Wrap };

struct CollisionHull {
  std::uint64_t offset = 0;  // of its record in the file
  CollisionHullKind kind = CollisionHullKind::Leaf;
  std::uint32_t id = 0;          // a leaf's owner: the part or a hardpoint
  std::uint32_t pointCount = 0;  // V, the distinct points its faces use
  std::vector<CollisionFace> faces;
  std::string source;  // what a writer made it of, for findings; not in the file
};

struct CollisionPoint {
  std::array<float, 3> position{};
  std::uint32_t id = 0;
};

struct CollisionNode {
  std::uint64_t offset = 0;
  int right = -1;  // index of the right child; -1 for a leaf (the left child follows)
  int hull = -1;   // index of the hull it owns, or -1
  std::array<float, 3> center{};
  float radius = 0;
  std::array<std::uint8_t, 3> box{};
};

struct CollisionPart {
  std::uint64_t offset = 0;
  std::uint32_t id = 0;
  std::string name;    // the older layout keys parts by name (id: its name id)
  bool moves = false;  // "!fxd"
  std::array<float, 3> boxMin{}, boxMax{};  // "exts"
  std::array<float, 3> center{}, inertia{};
  float radius = 0;
  std::uint8_t deviation = 0;
  std::vector<CollisionPoint> points;
  std::vector<CollisionHull> hulls;  // leaf hulls, then the wrap hull if any
  std::vector<CollisionNode> nodes;  // depth first, the root first
  std::vector<std::uint32_t> hardpointIds;  // "hpid"
};

struct CollisionFile {
  bool olderLayout = false;
  std::vector<CollisionPart> parts;
};

}  // namespace svcmp
