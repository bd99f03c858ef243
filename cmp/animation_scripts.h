#pragma once

#include <string>
#include <vector>

#include "format/animation_layout.h"
#include "utf/utf_tree.h"

// The animation scripts of a compound model as the assembly writes them.
namespace svcmp {

// The bytes of a channel's "Header" and "Frames": the frame count, the
// interval and the type, then each frame's time (timed channels only) and
// values, exactly frame count x frame size bytes.
std::vector<std::uint8_t> ChannelHeaderBytes(const AnimationChannel& channel);
std::vector<std::uint8_t> ChannelFrameBytes(const AnimationChannel& channel);

// Writes `scripts` under "Animation/Script" of the tree's top node, in
// order, each map as "Parent name", "Child name", "Channel/Header",
// "Channel/Frames", names zero-terminated. An "Animation" node there is
// replaced whole; with no scripts, none is left.
void WriteAnimationScripts(UtfTree& tree, const std::vector<AnimationScript>& scripts);

// An update's scripts: in the scripts already in the tree, the maps that
// move one of `exportedParts` (object names, in any letter case) give way to
// those of the script of the same name in `scripts`; the maps of other parts,
// object maps and other leaves stay byte for byte. Scripts new to the tree
// are added after them; a script left without maps is dropped. Maps are
// numbered again from 0.
void MergeAnimationScripts(UtfTree& tree, const std::vector<AnimationScript>& scripts,
                           const std::vector<std::string>& exportedParts);

}  // namespace svcmp
