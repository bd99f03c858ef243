#include <CLI/CLI.hpp>

#include "cli/commands.h"

int main(int argc, char** argv) {
  CLI::App app{"cmptool: exports compound model (.cmp) files and inspects UTF files"};
  app.require_subcommand(1);
  int exitStatus = 0;
  svcmp::cli::AddExportCommand(app, exitStatus);
  svcmp::cli::AddTreeCommand(app, exitStatus);
  svcmp::cli::AddPreviewCommand(app, exitStatus);
  svcmp::cli::AddConvertCommand(app, exitStatus);
  svcmp::cli::AddCrcCommand(app, exitStatus);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    // Usage errors go to stderr with status 2; --help prints and succeeds.
    const int status = app.exit(error);
    return status == 0 ? 0 : 2;
  }
  return exitStatus;
}
