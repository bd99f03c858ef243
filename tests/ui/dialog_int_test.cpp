#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "ui/dialog_window.h"

namespace svcmp {
namespace {

TEST(ReadDialogInt, ReadsSignedNumbersWithBlanksAround) {
  EXPECT_EQ(ReadDialogInt("92"), 92);
  EXPECT_EQ(ReadDialogInt("-7"), -7);
  EXPECT_EQ(ReadDialogInt("  42 "), 42);
  EXPECT_EQ(ReadDialogInt("007"), 7);
  EXPECT_EQ(ReadDialogInt("2147483647"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(ReadDialogInt("-2147483648"), std::numeric_limits<std::int32_t>::min());
}

TEST(ReadDialogInt, EmptyOrNonNumericTextReadsAsZero) {
  for (const char* text : {"", "   ", "abc", "-", "--1", "+5", "4a", "1 2", "1.5", "0x10"}) {
    EXPECT_EQ(ReadDialogInt(text), 0) << '"' << text << '"';
  }
}

TEST(ReadDialogInt, NumbersBeyondThirtyTwoBitsSaturateInsteadOfWrapping) {
  EXPECT_EQ(ReadDialogInt("2147483648"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(ReadDialogInt("4294967297"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(ReadDialogInt("-2147483649"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(ReadDialogInt(std::string(400, '9')), std::numeric_limits<std::int32_t>::max());
}

}  // namespace
}  // namespace svcmp
