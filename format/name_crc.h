#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace svcmp {

// The 256-entry table of the name ids: the CRC-32 table of the reflected
// polynomial 0xEDB88320, but built with an arithmetic right shift, so the
// sign bit smears into the top byte once set.
const std::array<std::uint32_t, 256>& NameCrcTable();

// The 32-bit id under which the files refer to a name: a CRC-32 over the name
// with ASCII capitals folded to lower case, using NameCrcTable(). The name
// ends at its first zero byte, if any.
std::uint32_t NameCrc(std::string_view name);

}  // namespace svcmp
