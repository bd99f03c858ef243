#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "plugin/mesh_records.h"
#include "simplify/mesh_simplifier.h"

namespace svcmp {

// What a captured model adds up to in the file.
struct ModelTotals {
  std::size_t geometryMeshes = 0;
  std::size_t vertices = 0;                 // of the geometry meshes
  std::size_t triangles = 0;                // of the geometry meshes
  std::size_t hardpoints = 0;               // meshes named as fixed or revolute hardpoints
  std::array<float, 3> extent = {0, 0, 0};  // of the geometry, in game units
};

[[nodiscard]] ModelTotals TotalModel(const MeshList& meshList);

// The extent of the geometry meshes among meshList[meshes...] (indices out
// of range are passed over); zero without any.
[[nodiscard]] std::array<float, 3> GeometryExtent(const MeshList& meshList,
                                                  std::span<const std::size_t> meshes);

// "wrote ship.cmp: 3 parts, 12 meshes, 4,812 vertices, 9,344 triangles,
// 3 hardpoints, level 0, 12.3 x 4.1 x 20.7 units"; `totals` holds what the
// file holds (the caller counts the hardpoints the export wrote).
[[nodiscard]] std::string ExportSummary(const std::string& path, const ModelTotals& totals,
                                        int parts, int lodLevel);

// The same for geometry a simplification made (`report`, when it ran):
// "..., level 1, 12.3 x 4.1 x 20.7 units, relative error 0.42%".
[[nodiscard]] std::string SimplifiedExportSummary(const std::string& path,
                                                  const ModelTotals& totals, int parts,
                                                  int lodLevel,
                                                  const std::optional<SimplifyReport>& report);

// ", relative error 0.42%" after what a simplification changed; empty
// without one, or where it changed nothing.
[[nodiscard]] std::string RelativeErrorText(const std::optional<SimplifyReport>& report);

// "12 meshes, 4,812 vertices, 9,344 triangles, 3 hardpoints".
[[nodiscard]] std::string CountsText(const ModelTotals& totals);

// "12.3 x 4.1 x 20.7 units".
[[nodiscard]] std::string ExtentText(const ModelTotals& totals);

// A size in game units, with the digits that matter at its size.
[[nodiscard]] std::string UnitsText(float value);

}  // namespace svcmp
