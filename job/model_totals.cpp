#include "job/model_totals.h"

#include <algorithm>
#include <cstdio>
#include <span>

#include "cmp/cmp_assembly.h"

namespace svcmp {
namespace {

// 4812 -> "4,812".
std::string Grouped(std::size_t value) {
  std::string digits = std::to_string(value);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

std::string Counted(std::size_t count, const char* one, const char* many) {
  return Grouped(count) + " " + (count == 1 ? one : many);
}

// The box around `box` (nothing yet when `first`) and `more`.
Bounds Widened(const Bounds& box, bool first, const Bounds& more) {
  if (first) return more;
  Bounds wide = box;
  wide.maxX = std::max(box.maxX, more.maxX);
  wide.minX = std::min(box.minX, more.minX);
  wide.maxY = std::max(box.maxY, more.maxY);
  wide.minY = std::min(box.minY, more.minY);
  wide.maxZ = std::max(box.maxZ, more.maxZ);
  wide.minZ = std::min(box.minZ, more.minZ);
  return wide;
}

std::array<float, 3> ExtentOf(const Bounds& box) {
  return {box.maxX - box.minX, box.maxY - box.minY, box.maxZ - box.minZ};
}

}  // namespace

ModelTotals TotalModel(const MeshList& meshList) {
  ModelTotals totals;
  Bounds box;
  for (const MeshRecord& mesh : meshList) {
    if (mesh.isHardpoint) {
      if (NamesWrittenHardpoint(mesh.meshName)) ++totals.hardpoints;
      continue;
    }
    box = Widened(box, totals.geometryMeshes++ == 0, mesh.bounds);
    totals.vertices += mesh.vertices.size();
    totals.triangles += mesh.triangles.size();
  }
  totals.extent = ExtentOf(box);
  return totals;
}

std::array<float, 3> GeometryExtent(const MeshList& meshList, std::span<const std::size_t> meshes) {
  Bounds box;
  bool first = true;
  for (const std::size_t index : meshes) {
    if (index >= meshList.size() || meshList[index].isHardpoint) continue;
    box = Widened(box, first, meshList[index].bounds);
    first = false;
  }
  return first ? std::array<float, 3>{0, 0, 0} : ExtentOf(box);
}

std::string UnitsText(float value) {
  char text[32];
  std::snprintf(text, sizeof text, value >= 1.0f ? "%.1f" : "%.2g", static_cast<double>(value));
  return text;
}

std::string CountsText(const ModelTotals& totals) {
  return Counted(totals.geometryMeshes, "mesh", "meshes") + ", " +
         Counted(totals.vertices, "vertex", "vertices") + ", " +
         Counted(totals.triangles, "triangle", "triangles") + ", " +
         Counted(totals.hardpoints, "hardpoint", "hardpoints");
}

std::string ExtentText(const ModelTotals& totals) {
  return UnitsText(totals.extent[0]) + " x " + UnitsText(totals.extent[1]) + " x " +
         UnitsText(totals.extent[2]) + " units";
}

std::string ExportSummary(const std::string& path, const ModelTotals& totals, int parts,
                          int lodLevel) {
  return "wrote " + path + ": " + Counted(static_cast<std::size_t>(parts), "part", "parts") + ", " +
         CountsText(totals) + ", level " + std::to_string(lodLevel) + ", " + ExtentText(totals);
}

std::string SimplifiedExportSummary(const std::string& path, const ModelTotals& totals, int parts,
                                    int lodLevel, const std::optional<SimplifyReport>& report) {
  return ExportSummary(path, totals, parts, lodLevel) + RelativeErrorText(report);
}

std::string RelativeErrorText(const std::optional<SimplifyReport>& report) {
  if (!report || report->trianglesAfter == report->trianglesBefore) return {};
  char error[48];
  std::snprintf(error, sizeof error, ", relative error %.3g%%", 100.0 * report->relativeError);
  return error;
}

}  // namespace svcmp
