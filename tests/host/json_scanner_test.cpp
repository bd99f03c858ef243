#include "host/json_scanner.h"

#include <gtest/gtest.h>

#include <string>

namespace svcmp {
namespace {

// Whether the whole text is one JSON value, and the error when it is not.
std::string Check(std::string_view text) {
  JsonScanner json(text);
  if (json.SkipValue() && json.AtEnd()) return "valid";
  return json.Error();
}

TEST(JsonScanner, AcceptsWhatJsonAllowsAndNothingElse) {
  const struct {
    std::string_view text;
    const char* expected;
  } cases[] = {
      {R"( {"a": [1, -0, 0.5e+3, 2E-2, true, false, null, "x\"\\\/\b\f\n\r\t\u00e9"], "b": {}} )",
       "valid"},
      {"\xEF\xBB\xBF[]", "valid"},
      {"\"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\"", "valid"},
      {R"("\ud83d\ude00")", "valid"},
      {"", "parse error at line 1, column 1: the document ends where a value is expected"},
      {"[1,]", "parse error at line 1, column 4: expected a value"},
      {"[1 2]", "parse error at line 1, column 4: expected ',' or ']'"},
      {"{\"a\" 1}", "parse error at line 1, column 6: expected ':' after a key"},
      {"{\"a\": 1,}", "parse error at line 1, column 9: expected a key in quotes"},
      {"{\"a\": 1 \"b\": 2}", "parse error at line 1, column 9: expected ',' or '}'"},
      {"[01]", "parse error at line 1, column 3: expected ',' or ']'"},
      {"[1.]", "parse error at line 1, column 4: invalid number: digits must follow the '.'"},
      {"[.5]", "parse error at line 1, column 2: expected a value"},
      {"[1e]", "parse error at line 1, column 4: invalid number: digits must follow the exponent"},
      {"[-]", "parse error at line 1, column 3: invalid number"},
      {"[+1]", "parse error at line 1, column 2: expected a value"},
      {"[tru]", "parse error at line 1, column 2: invalid literal; expected true, false or null"},
      {"[NaN]", "parse error at line 1, column 2: expected a value"},
      {"\"open", "parse error at line 1, column 6: the string does not end"},
      {"\"a\tb\"",
       "parse error at line 1, column 3: control character in a string; write it as an escape "
       "such as \\n"},
      {R"("\x")", "parse error at line 1, column 3: unknown escape in a string"},
      {R"("\u12g4")",
       "parse error at line 1, column 6: \\u must be followed by four hexadecimal digits"},
      {R"("\udc00")", "parse error at line 1, column 8: a low surrogate without a high one"},
      {R"("\ud800x")",
       "parse error at line 1, column 8: a high surrogate must be followed by a low one"},
      {"\"\xC0\xAF\"", "parse error at line 1, column 2: the text is not valid UTF-8"},
      {"\"\xED\xA0\x80\"", "parse error at line 1, column 3: the text is not valid UTF-8"},
      {"\"\xE2\x82\"", "parse error at line 1, column 4: the text is not valid UTF-8"},
      {"{}\n  x", "parse error at line 2, column 3: unexpected text after the document"},
      {"[[[", "parse error at line 1, column 4: the document ends where a value is expected"},
  };
  for (const auto& c : cases) EXPECT_EQ(Check(c.text), c.expected) << c.text;
}

TEST(JsonScanner, ReadsStringsWithEveryEscapeResolved) {
  JsonScanner json(R"("a\"\\\/\b\f\n\r\t\u00e9\u20AC\ud83d\ude00\u0000z")");
  std::string value;
  ASSERT_TRUE(json.ReadString(value)) << json.Error();
  EXPECT_EQ(value, std::string("a\"\\/\b\f\n\r\t\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80") +
                       std::string(1, '\0') + "z");
}

TEST(JsonScanner, SkipsDeepNestingWithoutTheCallStack) {
  const std::string deep = std::string(200000, '[') + std::string(200000, ']');
  EXPECT_EQ(Check(deep), "valid");
  const std::string objects = [] {
    std::string text;
    for (int i = 0; i < 100000; ++i) text += "{\"k\":";
    return text + "1" + std::string(100000, '}');
  }();
  EXPECT_EQ(Check(objects), "valid");
}

}  // namespace
}  // namespace svcmp
