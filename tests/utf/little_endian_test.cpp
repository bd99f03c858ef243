#include "utf/little_endian.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

namespace svcmp {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Every width writes the low bytes of its value lowest first, after what was
// there; values whose bytes all differ tell a swapped or shifted byte.
TEST(LittleEndianWriter, WritesEachWidthLowestByteFirst) {
  LittleEndianWriter out(Bytes{0xEE});
  out.U8(0x1234'5691);
  out.U16(0x1234'A1B2);
  out.U24(0x12C1'D2E3);
  out.U32(0xF1E2'D3C4);
  out.F32(-1.5f);  // 0xBFC00000
  out.F32s(std::array<float, 2>{0.25f, 2.0f});
  out.Text("ab");
  out.Zeros(2);
  out.Records(std::vector<std::uint16_t>{0x0102});
  EXPECT_EQ(out.Size(), 29u);
  EXPECT_EQ(out.Take(), (Bytes{0xEE, 0x91, 0xB2, 0xA1, 0xE3, 0xD2, 0xC1, 0xC4, 0xD3, 0xE2,
                               0xF1, 0x00, 0x00, 0xC0, 0xBF, 0x00, 0x00, 0x80, 0x3E, 0x00,
                               0x00, 0x00, 0x40, 'a',  'b',  0x00, 0x00, 0x02, 0x01}));
}

TEST(LittleEndianWriter, StoresAWordInPlace) {
  std::array<std::uint8_t, 6> at{9, 9, 9, 9, 9, 9};
  StoreU32(at.data() + 1, 0x0A0B'0C0D);
  EXPECT_EQ(at, (std::array<std::uint8_t, 6>{9, 0x0D, 0x0C, 0x0B, 0x0A, 9}));
}

}  // namespace
}  // namespace svcmp
