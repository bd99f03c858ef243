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
