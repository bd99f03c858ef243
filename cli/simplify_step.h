#pragma once

#include <optional>
#include <string>

#include "exporter/captured_meshes_step.h"

namespace svcmp::cli {

// How one export of cmptool treats the captured geometry.
struct SimplifyPlan {
  bool simplify = false;        // without it the geometry stays as captured
  std::optional<double> share;  // of the triangles; none: just enough to fit
  // The share is of this list's triangles (level 0's), or of the captured ones.
  const MeshList* shareOf = nullptr;
  std::string levelName;  // "level 1": names the export in what is printed
  // Meshes the simplification cannot reduce below this list's are taken from it.
  const MeshList* previousLevel = nullptr;
  std::string previousLevelName;  // "level 0"
  MeshList* exported = nullptr;   // receives the geometry as exported
  bool report = true;             // print what was done on stdout
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

 private:
  void Simplify(MeshList& meshList) const;
  void TakeUnreducedMeshes(MeshList& meshList) const;

  SimplifyPlan plan_;
};

}  // namespace svcmp::cli
