#pragma once

#include <windows.h>

#include "utf/utf_tree.h"

namespace svcmp {

// Copies every node of `tree` into the empty tree-view control as one item,
// siblings in order, a node's children under its item; all items collapsed,
// no images, no item data.
void MirrorTree(const UtfTree& tree, HWND treeView);

}  // namespace svcmp
