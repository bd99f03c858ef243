#include "job/model_totals.h"

#include <algorithm>
#include <cstdio>

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

}  // namespace

ModelTotals TotalModel(const MeshList& meshList) {
  ModelTotals totals;
  Bounds box;
  for (const MeshRecord& mesh : meshList) {
    if (mesh.isHardpoint) {
      if (NamesWrittenHardpoint(mesh.meshName)) ++totals.hardpoints;
      continue;
    }
    if (totals.geometryMeshes++ == 0) box = mesh.bounds;
    box.maxX = std::max(box.maxX, mesh.bounds.maxX);
    box.minX = std::min(box.minX, mesh.bounds.minX);
    box.maxY = std::max(box.maxY, mesh.bounds.maxY);
    box.minY = std::min(box.minY, mesh.bounds.minY);
    box.maxZ = std::max(box.maxZ, mesh.bounds.maxZ);
    box.minZ = std::min(box.minZ, mesh.bounds.minZ);
    totals.vertices += mesh.vertices.size();
    totals.triangles += mesh.triangles.size();
  }
  totals.extent = {box.maxX - box.minX, box.maxY - box.minY, box.maxZ - box.minZ};
  return totals;
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
  ModelTotals written = totals;
  if (lodLevel != 0) written.hardpoints = 0;
  return "wrote " + path + ": " + Counted(static_cast<std::size_t>(parts), "part", "parts") + ", " +
         CountsText(written) + ", level " + std::to_string(lodLevel) + ", " + ExtentText(written);
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
