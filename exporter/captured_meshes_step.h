#pragma once

#include "exporter/export_ui.h"
#include "plugin/mesh_records.h"
#include "ui/export_settings.h"

namespace svcmp {

// A front end's own step between capture and the checks of the mesh buffer,
// where it may change the captured geometry (cmptool simplifies there). The
// plug-in has none.
class CapturedMeshesStep {
 public:
  virtual ~CapturedMeshesStep() = default;

  // Runs once the group quantities matched; false stops the export, after the
  // step has told the user why through `ui`.
  virtual bool Run(MeshList& meshList, const ExportSettings& settings, ExportUi& ui) = 0;
};

}  // namespace svcmp
