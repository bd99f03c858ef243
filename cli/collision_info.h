#pragma once

#include <cstdio>
#include <string>

#include "inspect/collision_checks.h"
#include "inspect/collision_file.h"

namespace svcmp::cli {

// `cmptool info FILE.sur`: names parts and hardpoints from the model at
// `modelPath`, or else from one found beside the file; the exit status.
int RunCollisionInfo(const std::string& path, const std::string& modelPath, bool json);

// The summary of `cmptool info FILE.sur`: each part (by name where `names`
// knows it, else by id) with its flags, box, centre, radius, and its hulls
// with their face and point counts, hardpoint hulls named as such.
void PrintCollisionInfoText(const std::string& path, const CollisionFile& file,
                            const CollisionNames& names, std::FILE* out);

// The same as one JSON document, with a final newline.
void PrintCollisionInfoJson(const std::string& path, const CollisionFile& file,
                            const CollisionNames& names, std::FILE* out);

}  // namespace svcmp::cli
