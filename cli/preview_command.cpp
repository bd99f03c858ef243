#include <charconv>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "cli/commands.h"
#include "cli/input_files.h"
#include "inspect/level_geometry.h"
#include "render/level_scene.h"
#include "render/model_views.h"
#include "render/png_encoder.h"
#include "utf/file_io.h"

namespace svcmp::cli {
namespace {

// Beyond this a picture takes more memory than a preview is worth.
constexpr int kMaxPictureSide = 4096;
constexpr int kMinPictureSide = 16;

struct PreviewOptions {
  std::string modelPath;
  std::string picturePath;
  int level = 0;
  std::string size = "1200x400";
  bool force = false;
};

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
  const std::optional<CompoundModel> model = ReadCompoundModelOrSay(options.modelPath);
  if (!model) return 1;  // it has said why

  const LevelGeometry geometry = GatherLevelGeometry(*model, options.level);
  WarnOfMissingLibraries(options.modelPath, geometry);
  const render::Scene scene = render::SceneOfLevel(geometry);
  if (scene.meshes.empty() && scene.hardpoints.empty()) {
    std::fprintf(stderr, "error: %s has nothing to draw at level %d\n", options.modelPath.c_str(),
                 options.level);
    return 1;
  }

  const std::vector<std::uint8_t> png =
      render::EncodePng(render::RenderModelViews(scene, size->width, size->height));
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
      "preview", "Draw a compound model (.cmp, .3db) into a PNG: three-quarter, top and side view");
  command->add_option("FILE", options->modelPath, "The model file (.cmp, .3db)")->required();
  command->add_option("-o,--output", options->picturePath, "The picture to write (.png)")
      ->required();
  command->add_option("--level", options->level, "Level of detail to draw (default 0)")
      ->check(CLI::NonNegativeNumber);
  command->add_option("--size", options->size, "Picture size WIDTHxHEIGHT (default 1200x400)");
  command->add_flag("--force", options->force, "Replace an existing picture");
  command->callback([options, &exitStatus] { exitStatus = RunPreview(*options); });
}

}  // namespace svcmp::cli
