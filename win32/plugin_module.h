#pragma once

#include <windows.h>

namespace svcmp {

// The plug-in DLL's own module handle, kept by DllMain: every dialog comes
// from its resources, never from the host's.
HINSTANCE PlugInModule();

}  // namespace svcmp
