#pragma once

#include <cstdio>
#include <string>

#include "utf/utf_tree.h"

namespace svcmp::cli {

// Prints the tree in pre-order, one node a line, two spaces of indent per
// level below the top; leaves with data show their byte count. Name bytes
// outside printable ASCII are shown as \xNN.
void PrintUtfTree(const UtfTree& tree, std::FILE* out);

// A node name as the tree printout shows it: bytes outside 0x20..0x7E as \xNN.
std::string PrintableName(const std::string& name);

}  // namespace svcmp::cli
