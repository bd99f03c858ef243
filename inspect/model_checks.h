#pragma once

#include <string>
#include <vector>

#include "inspect/compound_model.h"

namespace svcmp {

// A decoded file among those checked together, with the name its findings
// are reported under.
struct CheckedModel {
  std::string file;
  const CompoundModel* model = nullptr;
};

// The findings of each model, in the order given: what the decoders found,
// then every rule that judges the whole model, then the rules that judge the
// files together (mesh references into another file's library, a library
// defined twice). Rules are made so that valid files of other tools raise no
// error.
std::vector<Findings> CheckModels(const std::vector<CheckedModel>& models);

}  // namespace svcmp
