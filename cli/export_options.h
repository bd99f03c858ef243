#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "job/export_options.h"
#include "ui/export_settings.h"

namespace svcmp::cli {

// --scale and --orientation as export takes them, with their range checks;
// the help texts say what the command does with them.
void AddScaleAndOrientationOptions(CLI::App& command, std::optional<int>& scaleDivisor,
                                   std::optional<std::string>& orientation,
                                   const std::string& scaleHelp,
                                   const std::string& orientationHelp);

// The orientation mode an --orientation value names; upside-down without one.
int OrientationModeNamed(const std::optional<std::string>& orientation);

// Declares the options on `command`, with the checks that make a bad value a
// usage error (exit status 2) before anything is read or written.
void AddExportOptions(CLI::App& command, ExportOptions& options);

// The settings the export runs with: a settings file first (read by the same
// rules as the options dialog), then the options given on the command line.
// Saves them when --save-settings is given. Reports problems on stderr and
// gives nothing then.
std::optional<ExportSettings> ResolveSettings(const ExportOptions& options);

}  // namespace svcmp::cli
