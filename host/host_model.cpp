#include "host/host_model.h"

#include <unordered_set>

namespace svcmp {
namespace {

// Every model made by MakeHostModel and not yet freed. The plug-in destroys
// the model on some exits and not on others, so its owner must be able to
// tell whether the model is still alive before releasing it.
std::unordered_set<msModel*>& LiveModels() {
  static std::unordered_set<msModel*> liveModels;
  return liveModels;
}

}  // namespace

bool ReleaseHostModel(msModel* model) {
  if (model == nullptr || LiveModels().erase(model) == 0) return false;
  delete model;
  return true;
}

void HostModelDeleter::operator()(msModel* model) const { ReleaseHostModel(model); }

HostModelPtr MakeHostModel() {
  auto* model = new msModel();
  LiveModels().insert(model);
  return HostModelPtr(model);
}

}  // namespace svcmp
