#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/input_files.h"
#include "cli/tree_printer.h"

namespace svcmp::cli {

void AddTreeCommand(CLI::App& app, int& exitStatus) {
  auto* command = app.add_subcommand("tree", "Print the node tree of a UTF file");
  auto path = std::make_shared<std::string>();
  command->add_option("FILE", *path, "The UTF file (.cmp, .3db, ...)")->required();
  command->callback([path, &exitStatus] {
    UtfTree tree;
    if (!ReadUtfFileOrSay(*path, tree)) {
      exitStatus = 1;
      return;
    }
    PrintUtfTree(tree, stdout);
    exitStatus = 0;
  });
}

}  // namespace svcmp::cli
