#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "format/name_crc.h"

namespace svcmp::cli {

void AddCrcCommand(CLI::App& app, int& exitStatus) {
  auto* command = app.add_subcommand("crc", "Print the ids that the files use for names");
  auto names = std::make_shared<std::vector<std::string>>();
  command->add_option("NAME", *names, "Names to compute the ids of (letter case does not matter)")
      ->required();
  command->callback([names, &exitStatus] {
    for (const std::string& name : *names) {
      std::printf("0x%08X  %s\n", static_cast<unsigned>(NameCrc(name)), name.c_str());
    }
    exitStatus = 0;
  });
}

}  // namespace svcmp::cli
