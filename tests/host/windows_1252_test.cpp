#include "host/windows_1252.h"

#include <gtest/gtest.h>

#include <string>

namespace svcmp {
namespace {

TEST(Windows1252, EveryByteStringMakesTheRoundTrip) {
  std::string bytes;
  for (int byte = 0; byte < 256; ++byte) bytes += static_cast<char>(byte);
  const std::string text = Windows1252ToUtf8(bytes);
  EXPECT_EQ(Utf8ToWindows1252(text), bytes);
  // The high bytes: the euro sign, an undefined byte, Latin-1 as it is.
  EXPECT_EQ(Windows1252ToUtf8("\x80\x81\x9F\xA0\xE4\xFF"),
            "\u20AC\xC2\x81\u0178\u00A0\u00E4\u00FF");
}

TEST(Windows1252, TextWithOtherCharactersHasNoBytes) {
  EXPECT_EQ(Utf8ToWindows1252("Terraind\u00E4k \u2122"), "Terraind\xE4k \x99");
  EXPECT_EQ(Utf8ToWindows1252("\u0100"), std::nullopt);
  EXPECT_EQ(Utf8ToWindows1252("\u65E5"), std::nullopt);
  EXPECT_EQ(Utf8ToWindows1252("\U0001F680"), std::nullopt);
}

}  // namespace
}  // namespace svcmp
