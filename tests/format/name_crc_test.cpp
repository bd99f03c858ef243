#include "format/name_crc.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace svcmp {
namespace {

// The rule as written: a signed register shifted arithmetically.
std::uint32_t TableEntryByRule(std::int32_t n) {
  std::int32_t r = n;
  for (int bit = 0; bit < 8; ++bit) {
    r = (r & 1) ? static_cast<std::int32_t>(static_cast<std::uint32_t>(r >> 1) ^ 0xEDB88320u)
                : (r >> 1);
  }
  return static_cast<std::uint32_t>(r);
}

TEST(NameCrc, TableFollowsTheArithmeticShiftRule) {
  const auto& table = NameCrcTable();
  for (int n = 0; n < 256; ++n) EXPECT_EQ(table[n], TableEntryByRule(n)) << "entry " << n;
  EXPECT_EQ(table[0], 0x00000000u);
  EXPECT_EQ(table[1], 0x09073096u);
  EXPECT_EQ(table[2], 0x120E612Cu);
  EXPECT_EQ(table[4], 0xFF6DC419u);
  EXPECT_EQ(table[128], 0xEDB88320u);
  EXPECT_EQ(table[255], 0x0702EF8Du);
}

TEST(NameCrc, KnownIds) {
  EXPECT_EQ(NameCrc(""), 0x00000000u);
  EXPECT_EQ(NameCrc("abc"), 0xEBB055C2u);
  EXPECT_EQ(NameCrc("a"), 0xFCB7BE43u);
}

TEST(NameCrc, FoldsOnlyAsciiCapitals) {
  EXPECT_EQ(NameCrc("ABC"), NameCrc("abc"));
  EXPECT_EQ(NameCrc("aBc"), NameCrc("abc"));
  EXPECT_EQ(NameCrc("A"), NameCrc("a"));
  EXPECT_NE(NameCrc("x\xC4"), NameCrc("x\xE4"));
  EXPECT_NE(NameCrc("["), NameCrc("{"));  // 0x5B is not a capital
}

TEST(NameCrc, NameEndsAtFirstZeroByte) {
  EXPECT_EQ(NameCrc(std::string("abc\0def", 7)), NameCrc("abc"));
}

}  // namespace
}  // namespace svcmp
