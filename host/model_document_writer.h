#pragma once

#include <string>

#include "host/host_model.h"

namespace svcmp {

// The model as a host model document: every float written so that it reads
// back bit for bit. Empty with a message when a number is not finite or a name
// is not UTF-8 text, which a JSON document cannot hold.
struct ModelDocumentText {
  std::string text;
  std::string error;
};
[[nodiscard]] ModelDocumentText WriteModelDocument(const msModel& model);

// Writes the document to path through a temporary file beside it, so a failed
// write leaves an existing file as it was. Returns the message, empty on success.
[[nodiscard]] std::string SaveModelDocument(const msModel& model, const std::string& path);

}  // namespace svcmp
