// Feeds arbitrary bytes to the UTF reader; whatever it accepts must write
// back and read again to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "utf/utf_reader.h"
#include "utf/utf_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  svcmp::UtfTree tree;
  std::size_t warnings = 0;
  const auto result = svcmp::ReadUtfBytes({data, size}, tree, [&](const std::string&) { ++warnings; });
  if (!result.ok()) {
    if (!tree.Empty() || warnings != 0) std::abort();  // a refusal must leave no trace
    return 0;
  }
  const std::vector<std::uint8_t> written = svcmp::WriteUtfBytes(tree);
  svcmp::UtfTree again;
  if (!svcmp::ReadUtfBytes(written, again, nullptr).ok()) std::abort();
  if (svcmp::WriteUtfBytes(again) != written) std::abort();
  return 0;
}
