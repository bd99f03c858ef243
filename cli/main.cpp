#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "import/binary_output.h"
#include "svcmp_version.h"
#include "utf/temporary_files.h"

int main(int argc, char** argv) {
  // What cmptool prints (info --json, check, the tree) is the same bytes on
  // every system: no carriage return is slipped in before each line feed.
  svcmp::UseBinaryPrintedOutput();
  // Ctrl-C during an export leaves no half-written file beside the target.
  svcmp::RemoveNotedFilesOnInterrupt();
  CLI::App app{"cmptool: exports compound model (.cmp) files and inspects UTF files"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "cmptool " SVCMP_VERSION_STRING);
  int exitStatus = 0;
  svcmp::cli::AddExportCommand(app, exitStatus);
  svcmp::cli::AddTreeCommand(app, exitStatus);
  svcmp::cli::AddInfoCommand(app, exitStatus);
  svcmp::cli::AddCheckCommand(app, exitStatus);
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
