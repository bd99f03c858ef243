#pragma once

#include "host/plugin_interface.h"
#include "plugin/export_ui.h"

namespace svcmp {

inline constexpr char kPlugInTitle[] = "Starvane CMP V0.2.1";
inline constexpr int kExporterPlugInType = 2;

// The plug-in object the host lists and runs. Each Execute is a complete,
// independent export that talks to the user only through `ui`.
class CmpExporterPlugIn final : public PlugInInterface {
 public:
  explicit CmpExporterPlugIn(ExportUi& ui);
  ~CmpExporterPlugIn() = default;

  void* ScalarDeletingDestructor(unsigned flags) override;
  int GetType() override;
  const char* GetTitle() override;
  // -1 for a null model and for an export refused or failed; 0 otherwise.
  int Execute(msModel* model) override;

 private:
  char title_[64];
  ExportUi& ui_;
};

}  // namespace svcmp
