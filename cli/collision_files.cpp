#include "cli/collision_files.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "inspect/collision_checks.h"
#include "utf/file_io.h"

namespace svcmp::cli {
namespace {

std::string Lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The path without its extension, in lower case: what pairs a model with its
// collision file.
std::string Stem(const std::string& path) {
  return Lowered(std::filesystem::path(path).replace_extension().string());
}

std::optional<std::string> FileBeside(const std::string& path, const char* extension) {
  std::filesystem::path beside(path);
  beside.replace_extension(extension);
  std::error_code error;
  if (!std::filesystem::is_regular_file(beside, error)) return std::nullopt;
  return beside.string();
}

}  // namespace

bool IsCollisionFileName(const std::string& path) {
  return Lowered(std::filesystem::path(path).extension().string()) == ".sur";
}

std::string CollisionFileNameProblem(const std::string& path) {
  return path.empty() || IsCollisionFileName(path) ? std::string()
                                                   : "the collision file's name must end in .sur";
}

std::optional<std::string> CollisionFileBeside(const std::string& modelPath) {
  return FileBeside(modelPath, ".sur");
}

std::optional<std::string> ModelFileBeside(const std::string& collisionPath) {
  if (auto compound = FileBeside(collisionPath, ".cmp")) return compound;
  return FileBeside(collisionPath, ".3db");
}

CheckedFiles SortCheckedFiles(const std::vector<std::string>& files) {
  CheckedFiles sorted;
  std::vector<std::string> collisions;
  for (const std::string& file : files) {
    (IsCollisionFileName(file) ? collisions : sorted.models).push_back(file);
  }
  std::vector<bool> paired(sorted.models.size());
  for (const std::string& path : collisions) {
    int model = sorted.models.size() == 1 ? 0 : -1;
    for (std::size_t i = 0; i < sorted.models.size(); ++i) {
      if (Stem(sorted.models[i]) == Stem(path)) model = static_cast<int>(i);
    }
    if (model >= 0) paired[static_cast<std::size_t>(model)] = true;
    sorted.collisions.push_back({path, model});
  }
  for (std::size_t i = 0; i < sorted.models.size(); ++i) {
    if (paired[i]) continue;
    if (auto beside = CollisionFileBeside(sorted.models[i])) {
      sorted.collisions.push_back({*beside, static_cast<int>(i)});
    }
  }
  return sorted;
}

std::optional<CollisionFile> ReadCollisionFile(const std::string& path, Finding& error) {
  const FileReadResult read = ReadWholeFile(path);
  if (!read.bytes) {
    error = {"/", Severity::Error, "unreadable", read.reason};
    return std::nullopt;
  }
  CollisionDecoding decoded = DecodeCollisionFile({read.bytes->data(), read.bytes->size()});
  if (!decoded.file) {
    error = {"byte " + std::to_string(decoded.error.offset), Severity::Error, decoded.error.rule,
             decoded.error.message};
  }
  return std::move(decoded.file);
}

std::optional<CollisionFile> ReadCollisionFileOrSay(const std::string& path) {
  Finding error;
  auto file = ReadCollisionFile(path, error);
  if (!file) {
    // A finding about the whole file ("/") needs no place of its own.
    const std::string where = error.path == "/" ? "" : error.path + ": ";
    std::fprintf(stderr, "error: %s: %s%s [%s]\n", path.c_str(), where.c_str(),
                 error.message.c_str(), error.rule.c_str());
  }
  return file;
}

LevelCollision SortCollisionOrSay(const std::string& path, const CollisionFile& file,
                                  const CompoundModel& model, const LevelGeometry& geometry,
                                  bool warn) {
  LevelCollision sorted = SortCollisionOntoLevel(model, geometry, file);
  for (std::uint32_t id : warn ? sorted.unplacedParts : std::vector<std::uint32_t>{}) {
    std::fprintf(stderr,
                 "warning: %s: the part %s names no part of the model; its hulls are left out\n",
                 path.c_str(), CollisionIdText(id).c_str());
  }
  for (std::uint32_t id : warn ? sorted.unnamedHulls : std::vector<std::uint32_t>{}) {
    std::fprintf(stderr,
                 "warning: %s: the hull id %s names no part or hardpoint of the model; its hulls "
                 "are left out\n",
                 path.c_str(), CollisionIdText(id).c_str());
  }
  return sorted;
}

Findings CheckCollisionFileAt(const std::string& path, const CompoundModel* model) {
  Finding error;
  const auto file = ReadCollisionFile(path, error);
  if (!file) return {error};
  return CheckCollisionFile(*file, model);
}

}  // namespace svcmp::cli
