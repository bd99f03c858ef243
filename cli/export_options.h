#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/blender_scene.h"
#include "import/importer_process.h"
#include "ui/export_settings.h"

namespace svcmp::cli {

// The options of `cmptool export`, as parsed.
struct ExportOptions {
  std::string modelPath;
  std::string outputPath;
  std::optional<int> lodLevel;
  std::optional<int> scaleDivisor;
  std::optional<std::string> orientation;  // "upside-down" or "back-to-front"
  std::vector<int> groupQuantities;        // empty: one group, or as the settings file says
  std::optional<std::string> parts;        // --parts: "nodes"
  std::string settingsPath;                // --settings
  std::string saveSettingsPath;            // --save-settings
  bool update = false;
  bool force = false;
  bool noWait = false;  // refuse at once when another export is writing the file
  bool quiet = false;
  bool listOnly = false;
  // Opt-in additions to the plug-in's output.
  bool bounds = false;                       // --bounds
  bool fix = false;                          // --fix
  bool unitRotations = false;                // --unit-rotations
  std::optional<std::string> libraryPrefix;  // --unique-libraries[=PREFIX]; empty: from the output
  std::optional<std::string> materialsPath;  // --materials [FILE.mat]; empty: into the .cmp
  int maxTextureSide = 1024;                 // --max-texture
  bool gameReady = false;                    // --game-ready: all of the above
  ImporterLimits importLimits;               // --import-memory-mb, --import-timeout
  BlenderChoice blender;                     // --blender, --blender-collection
  bool simplify = false;                     // --simplify, with or without its ratio
  std::optional<double> simplifyRatio;       // its RATIO
  bool autoLod = false;                      // --auto-lod
  std::vector<double> lodRatios{0.5, 0.25};  // --lod-ratios: levels 1 and 2, of level 0's triangles
  bool collision = false;                    // --collision, with or without its file
  std::string collisionPath;                 // its FILE.sur; empty: the output's name with .sur
  bool hullPerPart = false;                  // --collision-hulls part
  bool decomposeHulls = true;                // --collision-hulls decompose (the default)
  unsigned maxHullsPerPart = 8;              // --max-hulls-per-part
  unsigned maxHullFaces = 300;               // --max-hull-faces
};

// --scale and --orientation as export takes them, with their range checks;
// the help texts say what the command does with them.
void AddScaleAndOrientationOptions(CLI::App& command, std::optional<int>& scaleDivisor,
                                   std::optional<std::string>& orientation,
                                   const std::string& scaleHelp,
                                   const std::string& orientationHelp);

// The orientation mode an --orientation value names; upside-down without one.
int OrientationModeNamed(const std::optional<std::string>& orientation);

// The collision file the export writes: the one --collision names, else the
// output's name with ".sur".
std::string CollisionPath(const ExportOptions& options);

// Declares the options on `command`, with the checks that make a bad value a
// usage error (exit status 2) before anything is read or written.
void AddExportOptions(CLI::App& command, ExportOptions& options);

// The settings the export runs with: a settings file first (read by the same
// rules as the options dialog), then the options given on the command line.
// Saves them when --save-settings is given. Reports problems on stderr and
// gives nothing then.
std::optional<ExportSettings> ResolveSettings(const ExportOptions& options);

// The prefix --unique-libraries puts before the library names: the one
// given, or the output file's name without extension in lower case; empty
// without the option.
std::string LibraryPrefix(const ExportOptions& options);

}  // namespace svcmp::cli
