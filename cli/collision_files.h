#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "inspect/collision_decoder.h"
#include "inspect/compound_model.h"
#include "inspect/finding.h"
#include "inspect/level_collision.h"

// The collision files (".sur") that cmptool's info and check read beside
// the compound models they belong to.
namespace svcmp::cli {

bool IsCollisionFileName(const std::string& path);

// What an option naming a collision file says of a name that is none
// (empty for one that is, or for no name at all).
std::string CollisionFileNameProblem(const std::string& path);

// The collision file beside a model file ("ship.sur" for "ship.cmp"), if
// there is one.
std::optional<std::string> CollisionFileBeside(const std::string& modelPath);

// The compound model (".cmp", else ".3db") beside a collision file, if any.
std::optional<std::string> ModelFileBeside(const std::string& collisionPath);

// The files `check` was given, split: the models, and the collision files
// with the model (an index into `models`) each belongs to: the model of the
// same name, the only model given, or none (-1). A model given without its
// collision file brings the one beside it.
struct CheckedFiles {
  std::vector<std::string> models;
  struct Collision {
    std::string path;
    int model = -1;
  };
  std::vector<Collision> collisions;
};
CheckedFiles SortCheckedFiles(const std::vector<std::string>& files);

// Reads and decodes a collision file. A file that cannot be read or breaks
// a structural rule gives its error in `error` (the path names the byte).
std::optional<CollisionFile> ReadCollisionFile(const std::string& path, Finding& error);

// The same, saying on stderr why a file cannot be used.
std::optional<CollisionFile> ReadCollisionFileOrSay(const std::string& path);

// The hulls of the collision file at `path` sorted onto a level of `model`;
// with `warn`, says which of the file's parts name none of the model's, whose
// hulls are left out.
LevelCollision SortCollisionOrSay(const std::string& path, const CollisionFile& file,
                                  const CompoundModel& model, const LevelGeometry& geometry,
                                  bool warn = true);

// What `check` says about a collision file: its refusal, or the warnings of
// the checks against `model` (when there is one).
Findings CheckCollisionFileAt(const std::string& path, const CompoundModel* model);

}  // namespace svcmp::cli
