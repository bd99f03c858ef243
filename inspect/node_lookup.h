#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "utf/utf_tree.h"

// Finding nodes the way the game does: names compared without regard to
// ASCII letter case.
namespace svcmp {

bool SameNameNoCase(std::string_view a, std::string_view b);

// `name` with ASCII capitals made small: a key under which names that the
// game takes for the same one meet.
std::string NameKey(std::string_view name);

// The first child of `parent` whose name equals `name` in any letter case;
// null when there is none or `parent` is null.
UtfNode FindChildNoCase(const UtfTree& tree, UtfNode parent, std::string_view name);

// "/" for the top node, else "/" + the names below it joined by "/".
std::string NodePath(const UtfTree& tree, UtfNode node);

// The leaf's bytes; empty for a node without data.
std::span<const std::uint8_t> LeafBytes(const UtfTree& tree, UtfNode node);

}  // namespace svcmp
