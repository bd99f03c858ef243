#pragma once

#include <filesystem>
#include <optional>

#include "exporter/captured_meshes_step.h"
#include "exporter/export_ui.h"
#include "host/plugin_interface.h"

namespace svcmp {

inline constexpr char kPlugInTitle[] = "Starvane CMP V0.2.1";
inline constexpr int kExporterPlugInType = 2;

// The mesh buffer passes from the capture to the assembly through this file
// in the current directory; the assembly reads it whole and removes it.
inline constexpr char kMeshBufferFile[] = "___temp.vms";

// The plug-in object the host lists and runs. Each Execute is a complete,
// independent export that talks to the user only through `ui`. The mesh
// buffer passes through `meshBufferFile`; a front end that may run exports
// side by side in one folder gives nullopt instead, and the buffer is handed
// over in memory. A front end may add its own `capturedMeshesStep` (the
// caller keeps it alive).
class CmpExporterPlugIn final : public PlugInInterface {
 public:
  explicit CmpExporterPlugIn(ExportUi& ui,
                             std::optional<std::filesystem::path> meshBufferFile = kMeshBufferFile,
                             CapturedMeshesStep* capturedMeshesStep = nullptr);
  ~CmpExporterPlugIn() = default;

  void* ScalarDeletingDestructor(unsigned flags) override;
  int GetType() override;
  const char* GetTitle() override;
  // -1 for a null model and for an export refused or failed; 0 otherwise.
  int Execute(msModel* model) override;

 private:
  char title_[64];
  ExportUi& ui_;
  std::optional<std::filesystem::path> meshBufferFile_;
  CapturedMeshesStep* capturedMeshesStep_;
};

}  // namespace svcmp
