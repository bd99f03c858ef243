#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "cli/collision_files.h"
#include "cli/commands.h"
#include "cli/convert_scene.h"
#include "cli/export_options.h"
#include "cli/input_files.h"
#include "cli/scratch_folder.h"
#include "inspect/collision_checks.h"
#include "import/export_formats.h"
#include "import/importer_process.h"
#include "import/scene_export.h"
#include "plugin/model_capture.h"
#include "utf/file_io.h"

namespace svcmp::cli {
namespace {

namespace fs = std::filesystem;

struct ConvertOptions {
  std::string modelPath;
  std::string outputPath;
  std::optional<int> level;  // unset: every level, where the format keeps a tree
  std::optional<int> scaleDivisor;
  std::optional<std::string> orientation;
  std::string collisionPath;  // empty: the collision file beside the model, if any
  bool force = false;
};

constexpr int kHighestNamedLevel = 9;

bool Exists(const fs::path& path) {
  std::error_code ignored;
  return fs::exists(path, ignored);
}

// Moves what the importer wrote in `folder` (the model file and any side
// files) beside the output path. Refuses before moving anything when one of
// them would replace a file without --force.
bool DeliverFiles(const fs::path& folder, const fs::path& outputPath, bool force) {
  std::vector<fs::path> written;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    written.push_back(entry.path());
  }
  const fs::path target = outputPath.parent_path();
  for (const fs::path& file : written) {
    if (!force && Exists(target / file.filename())) {
      std::fprintf(stderr, "error: %s already exists; add --force to replace it\n",
                   (target / file.filename()).string().c_str());
      return false;
    }
  }
  for (const fs::path& file : written) {
    const FileReadResult read = ReadWholeFile(file);
    if (!read.bytes) {
      std::fprintf(stderr, "error: %s\n", read.reason.c_str());
      return false;
    }
    const FileWriteResult moved = ReplaceFileContents(target / file.filename(), *read.bytes);
    if (!moved.written) {
      std::fprintf(stderr, "error: %s\n", moved.reason.c_str());
      return false;
    }
  }
  return true;
}

std::optional<int> LowestLevel(const CompoundModel& model) {
  std::optional<int> lowest;
  for (const Part& part : model.parts) {
    for (const Level& level : part.levels) {
      if (!level.meshRefs.empty()) lowest = std::min(lowest.value_or(level.number), level.number);
    }
  }
  return lowest;
}

// The levels from 1 up to the highest a part has, as many as node names can
// carry ($lod1 to $lod9); a warning names the parts whose higher levels are
// left out.
std::vector<LevelGeometry> FurtherLevels(const std::string& modelPath, const CompoundModel& model) {
  int highest = 0;
  std::string beyond;
  for (const Part& part : model.parts) {
    for (const Level& level : part.levels) {
      highest = std::max(highest, std::min(level.number, kHighestNamedLevel));
      if (level.number > kHighestNamedLevel && beyond.find(part.objectName) == std::string::npos) {
        beyond += (beyond.empty() ? "" : ", ") + part.objectName;
      }
    }
  }
  if (!beyond.empty()) {
    std::fprintf(stderr,
                 "warning: %s: levels above %d are left out (of %s); node names carry levels 1 "
                 "to %d ($lod1 to $lod%d)\n",
                 modelPath.c_str(), kHighestNamedLevel, beyond.c_str(), kHighestNamedLevel,
                 kHighestNamedLevel);
  }
  std::vector<LevelGeometry> levels;
  for (int level = 1; level <= highest; ++level) {
    levels.push_back(GatherLevelGeometry(model, level));
  }
  return levels;
}

// The collision file whose hulls the converted model carries: the one
// given, else the one beside the model. False after saying why it cannot be
// read; true with none when there is none beside.
bool ReadCollisionToConvert(const ConvertOptions& options, std::optional<CollisionFile>& file,
                            std::string& path) {
  path = options.collisionPath.empty() ? CollisionFileBeside(options.modelPath).value_or("")
                                       : options.collisionPath;
  if (path.empty()) return true;
  file = ReadCollisionFileOrSay(path);
  return file.has_value();
}

// The hulls of a hardpoint its part does not have cannot hang below it;
// the warning names the hardpoint ids.
void WarnOfHardpointHullsLeftOut(const std::string& path, const LevelCollision& hulls) {
  std::size_t leftOut = 0;
  std::string ids;
  for (const auto& part : hulls.hullsOfPart) {
    for (const LevelHull& hull : part) {
      if (!hull.hardpointHull || hull.hardpoint) continue;
      ++leftOut;
      const std::string id = CollisionIdText(hull.hull->id);
      if (ids.find(id) == std::string::npos) ids += (ids.empty() ? "" : ", ") + id;
    }
  }
  if (leftOut > 0) {
    std::fprintf(stderr,
                 "warning: %s: %zu hardpoint %s of hardpoints the model does not have (%s) %s "
                 "left out\n",
                 path.c_str(), leftOut, leftOut == 1 ? "hull" : "hulls", ids.c_str(),
                 leftOut == 1 ? "is" : "are");
  }
}

int RunConvert(const ConvertOptions& options) {
  if (ExportFormatFor(options.outputPath).empty()) {
    std::fprintf(stderr, "error: %s: convert writes .gltf, .glb, .obj or .dae files\n",
                 options.outputPath.c_str());
    return 1;
  }
  if (!options.force && Exists(options.outputPath)) {
    std::fprintf(stderr, "error: %s already exists; add --force to replace it\n",
                 options.outputPath.c_str());
    return 1;
  }
  const std::optional<CompoundModel> model = ReadCompoundModelOrSay(options.modelPath);
  if (!model) return 1;  // it has said why
  if (!SayDecodingErrors(options.modelPath, *model)) return 1;
  std::optional<CollisionFile> collision;
  std::string collisionPath;
  if (!ReadCollisionToConvert(options, collision, collisionPath)) return 1;

  const int level = options.level.value_or(0);
  const LevelGeometry geometry = GatherLevelGeometry(*model, level);
  WarnOfMissingLibraries(options.modelPath, geometry);
  if (geometry.MeshCount() == 0) {
    const std::optional<int> lowest = LowestLevel(*model);
    std::fprintf(stderr, "error: %s has no meshes at level %d%s\n", options.modelPath.c_str(),
                 level,
                 !options.level && lowest
                     ? ("; --level " + std::to_string(*lowest) + " writes its first level").c_str()
                     : "");
    return 1;
  }
  const bool tree = ExportFormatFor(options.outputPath) != "obj";
  const std::vector<LevelGeometry> furtherLevels = options.level || !tree
                                                       ? std::vector<LevelGeometry>()
                                                       : FurtherLevels(options.modelPath, *model);
  const ExportTransform transform{options.scaleDivisor.value_or(ExportSettings{}.ScaleDivisor),
                                  OrientationSignOf(OrientationModeNamed(options.orientation))};
  std::optional<LevelCollision> hulls;
  if (collision && !tree) {
    std::fprintf(stderr,
                 "warning: the hulls of %s are left out: .obj files keep no node tree to hang "
                 "them on\n",
                 collisionPath.c_str());
  } else if (collision) {
    hulls = SortCollisionOrSay(collisionPath, *collision, *model, geometry);
    WarnOfHardpointHullsLeftOut(collisionPath, *hulls);
  }
  const SceneDocument scene =
      ConvertedScene(*model, geometry, furtherLevels, transform, hulls ? &*hulls : nullptr);

  std::optional<ScratchFolder> scratch = ScratchFolder::Create();
  if (!scratch) {
    std::fprintf(stderr, "error: cannot make a temporary folder for the converted model\n");
    return 1;
  }
  const fs::path written = scratch->Path() / "model";
  std::error_code error;
  fs::create_directory(written, error);
  const std::string failure = ExportSceneThroughImporter(
      scene, scratch->Path() / "scene.json", written / fs::path(options.outputPath).filename(),
      {ImporterProgramBeside(), ImporterLimits{}});
  if (!failure.empty()) {
    std::fprintf(stderr, "error: %s\n", failure.c_str());
    return 1;
  }
  return DeliverFiles(written, fs::absolute(options.outputPath, error), options.force) ? 0 : 1;
}

}  // namespace

void AddConvertCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<ConvertOptions>();
  auto* command = app.add_subcommand(
      "convert", "Write a compound model's geometry as a glTF, GLB, OBJ or COLLADA model");
  command->add_option("FILE", options->modelPath, "The model file (.cmp, .3db)")->required();
  command
      ->add_option("-o,--output", options->outputPath,
                   "The model to write: .gltf, .glb, .obj or .dae (side files go beside it)")
      ->required();
  command
      ->add_option("--level", options->level,
                   "Write only this level of detail (default: every level, each part's level N "
                   "as the node PART$lodN; level 0 for .obj)")
      ->check(CLI::NonNegativeNumber);
  AddScaleAndOrientationOptions(
      *command, options->scaleDivisor, options->orientation,
      "Scale-down divisor the export used: every coordinate is multiplied by it again, 1 to 100 "
      "(default 92)",
      "Orientation fix the export used, undone: upside-down (the default) or back-to-front");
  command
      ->add_option("--collision", options->collisionPath,
                   "The collision file (.sur) whose hulls to write as PART$hull nodes (default: "
                   "the one beside the model, if any)")
      ->check(CLI::Validator(CollisionFileNameProblem, "FILE.sur"));
  command->add_flag("--force", options->force, "Replace existing files");
  command->callback([options, &exitStatus] { exitStatus = RunConvert(*options); });
}

}  // namespace svcmp::cli
