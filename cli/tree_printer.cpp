#include "cli/tree_printer.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace svcmp::cli {
// Names are bytes: escape what a terminal would not show as it is, so that
// two names that differ only in invisible bytes print differently.
std::string PrintableName(const std::string& name) {
  std::string shown;
  shown.reserve(name.size());
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte <= 0x7E) {
      shown += c;
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      shown += escaped;
    }
  }
  return shown;
}

void PrintUtfTree(const UtfTree& tree, std::FILE* out) {
  // Explicit stack: a file's tree may be nested far deeper than a call stack.
  std::vector<std::pair<UtfNode, std::size_t>> pending;
  const auto pushSiblings = [&](UtfNode first, std::size_t depth) {
    const std::size_t end = pending.size();
    for (UtfNode node = first; node; node = tree.NextSibling(node))
      pending.emplace_back(node, depth);
    std::reverse(pending.begin() + static_cast<std::ptrdiff_t>(end), pending.end());
  };
  pushSiblings(tree.Root(), 0);
  while (!pending.empty()) {
    const auto [node, depth] = pending.back();
    pending.pop_back();
    std::string line(2 * depth, ' ');
    line += PrintableName(tree.Name(node));
    const UtfNode child = tree.FirstChild(node);
    const DataBlock& data = tree.Data(node);
    if (!child && data && !data->empty()) {
      line += "  (" + std::to_string(data->size()) + (data->size() == 1 ? " byte)" : " bytes)");
    }
    std::fprintf(out, "%s\n", line.c_str());
    pushSiblings(child, depth + 1);
  }
}

}  // namespace svcmp::cli
