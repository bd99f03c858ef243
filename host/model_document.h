#pragma once

#include <string>
#include <string_view>

#include "host/host_model.h"

namespace svcmp {

// A loaded host model, or null and a message that names the place in the
// document that broke the rules ("meshes[2].vertices[5]: expected 5 numbers").
struct [[nodiscard]] ModelDocumentResult {
  HostModelPtr model;
  std::string error;
};

// Reads a host model document (JSON). A document that breaks a rule is
// refused as a whole; nothing throws.
ModelDocumentResult LoadModelDocument(const std::string& path);

// The same from the document's text.
ModelDocumentResult ParseModelDocument(std::string_view text);

}  // namespace svcmp
