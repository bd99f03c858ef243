#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/tree_printer.h"
#include "utf/utf_reader.h"

namespace svcmp::cli {

void AddTreeCommand(CLI::App& app, int& exitStatus) {
  auto* command = app.add_subcommand("tree", "Print the node tree of a UTF file");
  auto path = std::make_shared<std::string>();
  command->add_option("FILE", *path, "The UTF file (.cmp, .3db, ...)")->required();
  command->callback([path, &exitStatus] {
    UtfTree tree;
    const UtfReadResult result = ReadUtfFile(*path, tree, [](const std::string& name) {
      std::fprintf(stderr, "warning: %s: Possible compression being used on this chunk\n",
                   PrintableName(name).c_str());
    });
    if (!result.ok()) {
      // An open failure already names the file; the other reasons do not.
      if (result.status == UtfReadStatus::CannotOpen) {
        std::fprintf(stderr, "error: %s\n", result.reason.c_str());
      } else {
        std::fprintf(stderr, "error: %s: %s\n", path->c_str(), result.reason.c_str());
      }
      exitStatus = 1;
      return;
    }
    PrintUtfTree(tree, stdout);
    exitStatus = 0;
  });
}

}  // namespace svcmp::cli
