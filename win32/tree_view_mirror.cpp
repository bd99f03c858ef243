#include "win32/tree_view_mirror.h"

#include <commctrl.h>

#include <utility>
#include <vector>

namespace svcmp {
namespace {

HTREEITEM InsertItem(HWND treeView, HTREEITEM parent, const std::string& name) {
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  static_assert((TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE) == 0x23);
  // The control copies the text on insertion.
  insert.item.pszText = const_cast<char*>(name.c_str());
  insert.item.iImage = 0;
  insert.item.iSelectedImage = 0;
  return reinterpret_cast<HTREEITEM>(
      SendMessageA(treeView, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

}  // namespace

void MirrorTree(const UtfTree& tree, HWND treeView) {
  // An explicit stack rather than recursion: a deeply nested file from
  // another tool must not overflow the host's stack. The child is taken
  // before the next sibling, so each subtree is inserted whole and every
  // parent's children arrive in their order.
  std::vector<std::pair<UtfNode, HTREEITEM>> pending;
  if (UtfNode root = tree.Root()) pending.emplace_back(root, TVI_ROOT);
  while (!pending.empty()) {
    const auto [node, parentItem] = pending.back();
    pending.pop_back();
    const HTREEITEM item = InsertItem(treeView, parentItem, tree.Name(node));
    if (UtfNode next = tree.NextSibling(node)) pending.emplace_back(next, parentItem);
    if (UtfNode child = tree.FirstChild(node)) pending.emplace_back(child, item);
  }
}

}  // namespace svcmp
