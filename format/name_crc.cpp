#include "format/name_crc.h"

namespace svcmp {
namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;

constexpr std::array<std::uint32_t, 256> BuildTable() {
  std::array<std::uint32_t, 256> table{};
  for (std::uint32_t n = 0; n < 256; ++n) {
    // Arithmetic shift of a signed register, spelled out so the result does
    // not depend on how the compiler shifts negative numbers.
    std::uint32_t r = n;
    for (int bit = 0; bit < 8; ++bit) {
      const std::uint32_t shifted = (r >> 1) | (r & 0x80000000u);
      r = (r & 1u) ? shifted ^ kPolynomial : shifted;
    }
    table[n] = r;
  }
  return table;
}

constexpr std::array<std::uint32_t, 256> kTable = BuildTable();

static_assert(kTable[1] == 0x09073096u && kTable[4] == 0xFF6DC419u && kTable[255] == 0x0702EF8Du);

}  // namespace

const std::array<std::uint32_t, 256>& NameCrcTable() { return kTable; }

std::uint32_t NameCrc(std::string_view name) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char ch : name) {
    auto c = static_cast<std::uint8_t>(ch);
    if (c == 0) break;
    if (c >= 'A' && c <= 'Z') c = static_cast<std::uint8_t>(c - 'A' + 'a');
    crc = (crc >> 8) ^ kTable[(crc ^ c) & 0xFFu];
  }
  return crc ^ 0xFFFFFFFFu;
}

}  // namespace svcmp
