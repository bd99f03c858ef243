#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace svcmp {

// A strict JSON reader over text in memory, one value at a time, for readers
// that walk a known document shape straight into their own structures
// instead of building a tree. Never reads outside the text; the first syntax
// error stops it and is kept with its place. Nesting costs no call stack.
class JsonScanner {
 public:
  enum class Kind { Object, Array, String, Number, Literal, End, Invalid };

  explicit JsonScanner(std::string_view text);

  // The kind of the next value after white space; consumes nothing.
  Kind Peek();

  // Consume '{' or '['; the caller has seen it with Peek.
  void EnterObject();
  void EnterArray();

  // The next key of the object entered last, up to its ':'; false at its
  // closing '}' (consumed) and on a syntax error. The view lives until the
  // next call.
  bool NextKey(std::string_view& key);
  // Whether the array entered last has another item; false at its closing
  // ']' (consumed) and on a syntax error.
  bool NextItem();

  // A string value, its escapes resolved; false on a syntax error.
  bool ReadString(std::string& value);
  // The text of a number value, checked against the JSON grammar; `integral`
  // tells whether it has neither fraction nor exponent.
  bool ReadNumber(std::string_view& text, bool& integral);
  // The literal true, false or null; false on a syntax error.
  bool ReadLiteral(std::string_view& literal);
  // Any value, containers with everything inside them.
  bool SkipValue();

  // Whether only white space is left; a syntax error otherwise.
  bool AtEnd();

  bool Failed() const { return !reason_.empty(); }
  // "parse error at line L, column C: <what>" for the first syntax error.
  std::string Error() const;

 private:
  void SkipSpace();
  bool Fail(std::string_view reason);
  bool Expect(char c, std::string_view reason);
  bool SkipScalar();
  bool NextInContainer(char closer, std::string_view reason);
  bool ReadKey(std::string_view& key);
  const char* PlainRunEnd(const char* from) const;
  bool ScanString(std::string* value);
  bool ReadEscape(std::string* value);
  bool ReadHex4(unsigned& code);
  bool SkipUtf8Sequence();

  const char* begin_;
  const char* at_;
  const char* end_;
  bool firstInContainer_ = false;
  std::string key_;  // the last key with escapes, resolved
  std::string reason_;
  std::size_t errorOffset_ = 0;
};

}  // namespace svcmp
