#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "format/animation_layout.h"
#include "inspect/finding.h"
#include "utf/utf_tree.h"

namespace svcmp {

// A channel from its "Header" and "Frames" leaves. Never reads outside them;
// a header that is short, counts no frame or names an unknown type, frames
// that do not fill the count, and times that do not start at 0 and rise give
// a finding under `path` (the channel's node); only the first three refuse
// the channel. Bytes past the last frame are ignored.
std::optional<AnimationChannel> DecodeChannel(std::span<const std::uint8_t> header,
                                              std::span<const std::uint8_t> frames,
                                              const std::string& path, Findings& findings);

// The scripts under "Animation/Script" of the file's top node, in file
// order; map children are found by name in any order and letter case. A map
// that lacks a node or whose channel is refused is left out with a finding.
std::vector<AnimationScript> DecodeAnimationScripts(const UtfTree& tree, Findings& findings);

}  // namespace svcmp
