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

// How far a triangle may reach into its mesh's vertices: the stand-in host's
// 16-bit indices, or cmptool's 32-bit ones (meshes that only fit the file once
// simplified).
enum class VertexIndexRange { Host16Bit, Cmptool32Bit };

// Reads a host model document (JSON). A document that breaks a rule is
// refused as a whole; nothing throws.
ModelDocumentResult LoadModelDocument(const std::string& path,
                                      VertexIndexRange range = VertexIndexRange::Host16Bit);

// The same from the document's text.
ModelDocumentResult ParseModelDocument(std::string_view text,
                                       VertexIndexRange range = VertexIndexRange::Host16Bit);

}  // namespace svcmp
