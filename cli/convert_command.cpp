#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "cli/blender_scene.h"
#include "cli/collision_files.h"
#include "cli/commands.h"
#include "cli/convert_materials.h"
#include "cli/convert_scene.h"
#include "cli/export_options.h"
#include "cli/input_files.h"
#include "cli/scratch_folder.h"
#include "format/name_crc.h"
#include "inspect/collision_checks.h"
#include "import/export_formats.h"
#include "import/limited_process.h"
#include "import/scene_export.h"
#include "inspect/material_records.h"
#include "inspect/surface_library.h"
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
  std::string collisionPath;           // empty: the collision file beside the model, if any
  std::optional<std::string> blender;  // --blender, for .blend files
  std::vector<std::string> libraryPaths;  // files holding mesh libraries the model names
  std::string materialsPath;  // a material library to take materials and textures from first
  bool force = false;
};

// ".blend" in any letter case: written by the user's Blender from a GLB.
bool IsBlendPath(const std::string& path) {
  std::string extension = fs::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".blend";
}

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

// Adds to the model the mesh libraries of each file that it names but does
// not hold, matched by the library's name id; a file that holds none of them
// is told. False after saying why a file cannot be read.
bool TakeLibraries(const std::vector<std::string>& paths, CompoundModel& model) {
  for (const std::string& path : paths) {
    std::optional<CompoundModel> file = ReadCompoundModelOrSay(path);
    if (!file || !SayDecodingErrors(path, *file)) return false;
    bool used = false;
    for (MeshLibraryEntry& library : file->libraries) {
      const MeshLibraryEntry* own = model.FindLibrary(library.id);
      if (!library.buffer || (own != nullptr && own->buffer)) continue;
      const bool named = std::any_of(model.parts.begin(), model.parts.end(), [&](const Part& part) {
        return std::any_of(part.levels.begin(), part.levels.end(), [&](const Level& level) {
          return std::any_of(level.meshRefs.begin(), level.meshRefs.end(),
                             [&](const MeshRef& ref) { return ref.libraryId == library.id; });
        });
      });
      if (!named) continue;
      // A library the model holds unreadable gives way to the one given.
      if (own != nullptr) {
        std::erase_if(model.libraries,
                      [&](const MeshLibraryEntry& entry) { return entry.id == library.id; });
      }
      model.libraries.push_back(std::move(library));
      used = true;
    }
    if (!used) {
      std::fprintf(stderr, "warning: %s holds none of the mesh libraries the model lacks\n",
                   path.c_str());
    }
  }
  return true;
}

// The ids of the libraries whose meshes are left out, "0x0A1B2C3D, ...".
std::string MissingLibraryIds(const LevelGeometry& geometry) {
  std::vector<std::uint32_t> ids;
  for (const MissingLibrary& missing : geometry.missing) {
    if (std::find(ids.begin(), ids.end(), missing.libraryId) == ids.end()) {
      ids.push_back(missing.libraryId);
    }
  }
  std::string text;
  for (std::uint32_t id : ids) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(id));
    text += (text.empty() ? "" : ", ") + std::string(hex);
  }
  return text;
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

// The materials and textures: the library given first, then the model's
// own. False after saying why the file given cannot be read.
bool GatherMaterials(const ConvertOptions& options, const UtfTree& modelTree,
                     std::vector<MaterialRecord>& records, SurfaceLibrary& surfaces) {
  UtfTree given;
  if (!options.materialsPath.empty() && !ReadUtfFileOrSay(options.materialsPath, given)) {
    return false;
  }
  const std::pair<const UtfTree*, const std::string*> sources[] = {
      {&given, &options.materialsPath}, {&modelTree, &options.modelPath}};
  for (const auto& [tree, path] : sources) {
    if (tree->Empty()) continue;
    MaterialRecordsResult read = ReadMaterialRecords(*tree);
    for (const std::string& problem : read.problems) {
      std::fprintf(stderr, "warning: %s: %s\n", path->c_str(), problem.c_str());
    }
    records.insert(records.end(), read.materials.begin(), read.materials.end());
    AddSurfaces(*tree, surfaces);
  }
  return true;
}

// Writes the texture files beside the model file the importer wrote.
bool WriteSideFiles(const fs::path& folder, const std::vector<SideFile>& files) {
  for (const SideFile& file : files) {
    const FileWriteResult written = ReplaceFileContents(folder / file.name, file.bytes);
    if (!written.written) {
      std::fprintf(stderr, "error: %s\n", written.reason.c_str());
      return false;
    }
  }
  return true;
}

int RunConvert(const ConvertOptions& options) {
  const bool blend = IsBlendPath(options.outputPath);
  if (!blend && ExportFormatFor(options.outputPath).empty()) {
    std::fprintf(stderr, "error: %s: convert writes .gltf, .glb, .obj, .dae or .blend files\n",
                 options.outputPath.c_str());
    return 1;
  }
  if (!options.force && Exists(options.outputPath)) {
    std::fprintf(stderr, "error: %s already exists; add --force to replace it\n",
                 options.outputPath.c_str());
    return 1;
  }
  UtfTree modelTree;
  if (!ReadUtfFileOrSay(options.modelPath, modelTree)) return 1;  // it has said why
  std::optional<CompoundModel> model = DecodeCompoundModel(modelTree);
  if (!SayDecodingErrors(options.modelPath, *model)) return 1;
  if (!TakeLibraries(options.libraryPaths, *model)) return 1;
  std::vector<MaterialRecord> records;
  SurfaceLibrary surfaces;
  if (!GatherMaterials(options, modelTree, records, surfaces)) return 1;
  // Materials the model names only by id get their names from the library given.
  for (const MaterialRecord& record : records) {
    model->materialNames.emplace(NameCrc(record.name), record.name);
  }
  std::optional<CollisionFile> collision;
  std::string collisionPath;
  if (!ReadCollisionToConvert(options, collision, collisionPath)) return 1;

  const int level = options.level.value_or(0);
  const LevelGeometry geometry = GatherLevelGeometry(*model, level);
  WarnOfMissingLibraries(options.modelPath, geometry);
  if (geometry.MeshCount() == 0 && !geometry.missing.empty()) {
    // Interface models keep their meshes in a file of their own.
    std::fprintf(stderr,
                 "error: %s has no meshes at level %d of its own: they are in the mesh library "
                 "%s, which another file holds; give that file with --library FILE\n",
                 options.modelPath.c_str(), level, MissingLibraryIds(geometry).c_str());
    return 1;
  }
  if (geometry.MeshCount() == 0) {
    const std::optional<int> lowest = LowestLevel(*model);
    std::fprintf(stderr, "error: %s has no meshes at level %d%s\n", options.modelPath.c_str(),
                 level,
                 !options.level && lowest
                     ? ("; --level " + std::to_string(*lowest) + " writes its first level").c_str()
                     : "");
    return 1;
  }
  const bool tree = blend || ExportFormatFor(options.outputPath) != "obj";
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
  if (!tree && std::any_of(model->parts.begin(), model->parts.end(),
                           [](const Part& part) { return part.wire.has_value(); })) {
    std::fprintf(stderr,
                 "warning: the wires of %s are left out: .obj files keep no node tree to hang "
                 "them on\n",
                 options.modelPath.c_str());
  }
  std::vector<std::string> mended;
  SceneDocument scene = ConvertedScene(*model, geometry, furtherLevels, transform,
                                             hulls ? &*hulls : nullptr, tree, &mended);
  for (const std::string& line : mended) {
    std::fprintf(stderr, "warning: %s: %s\n", options.modelPath.c_str(), line.c_str());
  }
  // Only glTF carries the looks: assimp's other writers would drop them.
  const std::string format = ExportFormatFor(options.outputPath);
  ConvertedMaterials materials;
  if (format == "gltf2" || format == "glb2") {
    materials = ConvertMaterials(scene.materials, records, surfaces);
    for (const std::string& warning : materials.warnings) {
      std::fprintf(stderr, "warning: %s: %s\n", options.modelPath.c_str(), warning.c_str());
    }
    scene.looks = std::move(materials.looks);
  }

  std::optional<ScratchFolder> scratch = ScratchFolder::Create();
  if (!scratch) {
    std::fprintf(stderr, "error: cannot make a temporary folder for the converted model\n");
    return 1;
  }
  const fs::path written = scratch->Path() / "model";
  std::error_code error;
  fs::create_directory(written, error);
  // A .blend file is the GLB taken in by Blender's own importer.
  const fs::path name = fs::path(options.outputPath).filename();
  const fs::path glb = scratch->Path() / "scene.glb";
  std::string failure = ExportSceneThroughImporter(scene, scratch->Path() / "scene.json",
                                                   blend ? glb : written / name,
                                                   {ImporterProgramBeside(), ProcessLimits{}});
  if (failure.empty() && blend) {
    failure = SaveAsBlendFile(glb, written / name, options.blender, ProcessLimits{});
    if (!failure.empty()) failure = "\"" + options.outputPath + "\": " + failure;
  }
  if (!failure.empty()) {
    std::fprintf(stderr, "error: %s\n", failure.c_str());
    return 1;
  }
  if (!WriteSideFiles(written, materials.files)) return 1;
  return DeliverFiles(written, fs::absolute(options.outputPath, error), options.force) ? 0 : 1;
}

}  // namespace

void AddConvertCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<ConvertOptions>();
  auto* command = app.add_subcommand(
      "convert", "Write a compound model's geometry as a glTF, GLB, OBJ, COLLADA or Blender model");
  command->add_option("FILE", options->modelPath, "The model file (.cmp, .3db)")->required();
  command
      ->add_option("-o,--output", options->outputPath,
                   "The model to write: .gltf, .glb, .obj or .dae (side files go beside it), or "
                   ".blend through the Blender you have installed")
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
  command->add_option("--blender", options->blender,
                      "Blender's program, for .blend files (default: the SVCMP_BLENDER "
                      "environment variable, else blender on the PATH, else the newest installed)");
  command->add_option("--library", options->libraryPaths,
                      "A file holding mesh libraries the model names but does not hold (matched "
                      "by the library's name id); may be given more than once");
  command->add_option(
      "--materials", options->materialsPath,
      "A material library (.mat) whose materials and textures to write (before the model's "
      "own; .gltf and .glb: textures as PNG beside the model, with the stored DDS or TGA)");
  command->add_flag("--force", options->force, "Replace existing files");
  command->callback([options, &exitStatus] { exitStatus = RunConvert(*options); });
}

}  // namespace svcmp::cli
