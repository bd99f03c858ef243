#pragma once

#include <optional>
#include <string>
#include <string_view>

// Names in model files made on Windows are often Windows-1252 bytes, which a
// JSON document (UTF-8) cannot hold as they are. These carry them over and
// back without losing a byte: the five bytes that Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters
// of the same number, so every byte string makes the round trip.
namespace svcmp {

// The bytes as Windows-1252 text, in UTF-8.
[[nodiscard]] std::string Windows1252ToUtf8(std::string_view bytes);

// Valid UTF-8 text back as Windows-1252 bytes; none when it holds a
// character that Windows-1252 has not.
[[nodiscard]] std::optional<std::string> Utf8ToWindows1252(std::string_view text);

}  // namespace svcmp
