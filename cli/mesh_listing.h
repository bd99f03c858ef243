#pragma once

#include <cstdio>

#include "host/ms_model_lib.h"

namespace svcmp::cli {

// One line per mesh as the export sees it: index, kind, vertices, triangles,
// material and name, so a user can choose the group quantities.
void PrintMeshListing(msModel& model, std::FILE* out);

}  // namespace svcmp::cli
