#include "host/json_scanner.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace svcmp {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendUtf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

JsonScanner::JsonScanner(std::string_view text)
    : begin_(text.data()), at_(text.data()), end_(text.data() + text.size()) {
  // A byte order mark some editors write is no content.
  if (text.starts_with(kUtf8Bom)) at_ += kUtf8Bom.size();
}

void JsonScanner::SkipSpace() {
  while (at_ != end_ && (*at_ == ' ' || *at_ == '\n' || *at_ == '\r' || *at_ == '\t')) ++at_;
}

bool JsonScanner::Fail(std::string_view reason) {
  if (reason_.empty()) {
    reason_ = std::string(reason);
    errorOffset_ = static_cast<std::size_t>(at_ - begin_);
  }
  // Nothing is read after the first error.
  at_ = end_;
  return false;
}

bool JsonScanner::Expect(char c, std::string_view reason) {
  SkipSpace();
  if (at_ == end_ || *at_ != c) return Fail(reason);
  ++at_;
  return true;
}

std::string JsonScanner::Error() const {
  const char* place = begin_ + errorOffset_;
  const std::size_t line = 1 + static_cast<std::size_t>(std::count(begin_, place, '\n'));
  const char* lineStart = place;
  while (lineStart != begin_ && lineStart[-1] != '\n') --lineStart;
  return "parse error at line " + std::to_string(line) + ", column " +
         std::to_string(place - lineStart + 1) + ": " + reason_;
}

JsonScanner::Kind JsonScanner::Peek() {
  SkipSpace();
  if (Failed() || at_ == end_) return Failed() ? Kind::Invalid : Kind::End;
  switch (*at_) {
    case '{':
      return Kind::Object;
    case '[':
      return Kind::Array;
    case '"':
      return Kind::String;
    case 't':
    case 'f':
    case 'n':
      return Kind::Literal;
    default:
      return *at_ == '-' || IsDigit(*at_) ? Kind::Number : Kind::Invalid;
  }
}

void JsonScanner::EnterObject() {
  ++at_;
  firstInContainer_ = true;
}

void JsonScanner::EnterArray() {
  ++at_;
  firstInContainer_ = true;
}

bool JsonScanner::NextItem() { return NextInContainer(']', "expected ',' or ']'"); }

bool JsonScanner::NextKey(std::string_view& key) {
  return NextInContainer('}', "expected ',' or '}'") && ReadKey(key);
}

// Before an item: false at the closing character (consumed); past the first
// item, a ',' must come first.
bool JsonScanner::NextInContainer(char closer, std::string_view reason) {
  SkipSpace();
  const bool first = firstInContainer_;
  firstInContainer_ = false;
  if (at_ != end_ && *at_ == closer) {
    ++at_;
    return false;
  }
  if (first) return !Failed();
  if (at_ != end_ && *at_ == ',') {
    ++at_;
    return true;
  }
  return Fail(reason);
}

bool JsonScanner::ReadKey(std::string_view& key) {
  SkipSpace();
  if (at_ == end_ || *at_ != '"') return Fail("expected a key in quotes");
  // A key without escapes or non-ASCII bytes, as nearly every key is, is
  // handed out as a view into the text instead of a copy.
  const char* plainEnd = PlainRunEnd(at_ + 1);
  if (plainEnd != end_ && *plainEnd == '"') {
    key = std::string_view(at_ + 1, static_cast<std::size_t>(plainEnd - at_ - 1));
    at_ = plainEnd + 1;
  } else {
    key_.clear();
    if (!ScanString(&key_)) return false;
    key = key_;
  }
  return Expect(':', "expected ':' after a key");
}

bool JsonScanner::ReadString(std::string& value) {
  SkipSpace();
  if (at_ == end_ || *at_ != '"') return Fail("expected a string");
  value.clear();
  return ScanString(&value);
}

// The first byte from `from` on that ends a string or needs a closer look:
// a quote, a backslash, a control character or a byte of 0x80 or above.
const char* JsonScanner::PlainRunEnd(const char* from) const {
  while (from != end_ && *from != '"' && *from != '\\' && static_cast<unsigned char>(*from) >= 0x20 &&
         static_cast<unsigned char>(*from) < 0x80) {
    ++from;
  }
  return from;
}

// At the opening quote; appends the resolved characters to `value` when given.
bool JsonScanner::ScanString(std::string* value) {
  ++at_;
  for (;;) {
    const char* run = at_;
    at_ = PlainRunEnd(at_);
    if (value) value->append(run, at_);
    if (at_ == end_) return Fail("the string does not end");
    const auto c = static_cast<unsigned char>(*at_);
    if (c == '"') {
      ++at_;
      return true;
    }
    if (c == '\\') {
      if (!ReadEscape(value)) return false;
    } else if (c < 0x20) {
      return Fail("control character in a string; write it as an escape such as \\n");
    } else {
      const char* sequence = at_;
      if (!SkipUtf8Sequence()) return false;
      if (value) value->append(sequence, at_);
    }
  }
}

// At a byte of 0x80 or above: one well-formed UTF-8 sequence.
bool JsonScanner::SkipUtf8Sequence() {
  const auto lead = static_cast<unsigned char>(*at_);
  int following = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    following = 1;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    following = 2;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    following = 3;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return Fail("the text is not valid UTF-8");
  }
  ++at_;
  for (int i = 0; i < following; ++i, ++at_) {
    if (at_ == end_) return Fail("the text is not valid UTF-8");
    const auto c = static_cast<unsigned char>(*at_);
    if (c < low || c > high) return Fail("the text is not valid UTF-8");
    low = 0x80;
    high = 0xBF;
  }
  return true;
}

bool JsonScanner::ReadHex4(unsigned& code) {
  code = 0;
  for (int i = 0; i < 4; ++i, ++at_) {
    const int digit = at_ == end_ ? -1 : HexValue(*at_);
    if (digit < 0) return Fail("\\u must be followed by four hexadecimal digits");
    code = code << 4 | static_cast<unsigned>(digit);
  }
  return true;
}

// At the backslash.
bool JsonScanner::ReadEscape(std::string* value) {
  ++at_;
  if (at_ == end_) return Fail("the string does not end");
  const char kind = *at_++;
  char plain = 0;
  switch (kind) {
    case '"':
    case '\\':
    case '/':
      plain = kind;
      break;
    case 'b':
      plain = '\b';
      break;
    case 'f':
      plain = '\f';
      break;
    case 'n':
      plain = '\n';
      break;
    case 'r':
      plain = '\r';
      break;
    case 't':
      plain = '\t';
      break;
    case 'u': {
      unsigned code = 0;
      if (!ReadHex4(code)) return false;
      if (code >= 0xDC00 && code <= 0xDFFF) return Fail("a low surrogate without a high one");
      if (code >= 0xD800 && code <= 0xDBFF) {
        // A character beyond U+FFFF comes as a pair of escapes.
        unsigned low = 0;
        if (end_ - at_ < 2 || at_[0] != '\\' || at_[1] != 'u') {
          return Fail("a high surrogate must be followed by a low one");
        }
        at_ += 2;
        if (!ReadHex4(low)) return false;
        if (low < 0xDC00 || low > 0xDFFF)
          return Fail("a high surrogate must be followed by a low one");
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
      }
      if (value) AppendUtf8(*value, code);
      return true;
    }
    default:
      --at_;
      return Fail("unknown escape in a string");
  }
  if (value) *value += plain;
  return true;
}

bool JsonScanner::ReadNumber(std::string_view& text, bool& integral) {
  SkipSpace();
  const char* start = at_;
  const auto digits = [this] {
    const char* first = at_;
    while (at_ != end_ && IsDigit(*at_)) ++at_;
    return at_ != first;
  };
  if (at_ != end_ && *at_ == '-') ++at_;
  // No leading zeros: "0" stands alone before a fraction or exponent.
  if (at_ != end_ && *at_ == '0') {
    ++at_;
  } else if (!digits()) {
    return Fail("invalid number");
  }
  integral = true;
  if (at_ != end_ && *at_ == '.') {
    ++at_;
    integral = false;
    if (!digits()) return Fail("invalid number: digits must follow the '.'");
  }
  if (at_ != end_ && (*at_ == 'e' || *at_ == 'E')) {
    ++at_;
    integral = false;
    if (at_ != end_ && (*at_ == '+' || *at_ == '-')) ++at_;
    if (!digits()) return Fail("invalid number: digits must follow the exponent");
  }
  text = std::string_view(start, static_cast<std::size_t>(at_ - start));
  return true;
}

bool JsonScanner::ReadLiteral(std::string_view& literal) {
  SkipSpace();
  for (const std::string_view known : {"true", "false", "null"}) {
    if (std::string_view(at_, static_cast<std::size_t>(end_ - at_)).starts_with(known)) {
      at_ += known.size();
      literal = known;
      return true;
    }
  }
  return Fail("invalid literal; expected true, false or null");
}

bool JsonScanner::SkipScalar() {
  switch (Peek()) {
    case Kind::String:
      return ScanString(nullptr);
    case Kind::Number: {
      std::string_view text;
      bool integral = false;
      return ReadNumber(text, integral);
    }
    case Kind::Literal: {
      std::string_view literal;
      return ReadLiteral(literal);
    }
    case Kind::End:
      return Fail("the document ends where a value is expected");
    default:
      return Fail("expected a value");
  }
}

bool JsonScanner::SkipValue() {
  std::vector<char> open;  // the closing character of each container entered
  std::string_view key;
  for (;;) {
    // A value starts here.
    const Kind kind = Peek();
    if (kind == Kind::Object || kind == Kind::Array) {
      ++at_;
      const char closer = kind == Kind::Object ? '}' : ']';
      SkipSpace();
      if (at_ != end_ && *at_ == closer) {
        ++at_;
      } else {
        open.push_back(closer);
        if (kind == Kind::Object && !ReadKey(key)) return false;
        continue;
      }
    } else if (!SkipScalar()) {
      return false;
    }
    // After a value: close what ends here, then on to the next value.
    for (;;) {
      if (open.empty()) return true;
      SkipSpace();
      if (at_ != end_ && *at_ == open.back()) {
        ++at_;
        open.pop_back();
        continue;
      }
      if (at_ == end_ || *at_ != ',') {
        return Fail(open.back() == '}' ? "expected ',' or '}'" : "expected ',' or ']'");
      }
      ++at_;
      if (open.back() == '}' && !ReadKey(key)) return false;
      break;
    }
  }
}

bool JsonScanner::AtEnd() {
  SkipSpace();
  if (Failed()) return false;
  return at_ == end_ || Fail("unexpected text after the document");
}

}  // namespace svcmp
