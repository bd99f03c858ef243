#pragma once

#include <array>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "cli/shortest_double.h"

// How info's printers write numbers, in text and in JSON.
namespace svcmp::cli {

using Json = nlohmann::ordered_json;

inline std::string Number(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return text;
}

template <std::size_t N>
std::string Tuple(const std::array<float, N>& values) {
  std::string text = "(";
  for (std::size_t i = 0; i < N; ++i) text += (i ? ", " : "") + Number(values[i]);
  return text + ")";
}

// "1 mesh", "2 meshes": the words come in both forms.
inline std::string Count(std::size_t count, std::string_view one, std::string_view many) {
  return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

inline Json JsonNumber(float value) {
  if (!std::isfinite(value)) return nullptr;
  return ShortestDouble(value);
}

template <std::size_t N>
Json JsonNumbers(const std::array<float, N>& values) {
  Json array = Json::array();
  for (float value : values) array.push_back(JsonNumber(value));
  return array;
}

}  // namespace svcmp::cli
