#include "import/reader_failure.h"

#include <array>
#include <string_view>

#include "import/import_messages.h"

namespace svcmp {
namespace {

namespace msg = import_messages;

// What assimp's readers say when a file breaks the rules of its format.
constexpr std::array<std::string_view, 11> kFormatBreaks = {
    "was not of type",      // glTF: a member of the wrong JSON type
    "JSON parse error",     // glTF: not JSON at all
    "recursive reference",  // glTF: a node that contains itself
    "must start with 0",    // glTF: attribute sets numbered with gaps
    "has no faces",         // glTF: every index outside its mesh
    "out of range",         // FBX, glTF: offsets and indices past their end
    "Invalid face index",   // OBJ
    "nexpected end",        // cut files ("Unexpected end of file")
    "nexpected EOF",        // cut files, other readers
    "truncated",            // cut files, other readers
    "Premature end",        // XML: a cut COLLADA file
};

// The reader's own words, printable and without the parts that mean nothing
// to a modder; empty when they add nothing to "damaged".
std::string ReaderDetail(const std::string& readerMessage) {
  if (readerMessage.find("No suitable reader") != std::string::npos) return "";
  std::string detail;
  for (const char c : readerMessage) {
    if (c >= ' ' && c <= '~') detail += c;
  }
  while (!detail.empty() && detail.back() == ' ') detail.pop_back();
  return detail;
}

}  // namespace

std::string ReaderFailureReason(ModelFormat format, const std::string& readerMessage) {
  const std::string detail = ReaderDetail(readerMessage);
  bool breaksFormat = detail.empty();  // no reader took a file that looks like the format
  for (const std::string_view words : kFormatBreaks) {
    breaksFormat = breaksFormat || detail.find(words) != std::string::npos;
  }
  if (!breaksFormat) return msg::kImporterLimitation + detail;
  return msg::kDamaged + std::string(ModelFormatName(format)) +
         (detail.empty() ? "" : " (" + detail + ")");
}

}  // namespace svcmp
