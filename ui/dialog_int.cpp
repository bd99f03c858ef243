#include <cstdint>
#include <limits>
#include <string_view>

#include "ui/dialog_window.h"

namespace svcmp {

std::int32_t ReadDialogInt(std::string_view text) {
  const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && isBlank(text[begin])) ++begin;
  while (end > begin && isBlank(text[end - 1])) --end;

  const bool negative = begin < end && text[begin] == '-';
  if (negative) ++begin;
  if (begin == end) return 0;

  // Accumulate in 64 bits and stop growing past the 32-bit range, so a long
  // run of digits neither overflows nor wraps into a small number.
  constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  for (std::size_t i = begin; i < end; ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') return 0;
    if (magnitude <= kLimit) magnitude = magnitude * 10 + (c - '0');
  }
  if (negative) {
    return static_cast<std::int32_t>(-(magnitude < kLimit ? magnitude : kLimit));
  }
  return static_cast<std::int32_t>(magnitude < kLimit ? magnitude : kLimit - 1);
}

}  // namespace svcmp
