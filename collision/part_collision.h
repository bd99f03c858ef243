#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "collision/collision_hulls.h"
#include "collision/convex_decomposition.h"

namespace svcmp {

// A collision piece in its part's frame: a modelled hull (NAME$hull), a
// hardpoint's hull, or a geometry mesh of the part to make a hull of.
struct CollisionPiece {
  std::uint32_t id = 0;  // the part's, or the hardpoint's for a hardpoint hull
  std::string name;      // for warnings
  std::vector<CollisionVector> points;
  // A mesh's triangles (into points), where it may be split into convex
  // pieces when clearly concave; none for a piece hulled whole.
  std::vector<MeshCorners> triangles;
};

// A part hanging from another by a Fix joint: where it sits in the parent's
// frame (row-major rotation, then translation).
struct FixedChild {
  std::size_t part = 0;  // index into the parts given
  std::array<float, 9> rotation{1, 0, 0, 0, 1, 0, 0, 0, 1};
  CollisionVector translation{};
};

struct CollisionPartInput {
  std::uint32_t id = 0;
  bool moves = false;  // Root, and parts joined by anything but Fix
  std::vector<CollisionPiece> pieces;
  std::vector<std::uint32_t> hardpointIds;  // pieces with these ids are hardpoint hulls
  std::vector<FixedChild> fixedChildren;
  std::string name;  // for messages
};

struct CollisionBuild {
  std::vector<PartHulls> parts;
  // Per part, what each leaf and then the wrap hull was made of (a node or
  // mesh, a Fix child's), for messages.
  std::vector<std::vector<std::string>> sources;
  std::vector<std::string> warnings;  // pieces left out
};

// The hulls of every part: each piece made convex (at most `maxHullFaces`
// faces: past that the piece is thinned and its hull widened around every
// point of it), a clearly concave mesh split into convex pieces first (a
// part's pieces together in at most `maxHullsPerPart` hulls, each at least
// one), copies of the own and hardpoint hulls of its Fix children and of
// theirs (every part a chain of Fix joints holds to it) moved into the
// part's frame with their own ids (the hardpoints' then listed by the part
// too), and the wrap hull over all where there are two or more.
CollisionBuild BuildCollision(const std::vector<CollisionPartInput>& parts, unsigned maxHullFaces,
                              unsigned maxHullsPerPart = 1);

}  // namespace svcmp
