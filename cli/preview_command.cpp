#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "cli/collision_files.h"
#include "cli/commands.h"
#include "cli/input_files.h"
#include "cli/tree_printer.h"
#include "inspect/level_geometry.h"
#include "inspect/script_pose.h"
#include "inspect/surface_library.h"
#include "render/collision_outlines.h"
#include "render/wire_outlines.h"
#include "render/joint_marks.h"
#include "render/level_scene.h"
#include "render/model_views.h"
#include "render/png_encoder.h"
#include "render/surface_looks.h"
#include "utf/file_io.h"

namespace svcmp::cli {
namespace {

// Beyond this a picture takes more memory than a preview is worth.
constexpr int kMaxPictureSide = 4096;
constexpr int kMinPictureSide = 16;
// The levels of --levels together, one row of views each.
constexpr int kMaxPictureHeight = 2 * kMaxPictureSide;

const std::map<std::string, render::LabelMode, std::less<>> kLabelModes{
    {"auto", render::LabelMode::Auto},
    {"all", render::LabelMode::All},
    {"none", render::LabelMode::None}};
const std::map<std::string, render::ColourBy, std::less<>> kColourings{
    {"material", render::ColourBy::Material}, {"part", render::ColourBy::Part}};

// The names of a table's entries, for CLI11 to check an option against.
template <typename Value>
std::vector<std::string> NamesOf(const std::map<std::string, Value, std::less<>>& table) {
  std::vector<std::string> names;
  for (const auto& entry : table) names.push_back(entry.first);
  return names;
}

struct PreviewOptions {
  std::string modelPath;
  std::string picturePath;
  int level = 0;
  std::vector<int> levels;  // --levels; empty: `level` alone
  std::string size = "1200x400";
  std::string labels = "auto";
  std::string colourBy = "material";
  std::string materialsPath;
  std::string texturesPath;
  bool collision = false;  // --collision, with the file in collisionPath or beside the model
  std::string collisionPath;
  bool wire = false;  // --wire: the parts' wires alone
  bool joints = false;
  std::string pose;  // --pose SCRIPT[@TIME]
  bool force = false;
};

// What --pose asks for, found in the model. The picture carries no caption
// of it, so a posed model draws as one whose joints rest in that pose.
struct AskedPose {
  ScriptPose pose;
};

// "SCRIPT" (its last frame) or "SCRIPT@SECONDS"; the script found by name in
// any letter case. Nothing after saying which scripts the model has.
std::optional<AskedPose> FindAskedPose(const std::string& modelPath, const CompoundModel& model,
                                       const std::string& asked) {
  std::string name = asked;
  std::optional<float> time;
  const AnimationScript* script = FindScript(model, name);
  const std::size_t at = asked.rfind('@');
  if (script == nullptr && at != std::string::npos) {
    name = asked.substr(0, at);
    const std::string text = asked.substr(at + 1);
    float seconds = 0;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (parsed.ec != std::errc{} || parsed.ptr != text.data() + text.size() ||
        !std::isfinite(seconds) || seconds < 0) {
      std::fprintf(stderr, "error: --pose takes SCRIPT or SCRIPT@SECONDS, like \"Sc_open@1.5\"; "
                           "\"%s\" is no time in seconds\n",
                   PrintableName(text).c_str());
      return std::nullopt;
    }
    time = seconds;
    script = FindScript(model, name);
  }
  if (script == nullptr) {
    std::string names;
    for (const AnimationScript& each : model.scripts) {
      names += (names.empty() ? "" : ", ") + PrintableName(each.name);
    }
    std::fprintf(stderr, "error: %s has no script named \"%s\" (%s)\n", modelPath.c_str(),
                 PrintableName(name).c_str(),
                 names.empty() ? "it has no scripts" : ("its scripts: " + names).c_str());
    return std::nullopt;
  }
  return AskedPose{PoseOfScript(model, *script, time.value_or(script->Duration()))};
}

struct PictureSize {
  int width = 0;
  int height = 0;
};

// "WIDTHxHEIGHT", each side within the limits; nothing else.
std::optional<PictureSize> ParseSize(const std::string& text) {
  const std::size_t cross = text.find('x');
  if (cross == std::string::npos) return std::nullopt;
  PictureSize size;
  const char* end = text.data() + text.size();
  const auto width = std::from_chars(text.data(), text.data() + cross, size.width);
  const auto height = std::from_chars(text.data() + cross + 1, end, size.height);
  if (width.ec != std::errc{} || width.ptr != text.data() + cross || height.ec != std::errc{} ||
      height.ptr != end) {
    return std::nullopt;
  }
  const auto fits = [](int side) { return side >= kMinPictureSide && side <= kMaxPictureSide; };
  if (!fits(size.width) || !fits(size.height)) return std::nullopt;
  return size;
}

// The materials and textures to draw with: the files given first, then the
// model's own libraries. False after saying why a file cannot be read.
bool GatherSurfaces(const PreviewOptions& options, const UtfTree& model,
                    SurfaceLibrary& surfaces) {
  for (const std::string* path : {&options.materialsPath, &options.texturesPath}) {
    if (path->empty()) continue;
    UtfTree tree;
    if (!ReadUtfFileOrSay(*path, tree)) return false;
    AddSurfaces(tree, surfaces);
  }
  AddSurfaces(model, surfaces);
  return true;
}

void WarnOfDegenerateMeshes(const std::string& path, int level, const LevelGeometry& geometry) {
  for (const LevelMesh* mesh : render::DegenerateMeshes(geometry)) {
    std::fprintf(stderr,
                 "warning: %s: mesh %zu of %s at level %d has no triangle with an area; "
                 "nothing of it is drawn\n",
                 path.c_str(), mesh->record, PrintableName(mesh->libraryName).c_str(), level);
  }
}

// The collision file --collision asks for: the one given, else the one
// beside the model. Nothing after saying why there is none to draw.
struct DrawnCollision {
  std::string path;
  CollisionFile file;
};
std::optional<DrawnCollision> ReadAskedCollision(const PreviewOptions& options) {
  const std::optional<std::string> path = options.collisionPath.empty()
                                              ? CollisionFileBeside(options.modelPath)
                                              : options.collisionPath;
  if (!path) {
    std::fprintf(stderr,
                 "error: there is no collision file (.sur) beside %s; name one with "
                 "--collision FILE.sur\n",
                 options.modelPath.c_str());
    return std::nullopt;
  }
  std::optional<CollisionFile> file = ReadCollisionFileOrSay(*path);
  if (!file) return std::nullopt;
  return DrawnCollision{*path, std::move(*file)};
}

// The three views of each level, one row under the other, with the hulls of
// `collision` where given; nothing after saying why a level cannot be drawn.
std::optional<render::Canvas> DrawLevels(const PreviewOptions& options,
                                         const CompoundModel& model, const AskedPose* pose,
                                         const std::map<std::uint32_t, render::SurfaceLook>& looks,
                                         const DrawnCollision* collision,
                                         const PictureSize& size) {
  const std::vector<int> levels =
      options.levels.empty() ? std::vector<int>{options.level} : options.levels;
  const auto sayTooTall = [](long long height) {
    std::fprintf(stderr,
                 "error: the picture would be %lld pixels high, more than %d; give fewer levels "
                 "or a smaller --size\n",
                 height, kMaxPictureHeight);
  };
  // Checked before drawing, so a long list of levels takes no memory first.
  if (static_cast<long long>(levels.size()) * size.height > kMaxPictureHeight) {
    sayTooTall(static_cast<long long>(levels.size()) * size.height);
    return std::nullopt;
  }
  std::vector<render::Canvas> rows;
  int height = 0;
  for (int level : levels) {
    const LevelGeometry geometry =
        GatherLevelGeometry(model, level, pose ? pose->pose : ScriptPose{});
    WarnOfMissingLibraries(options.modelPath, geometry);
    WarnOfDegenerateMeshes(options.modelPath, level, geometry);
    render::Scene scene = render::SceneOfLevel(geometry);
    if (scene.meshes.empty() && scene.hardpoints.empty()) {
      std::fprintf(stderr, "error: %s has nothing to draw at level %d\n",
                   options.modelPath.c_str(), level);
      return std::nullopt;
    }
    if (collision) {
      render::AddCollisionOutlines(
          scene, geometry,
          SortCollisionOrSay(collision->path, collision->file, model, geometry, rows.empty()));
    }
    if (options.wire) {
      const std::vector<std::string> problems = render::AddWireOutlines(scene, model, geometry);
      // The wires do not change with the level; say it once.
      for (const std::string& problem : rows.empty() ? problems : std::vector<std::string>{}) {
        std::fprintf(stderr, "warning: %s: %s\n", options.modelPath.c_str(),
                     PrintableName(problem).c_str());
      }
      if (scene.outlines.empty()) {
        std::fprintf(stderr, "error: %s has no wire (VMeshWire) to draw\n",
                     options.modelPath.c_str());
        return std::nullopt;
      }
    }
    if (options.joints) render::AddJointMarks(scene, geometry);
    scene.looks = looks;
    render::ViewOptions view{kLabelModes.find(options.labels)->second,
                             kColourings.find(options.colourBy)->second, "", options.wire};
    view.joints = options.joints;
    if (!options.levels.empty()) view.title = "level " + std::to_string(level);
    rows.push_back(render::RenderModelViews(scene, size.width, size.height, view));
    height += rows.back().height();
  }
  if (height > kMaxPictureHeight) {  // with the legends
    sayTooTall(height);
    return std::nullopt;
  }
  if (rows.size() == 1) return std::move(rows.front());
  render::Canvas picture(size.width, height, render::kBackgroundColour);
  int top = 0;
  for (const render::Canvas& row : rows) {
    picture.Paste(row, 0, top);
    top += row.height();
    picture.FillRect(0, top - 1, size.width, 1, render::kLabelColour);
  }
  return picture;
}

int RunPreview(const PreviewOptions& options) {
  const std::optional<PictureSize> size = ParseSize(options.size);
  if (!size) {
    std::fprintf(
        stderr, "error: --size takes WIDTHxHEIGHT, each side from %d to %d pixels, like 1200x400\n",
        kMinPictureSide, kMaxPictureSide);
    return 1;
  }
  std::error_code ignored;
  if (!options.force && std::filesystem::exists(options.picturePath, ignored)) {
    std::fprintf(stderr, "error: %s already exists; add --force to replace it\n",
                 options.picturePath.c_str());
    return 1;
  }
  UtfTree tree;
  if (!ReadUtfFileOrSay(options.modelPath, tree)) return 1;
  std::optional<DrawnCollision> collision;
  if (options.collision && !(collision = ReadAskedCollision(options))) return 1;
  const CompoundModel model = DecodeCompoundModel(tree);
  std::optional<AskedPose> pose;
  if (!options.pose.empty() && !(pose = FindAskedPose(options.modelPath, model, options.pose))) {
    return 1;
  }
  SurfaceLibrary surfaces;
  if (!GatherSurfaces(options, tree, surfaces)) return 1;
  std::vector<std::string> problems;
  const auto looks = render::LooksOf(surfaces, problems);
  for (const std::string& problem : problems) {
    std::fprintf(stderr, "warning: %s\n", PrintableName(problem).c_str());
  }

  const std::optional<render::Canvas> picture =
      DrawLevels(options, model, pose ? &*pose : nullptr, looks,
                 collision ? &*collision : nullptr, *size);
  if (!picture) return 1;  // it has said why
  const std::vector<std::uint8_t> png = render::EncodePng(*picture);
  if (png.empty()) {
    std::fprintf(stderr, "error: the picture could not be encoded\n");
    return 1;
  }
  const FileWriteResult written = ReplaceFileContents(options.picturePath, png);
  if (!written.written) {
    std::fprintf(stderr, "error: %s\n", written.reason.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

void AddPreviewCommand(CLI::App& app, int& exitStatus) {
  auto options = std::make_shared<PreviewOptions>();
  auto* command = app.add_subcommand(
      "preview",
      "Draw a compound model (.cmp, .3db) into a PNG: front, top and side view in the game's axes");
  command->add_option("FILE", options->modelPath, "The model file (.cmp, .3db)")->required();
  command->add_option("-o,--output", options->picturePath, "The picture to write (.png)")
      ->required();
  auto* level = command->add_option("--level", options->level, "Level of detail to draw (default 0)")
                    ->check(CLI::NonNegativeNumber);
  command
      ->add_option("--levels", options->levels,
                   "Levels of detail to draw one under the other, like 0,1,2")
      ->delimiter(',')
      ->check(CLI::NonNegativeNumber)
      ->excludes(level);
  command->add_option("--size", options->size,
                      "Picture size WIDTHxHEIGHT (default 1200x400), of each level's row");
  command
      ->add_option("--labels", options->labels,
                   "Hardpoint names: auto (those that fit, the default), all (and a legend of "
                   "the rest) or none")
      ->check(CLI::IsMember(NamesOf(kLabelModes)));
  command
      ->add_option("--color-by", options->colourBy,
                   "Colour surfaces by material (textured where there are textures, the "
                   "default) or by part, with a legend")
      ->check(CLI::IsMember(NamesOf(kColourings)));
  command->add_option("--materials", options->materialsPath,
                      "A material library (.mat) to draw the materials with");
  command->add_option("--textures", options->texturesPath,
                      "A texture library (.txm) to draw the textures with");
  auto* collision =
      command
          ->add_option("--collision", options->collisionPath,
                       "Draw the hulls of a collision file over the model (FILE.sur; default: "
                       "the one beside the model)")
          ->expected(0, 1)
          ->check(CLI::Validator(CollisionFileNameProblem, "FILE.sur"));
  command->add_flag("--wire", options->wire,
                    "Draw the parts' wires alone, the outline of the game's target display, "
                    "framed as the level's meshes");
  command->add_flag("--joints", options->joints,
                    "Mark each joint's pivot (hollow for Fix), the axis of Rev and Pris joints, "
                    "and each moving part's name and joint kind");
  command->add_option("--pose", options->pose,
                      "Draw the parts as the script SCRIPT moves them at its last frame, or at "
                      "SCRIPT@SECONDS");
  command->add_flag("--force", options->force, "Replace an existing picture");
  command->callback([options, collision, &exitStatus] {
    options->collision = collision->count() > 0;
    exitStatus = RunPreview(*options);
  });
}

}  // namespace svcmp::cli
