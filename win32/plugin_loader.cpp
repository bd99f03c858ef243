#include "win32/plugin_loader.h"

namespace svcmp {

LoadedPlugIn::~LoadedPlugIn() {
  if (object_ != nullptr) object_->ScalarDeletingDestructor(1);
  FreeLibrary(module_);
}

PlugInLoadResult LoadPlugIn(const std::string& dllPath) {
  // The altered search path finds the plug-in's own DLLs beside it.
  const HMODULE module = LoadLibraryExA(dllPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (module == nullptr) return {nullptr, "cannot load the plug-in " + dllPath};
  using CreatePlugInFn = PlugInInterface* (*)();
  const auto create = reinterpret_cast<CreatePlugInFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "CreatePlugIn")));
  if (create == nullptr) {
    FreeLibrary(module);
    return {nullptr, dllPath + " exports no CreatePlugIn"};
  }
  PlugInInterface* object = create();
  if (object == nullptr) {
    FreeLibrary(module);
    return {nullptr, "CreatePlugIn of " + dllPath + " returned no object"};
  }
  return {std::make_unique<LoadedPlugIn>(module, object), {}};
}

}  // namespace svcmp
