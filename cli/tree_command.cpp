#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/tree_printer.h"
#include "cli/utf_file_loading.h"

namespace svcmp::cli {

void AddTreeCommand(CLI::App& app, int& exitStatus) {
  auto* command = app.add_subcommand("tree", "Print the node tree of a UTF file");
  auto path = std::make_shared<std::string>();
  command->add_option("FILE", *path, "The UTF file (.cmp, .3db, ...)")->required();
  command->callback([path, &exitStatus] {
    UtfTree tree;
    if (const UtfReadResult read = LoadUtfFile(*path, tree); !read.ok()) {
      std::fprintf(stderr, "error: %s\n", ReadFailure(*path, read).c_str());
      exitStatus = 1;
      return;
    }
    PrintUtfTree(tree, stdout);
    exitStatus = 0;
  });
}

}  // namespace svcmp::cli
