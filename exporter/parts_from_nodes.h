#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "cmp/node_part.h"
#include "host/host_model.h"

// Parts formed from the model's node tree (`cmptool export --parts nodes`),
// beside the groups that cut the flat mesh list by counts.
namespace svcmp {

// A level of detail above 0 that the tree gives ("NAME$lod1" nodes): every
// part's meshes at that level, a part without a node of its own keeping the
// level below's.
struct PartsLevel {
  HostModelPtr model;
  std::vector<std::int32_t> meshesPerPart;
  std::vector<std::size_t> sourceMeshes;  // per mesh, its place in the tree's model
  std::vector<bool> givenParts;           // per part: a node of its own gives this level
};

// A collision piece the modeller made: a node named "NAME$hull" or with the
// property `hull`, its meshes' vertices in the frame of its part (its
// nearest mesh-node ancestor's, the root part's where it has none), in the
// file's units and orientation as the capture gives vertices.
struct ModelledHull {
  std::string node;
  std::size_t part = 0;   // index into PartsFromNodes::parts
  std::string hardpoint;  // the written name of the hardpoint node it lies under, if any
  std::vector<std::array<float, 3>> points;
};

// The model as the export takes it part by part, or the reason it cannot be.
struct PartsFromNodes {
  // The geometry meshes, part after part (the root part first), each in its
  // part's frame; hardpoint, collision, level and left-out nodes' meshes are
  // not among them. Null on an error.
  HostModelPtr model;
  std::vector<std::int32_t> meshesPerPart;
  std::vector<std::size_t> sourceMeshes;  // per mesh, its place in the tree's model
  std::vector<NodePart> parts;     // joints and hardpoints scaled and re-oriented
  std::vector<std::size_t> partNodes;  // per part, its node's place in the tree
  // Levels 1 and 2 when the tree has them, or up to `fillToLevel`.
  std::vector<PartsLevel> levels;
  std::vector<ModelledHull> hulls;  // in node order
  // The nodes export_ignore leaves out (with all below them), in node order;
  // one below another left out is not named again.
  std::vector<std::string> leftOut;
  std::vector<std::string> warnings;
  std::string error;  // names the node (and property) at fault; empty when formed
  // The error is that the tree has more than one mesh node at its top: a
  // flat list of meshes, which --game-ready leaves as one part.
  bool manyRoots = false;
};

// Forms the parts: the one mesh node at the top of the tree is the root part,
// whose frame is the model's; every mesh node below is a part in the rigid
// frame of its node, joined to its nearest mesh-node ancestor by the joint
// its `construct` property names. `scaleDivisor` and `orientationSign` are
// the export's, applied to origins, offsets and axes as the capture applies
// them to vertices. Levels are filled up to the highest the tree gives, or
// `fillToLevel` if higher (--auto-lod then makes what the tree lacks).
// docs/node-properties.md lists the properties read.
[[nodiscard]] PartsFromNodes FormPartsFromNodes(const msModel& model, int scaleDivisor,
                                                int orientationSign, int fillToLevel = 0);

}  // namespace svcmp
