#include <windows.h>

#include <new>

#include "exporter/cmp_exporter_plugin.h"
#include "win32/plugin_module.h"
#include "win32/win32_export_ui.h"

namespace svcmp {
namespace {

HINSTANCE gModule = nullptr;

// One user interface serves every plug-in object: it holds no state of its
// own, so destroying an object through slot 1 leaves nothing behind.
Win32ExportUi& SharedUi() {
  static Win32ExportUi ui;
  return ui;
}

}  // namespace

HINSTANCE PlugInModule() { return gModule; }

}  // namespace svcmp

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) svcmp::gModule = instance;
  return TRUE;
}

// The host's one entry: a new plug-in object that the host owns and destroys
// through slot 1 of its vtable; null when memory ran out.
extern "C" svcmp::PlugInInterface* CreatePlugIn() {
  return new (std::nothrow) svcmp::CmpExporterPlugIn(svcmp::SharedUi());
}
