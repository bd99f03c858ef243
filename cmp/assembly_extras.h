#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cmp/node_part.h"
#include "format/animation_layout.h"
#include "plugin/mesh_records.h"
#include "utf/utf_tree.h"

namespace svcmp {

// What cmptool adds to the plug-in's output on request. The defaults are
// the plug-in's output, byte for byte.
struct AssemblyExtras {
  // Each mesh reference gets the box of exactly its vertices and their
  // smallest enclosing sphere.
  bool exactBounds = false;
  // "Fix" holds one joint per part but "Root", attaching it to "Root".
  bool fixJoints = false;
  // Hardpoint orientations are true rotations: each row scaled to unit
  // length. The plug-in's first rows are shorter wherever the surface under
  // a hardpoint is tilted, which skews what is mounted there.
  bool unitRotations = false;
  // Put with a dot before every library entry's name, so that the game's
  // global library ids differ between models; empty: the plug-in's names.
  std::string libraryPrefix;
  // Runs on the built tree before it is written: the material and texture
  // libraries go in here.
  std::function<void(UtfTree&, const MeshList&)> addLibraries;
  // Problems that leave something out but do not stop the export.
  std::function<void(const std::string&)> warn;
  // Parts formed from the model's node tree, one per group (or the single
  // part): their names, joints and hardpoints instead of the groups' own,
  // of --fix's joints and of the hardpoint meshes. Empty: none.
  std::vector<NodePart> nodeParts;
  // Animation scripts of the node parts: a new file gets them; an update
  // puts their maps in place of the maps of the parts it exports and keeps
  // the others (MergeAnimationScripts). Empty: none made.
  std::vector<AnimationScript> scripts;
  // Levels built one upon another in memory, so that the file is written once
  // and a level that fails leaves it as it was. When set, an update starts
  // from the image held here (when there is one) instead of the file, and
  // with `stageOnly` the built tree's image is left here and no file is written.
  std::vector<std::uint8_t>* stagedImage = nullptr;
  bool stageOnly = false;
};

}  // namespace svcmp
