#pragma once

#include <CLI/CLI.hpp>

namespace svcmp::cli {

// Each command registers its subcommand and the action that runs it; the
// action returns the process exit status.
void AddCheckCommand(CLI::App& app, int& exitStatus);
void AddConvertCommand(CLI::App& app, int& exitStatus);
void AddCrcCommand(CLI::App& app, int& exitStatus);
void AddExportCommand(CLI::App& app, int& exitStatus);
void AddInfoCommand(CLI::App& app, int& exitStatus);
void AddPreviewCommand(CLI::App& app, int& exitStatus);
void AddTreeCommand(CLI::App& app, int& exitStatus);

}  // namespace svcmp::cli
