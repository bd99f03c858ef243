#pragma once

#include "host/ms_model_lib.h"

namespace svcmp {

// The host's plug-in interface. The host is built with the platform's own
// C++ compiler and calls exactly four virtual slots in this order; slot 1 is
// a deleting destructor of one slot that frees the object when flags & 1.
// A C++ virtual destructor would take two slots under g++, so there is none.
class PlugInInterface {
 public:
  virtual void* ScalarDeletingDestructor(unsigned flags) = 0;
  virtual int GetType() = 0;
  virtual const char* GetTitle() = 0;
  virtual int Execute(msModel* model) = 0;

 protected:
  PlugInInterface() = default;
  ~PlugInInterface() = default;
};

}  // namespace svcmp
