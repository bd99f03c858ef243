#pragma once

#include <optional>
#include <string>
#include <vector>

#include "import/limited_process.h"

namespace svcmp {

// Which Blender reads a .blend file, and what of it.
struct BlenderChoice {
  std::optional<std::string> program;     // --blender; else found on the machine
  std::optional<std::string> collection;  // --blender-collection; else the visible objects
};

// What one export is asked to do: the model, the files it writes and the
// opt-in additions to the plug-in's output. Filled by a front end (cmptool's
// options), read by the export job.
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
  ProcessLimits importLimits;                // --import-memory-mb, --import-timeout
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

// The collision file the export writes: the one --collision names, else the
// output's name with ".sur".
std::string CollisionPath(const ExportOptions& options);

// The prefix --unique-libraries puts before the library names: the one
// given, or the output file's name without extension in lower case; empty
// without the option.
std::string LibraryPrefix(const ExportOptions& options);

// Whether a separate material file is asked for (--materials FILE.mat).
inline bool WritesMaterialFile(const ExportOptions& options) {
  return options.materialsPath && !options.materialsPath->empty();
}

}  // namespace svcmp
