#include "cli/export_options.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/collision_files.h"
#include "cli/settings_file_report.h"
#include "ui/headless_options.h"

namespace svcmp::cli {
namespace {

constexpr char kUpsideDown[] = "upside-down";
constexpr char kBackToFront[] = "back-to-front";

bool EndsWithMat(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".mat";
}

// A share of the triangles: above 0, at most 1.
const CLI::Validator kTriangleShare(
    [](const std::string& value) {
      double share = 0;
      const bool number = CLI::detail::lexical_cast(value, share);
      return number && share > 0 && share <= 1
                 ? std::string()
                 : "a share of the triangles is a number above 0 and at most 1, such as 0.5";
    },
    "RATIO");

// Says what the scale is, where a plain range check would only say that "1.5"
// is not an integer.
const CLI::Validator kScaleDivisor(
    [](const std::string& value) {
      int divisor = 0;
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), divisor);
      const bool whole = error == std::errc() && end == value.data() + value.size();
      return whole && divisor >= 1 && divisor <= 100
                 ? std::string()
                 : "the scale is a whole number from 1 to 100, not " + value;
    },
    "1..100");

}  // namespace

void AddScaleAndOrientationOptions(CLI::App& command, std::optional<int>& scaleDivisor,
                                   std::optional<std::string>& orientation,
                                   const std::string& scaleHelp,
                                   const std::string& orientationHelp) {
  command.add_option("--scale", scaleDivisor, scaleHelp)->check(kScaleDivisor);
  command.add_option("--orientation", orientation, orientationHelp)
      ->check(CLI::IsMember({kUpsideDown, kBackToFront}));
}

int OrientationModeNamed(const std::optional<std::string>& orientation) {
  return orientation && *orientation == kBackToFront ? kOrientationBackToFront
                                                     : kOrientationUpsideDown;
}

void AddExportOptions(CLI::App& command, ExportOptions& options) {
  command
      .add_option("MODEL", options.modelPath,
                  "The model: a JSON model document (.json) or an OBJ, glTF/GLB, FBX, "
                  "COLLADA or 3DS file")
      ->required();
  auto* output = command.add_option("-o,--output", options.outputPath, "The .cmp file to write");
  command.add_option("--lod", options.lodLevel, "Level of detail written: 0, 1 or 2 (default 0)")
      ->check(CLI::Range(0, 2));
  AddScaleAndOrientationOptions(
      command, options.scaleDivisor, options.orientation,
      "Scale-down divisor: every coordinate is divided by it, 1 to 100 (default 92)",
      "Orientation fix: upside-down (the default) or back-to-front");
  auto* groups =
      command
      .add_option("--groups", options.groupQuantities,
                  "Split the geometry meshes, in model order, into parts of Q1, Q2, ... meshes "
                  "(at most 18 groups; one number means one part)")
      ->delimiter(',')
      ->check(CLI::Validator(
          [](const std::string& value) {
            return value == "0" ? std::string(
                                      "Not all group quantities entered: a group needs "
                                      "at least one mesh")
                                : std::string();
          },
          "QUANTITY"));
  command
      .add_option("--parts", options.parts,
                  "nodes: make a part of every mesh node of the model's node tree, in its own "
                  "frame, joined by the joints its node properties name (docs/node-properties.md)")
      ->check(CLI::IsMember({"nodes"}))
      ->excludes(groups);
  command.add_option("--settings", options.settingsPath,
                     "Load the options from a .ces settings file first; options given here "
                     "override it");
  command.add_option("--save-settings", options.saveSettingsPath,
                     "Save the options this export uses to a .ces settings file");
  auto* update = command.add_flag(
      "--update", options.update,
      "Add this export to the existing .cmp file (a new file is made if there is none)");
  auto* force = command.add_flag("--force", options.force, "Replace the .cmp file if it exists");
  update->excludes(force);
  command.add_flag("--no-wait", options.noWait,
                   "Fail at once instead of waiting while another export writes the .cmp file");
  command.add_flag("-q,--quiet", options.quiet, "Do not print the written node tree");
  auto* list = command.add_flag("--list", options.listOnly,
                                "Only list the model's meshes as the export sees them");
  list->excludes(output);
  command.add_flag("--bounds", options.bounds,
                   "Give each part the box of exactly its vertices and their smallest "
                   "enclosing sphere, instead of a zero sphere");
  command.add_flag("--fix", options.fix,
                   "Attach every part but Root to Root with a fixed joint, for engines that "
                   "leave parts without one detached");
  command.add_flag("--unit-rotations", options.unitRotations,
                   "Write each hardpoint's orientation as a true rotation, its rows of unit "
                   "length, so that guns on tilted surfaces are not mounted skewed");
  command
      .add_option("--unique-libraries", options.libraryPrefix,
                  "Put PREFIX and a dot before the mesh library names (default PREFIX: the "
                  "output file's name without extension, in lower case), so that no two "
                  "models share a library id")
      ->expected(0, 1)
      ->type_name("PREFIX");
  command
      .add_option("--materials", options.materialsPath,
                  "Write a material library, with the textures as DDS, for the materials the "
                  "meshes use: into FILE.mat, or into the .cmp file when no file is given")
      ->expected(0, 1)
      ->type_name("FILE.mat")
      ->check(CLI::Validator(
          [](const std::string& value) {
            return value.empty() || EndsWithMat(value)
                       ? std::string()
                       : std::string("the material file's name must end in .mat");
          },
          "FILE.mat"));
  command
      .add_option("--max-texture", options.maxTextureSide,
                  "Largest texture side in pixels, a power of two from 4 to 4096 (default 1024)")
      ->check(CLI::Validator(
          [](const std::string& value) {
            int side = 0;
            const bool number = std::sscanf(value.c_str(), "%d", &side) == 1;
            return number && side >= 4 && side <= 4096 && (side & (side - 1)) == 0
                       ? std::string()
                       : std::string("expected a power of two from 4 to 4096");
          },
          "PIXELS"));
  command.add_flag("--game-ready", options.gameReady,
                   "All of --bounds, --fix, --unit-rotations, --unique-libraries and --materials "
                   "(into the .cmp file unless --materials names a file), and --parts nodes "
                   "when the model's node tree has one mesh node at its top and no --groups "
                   "are given");
  command
      .add_option("--import-memory-mb", options.importLimits.memoryMegabytes,
                  "Memory the importer of model files may use, in MB (default 2048)")
      ->check(CLI::Range(64, 1 << 20));
  command
      .add_option("--import-timeout", options.importLimits.timeoutSeconds,
                  "Seconds the importer of model files may take (default 60)")
      ->check(CLI::Range(1, 86400));
  command.add_option("--blender", options.blender.program,
                     "Blender's program, which reads .blend files (default: the SVCMP_BLENDER "
                     "environment variable, else blender on the PATH, else the newest installed)");
  command.add_option("--blender-collection", options.blender.collection,
                     "Export this collection of the .blend file, hidden objects too (default: "
                     "the visible objects)");

  auto* simplify =
      command
          .add_option("--simplify", options.simplifyRatio,
                      "Simplify the geometry meshes just enough that the model fits a .cmp file; "
                      "with RATIO (above 0, at most 1), keep about that share of the triangles")
          ->expected(0, 1)
          ->check(kTriangleShare);
  auto* autoLod = command.add_flag(
      "--auto-lod", options.autoLod,
      "Write levels of detail 0, 1 and 2 at once, levels 1 and 2 simplified from level 0");
  command
      .add_option("--lod-ratios", options.lodRatios,
                  "With --auto-lod: the shares of level 0's triangles that levels 1 and 2 keep "
                  "(default 0.5,0.25)")
      ->delimiter(',')
      ->expected(2)
      ->check(kTriangleShare)
      ->needs(autoLod);
  autoLod->excludes("--lod");

  auto* collision =
      command
          .add_option("--collision", options.collisionPath,
                      "Also write a collision file (FILE.sur; default: the output's name with "
                      ".sur) of convex hulls around the model")
          ->expected(0, 1)
          ->check(CLI::Validator(CollisionFileNameProblem, "FILE.sur"));
  command
      .add_option_function<std::string>(
          "--collision-hulls",
          [&options](const std::string& value) {
            options.hullPerPart = value == "part";
            options.decomposeHulls = value == "decompose";
          },
          "With --collision or --game-ready: one hull per geometry mesh, a clearly concave "
          "mesh split into convex pieces so that its openings stay open (decompose, the "
          "default), one hull per geometry mesh (mesh) or one per part (part)")
      ->check(CLI::IsMember({"decompose", "mesh", "part"}));
  command
      .add_option("--max-hulls-per-part", options.maxHullsPerPart,
                  "With --collision-hulls decompose: the most hulls the meshes of a part are split "
                  "into together, from 1 to 64 (default 8; each mesh keeps at least one)")
      ->check(CLI::Range(1u, 64u));
  command
      .add_option("--max-hull-faces", options.maxHullFaces,
                  "With --collision or --game-ready: the most faces a hull may have, from 4 to "
                  "4095 (default 300)")
      ->check(CLI::Range(4u, 4095u));

  command.parse_complete_callback([&options, simplify, collision] {
    if (!options.listOnly && options.outputPath.empty()) {
      throw CLI::RequiredError("--output");
    }
    options.simplify = simplify->count() > 0;
    options.collision = collision->count() > 0;
    if (options.collision && !options.collisionPath.empty() &&
        std::filesystem::path(options.collisionPath).lexically_normal() ==
            std::filesystem::path(options.outputPath).lexically_normal()) {
      throw CLI::ValidationError("--collision", "the collision file cannot be the output file");
    }
    if (options.groupQuantities.size() > kMaxGroupCount) {
      throw CLI::ValidationError("--groups", "at most 18 groups can be made");
    }
    if (options.materialsPath && !options.materialsPath->empty() &&
        std::filesystem::path(*options.materialsPath).lexically_normal() ==
            std::filesystem::path(options.outputPath).lexically_normal()) {
      throw CLI::ValidationError("--materials", "the material file cannot be the output file");
    }
    if (options.gameReady) {
      options.bounds = true;
      options.fix = true;
      options.unitRotations = true;
      if (!options.libraryPrefix) options.libraryPrefix = "";
      if (!options.materialsPath) options.materialsPath = "";
    }
  });
}

std::optional<ExportSettings> ResolveSettings(const ExportOptions& options) {
  OptionsScript script;
  if (!options.settingsPath.empty()) {
    if (!CheckSettingsFileShape(options.settingsPath)) return std::nullopt;
    ReportLoadedSettings(options.settingsPath, options.quiet);
    script.loadFrom = options.settingsPath;
  }
  script.scaleDivisor = options.scaleDivisor;
  if (options.orientation) {
    script.orientationMode = OrientationModeNamed(options.orientation);
  }
  script.lodLevel = options.lodLevel;
  if (!options.groupQuantities.empty()) {
    // One quantity means one part, which needs no quantities.
    script.groupCount = static_cast<int>(options.groupQuantities.size());
    if (options.groupQuantities.size() > 1) script.groupQuantities = options.groupQuantities;
  }
  if (!options.saveSettingsPath.empty()) script.saveTo = options.saveSettingsPath;

  ExportSettings settings;
  const OptionsRunResult run = RunOptionsDialogHeadless(settings, script);
  if (!run.ok) {
    std::fprintf(stderr, "error: %s\n", run.message.c_str());
    return std::nullopt;
  }
  return settings;
}

}  // namespace svcmp::cli
