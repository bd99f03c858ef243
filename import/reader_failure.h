#pragma once

#include <string>

#include "import/model_format.h"

namespace svcmp {

// Why a reader gave no scene, in words for the user (without the file's
// name): "damaged" only where the reader's words say the file breaks its
// format (a value of the wrong type, an index out of range, a cut file);
// any other reason is the importer's own limit, told with its words.
[[nodiscard]] std::string ReaderFailureReason(ModelFormat format, const std::string& readerMessage);

}  // namespace svcmp
