#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "host/plugin_interface.h"

namespace svcmp {

// A plug-in DLL loaded by path, and the one object its CreatePlugIn made.
// The object is destroyed through slot 1 of its vtable, as the host does,
// before the DLL is unloaded.
class LoadedPlugIn {
 public:
  LoadedPlugIn(HMODULE module, PlugInInterface* object) : module_(module), object_(object) {}
  ~LoadedPlugIn();
  LoadedPlugIn(const LoadedPlugIn&) = delete;
  LoadedPlugIn& operator=(const LoadedPlugIn&) = delete;

  PlugInInterface& Object() { return *object_; }

 private:
  HMODULE module_;
  PlugInInterface* object_;
};

struct [[nodiscard]] PlugInLoadResult {
  std::unique_ptr<LoadedPlugIn> plugIn;  // null on failure
  std::string error;                     // why, for the user
};

// Loads the DLL, finds CreatePlugIn and calls it; never throws.
PlugInLoadResult LoadPlugIn(const std::string& dllPath);

}  // namespace svcmp
