#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace svcmp {

// Standard base64 (RFC 4648, with '=' padding), the way a JSON model
// document carries an image file that the model file held inside.
std::string EncodeBase64(const std::vector<std::uint8_t>& bytes);

// Nothing for text that is not padded standard base64.
std::optional<std::vector<std::uint8_t>> DecodeBase64(std::string_view text);

}  // namespace svcmp
