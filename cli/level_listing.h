#pragma once

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/export_options.h"
#include "exporter/parts_from_nodes.h"
#include "plugin/mesh_records.h"
#include "simplify/mesh_pieces.h"
#include "simplify/mesh_simplifier.h"

namespace svcmp::cli {

// "level 1: 10,012 triangles" and, for a level a simplification changed,
// ", relative error 0.42%".
[[nodiscard]] std::string LevelLine(int level, std::size_t triangles,
                                    const std::optional<SimplifyReport>& report);

// What `--list` adds with --simplify or --auto-lod: a LevelLine for each
// level the export would write, simplified exactly as the export simplifies
// it. `captured`: the model as the export captures it, `splits` its meshes
// held in pieces. Nothing when the export would not simplify, or would
// refuse the model for want of --simplify (the totals said so).
void PrintSimplifiedLevels(const ExportOptions& options, const MeshList& captured,
                           const std::vector<SplitMesh>& splits, std::FILE* out);

// The triangles of each level the node tree brings ("NAME$lodN" nodes),
// level 0 first, when it brings any; such levels are made by hand, so they
// have no error to report.
void PrintNodeTreeLevels(const PartsFromNodes& formed, int scaleDivisor, int orientationSign,
                         std::FILE* out);

}  // namespace svcmp::cli
