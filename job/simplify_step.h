#pragma once

#include <optional>
#include <string>
#include <vector>

#include "exporter/captured_meshes_step.h"
#include "job/export_job_ui.h"
#include "simplify/mesh_pieces.h"
#include "simplify/mesh_simplifier.h"

namespace svcmp {

// How one export of cmptool treats the captured geometry.
struct SimplifyPlan {
  bool simplify = false;        // without it the geometry stays as captured
  std::optional<double> share;  // of the triangles; none: just enough to fit
  // The share is of this list's triangles (level 0's), or of the captured ones.
  const MeshList* shareOf = nullptr;
  std::string levelName;  // "level 1": names the export in what is printed
  // Meshes the simplification cannot reduce below this list's are taken from
  // it. With held meshes it lines up with this level mesh by mesh, with
  // hardpoint-flagged empty stand-ins where it has no counterpart.
  const MeshList* previousLevel = nullptr;
  std::string previousLevelName;  // "level 0"
  MeshList* exported = nullptr;   // receives the geometry as exported
  // Per mesh, whether the model gives it for this level ("NAME$lod1" nodes):
  // those are exported as they are. None: every mesh may be simplified.
  const std::vector<bool>* heldMeshes = nullptr;
  // Meshes too large for 16-bit indices, captured in pieces; only
  // simplifying makes them fit.
  const std::vector<SplitMesh>* splits = nullptr;
  bool report = true;         // say what was done
  ExportJobUi* ui = nullptr;  // told the warnings and what was done; set before the step runs
};

// Said after the refusal of a model that simplifying makes fit.
inline constexpr char kSimplifyAdvice[] =
    "Or add --simplify to reduce the geometry just enough that it fits.";

// Whether `refusal` (CheckExportable's, or none) refuses the model for
// nothing but its vertices or triangles, which --simplify reduces; false
// where this build has no simplifier.
[[nodiscard]] bool SimplifyingMakesFit(const MeshList& meshList,
                                       const std::optional<std::string>& refusal);

// cmptool's step between capture and the mesh buffer: simplifies as planned,
// and refuses a model beyond the buffer's limits with the advice to simplify
// when the plan does not.
class SimplifyStep final : public CapturedMeshesStep {
 public:
  explicit SimplifyStep(SimplifyPlan plan);

  bool Run(MeshList& meshList, const ExportSettings& settings, ExportUi& ui) override;
  // Run's geometry without its refusals, for a listing of what the export
  // would write; the caller knows the model fits or is simplified.
  void Apply(MeshList& meshList);
  // What the last run's simplification did; none when it did not simplify.
  const std::optional<SimplifyReport>& Report() const { return report_; }

 private:
  void Simplify(MeshList& meshList);
  // Takes over what the previous level kept and hands on the geometry.
  void Finish(MeshList& meshList);
  // Simplifies towards `target` triangles, keeping more where fewer would
  // open new holes or turn faces inside out, and says so; none (and the
  // previous level's geometry, or the captured one) where no count below the
  // previous level's is free of them.
  std::optional<SimplifyReport> SimplifyWithoutDefects(MeshList& meshList, std::size_t target);
  // The refusal of a mesh too large for 16-bit indices, if the model has one.
  std::optional<std::string> LargeMeshRefusal(const MeshList& meshList) const;
  void TakeUnreducedMeshes(MeshList& meshList) const;
  // The previous level's geometry: all of it, or with held meshes, in place
  // of every mesh not held (the previous level lined up mesh by mesh).
  void TakePreviousGeometry(MeshList& meshList) const;

  SimplifyPlan plan_;
  std::optional<SimplifyReport> report_;
  bool keptWhole_ = false;  // the last run kept the geometry it started from
};

}  // namespace svcmp
